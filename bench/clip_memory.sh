#!/bin/sh
# clip_memory.sh RENDER [FRAMES]: the peak resident memory of pelmora-render
# making a clip of FRAMES frames (default 12) in each format, alone, at
# 640 x 480 and 4096 x 4096, and of the same frames written as pictures for
# reference; prints one line per run with its time.
set -eu
render=$1
frames=${2:-12}
folder=$(mktemp -d /tmp/pelmora-clip-memory-XXXXXX)
trap 'rm -rf "$folder"' EXIT
ticks=0:$((frames - 1)):1
printf '%-10s %-10s %16s %10s\n' size output "peak resident" seconds
for size in 640x480 4096x4096; do
  for output in pictures webm mp4 gif; do
    if [ "$output" = pictures ]; then
      where=--output=$folder
    else
      where=--animation=$folder/clip.$output
    fi
    /usr/bin/time -o "$folder/time" -f '%M %e' "$render" --build=100 --ticks="$ticks" --size="$size" "$where" 2> "$folder/err" \
      || { cat "$folder/err"; exit 1; }
    read -r kilobytes seconds < "$folder/time"
    printf '%-10s %-10s %13d MB %10s\n' "$size" "$output" $((kilobytes / 1024)) "$seconds"
    rm -f "$folder"/*.png "$folder"/clip.*
  done
done
