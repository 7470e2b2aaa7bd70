#!/bin/sh
# first_frame.sh ROUNDS EMPTY LIVE...: the first frame of the empty viewer
# (one cube) and of each live harness, started one after another in turn,
# ROUNDS times, in an order that moves by one each round; prints the medians
# of "first frame drawn, from launch" and "viewer shown", and each program's
# first frame as a multiple of the empty viewer's. Run under an X server
# (pelmora-test-display run), from the data folder.
set -eu
rounds=$1
shift
empty=$1
times=$(mktemp /tmp/pelmora-first-frame-XXXXXX)
trap 'rm -f "$times"' EXIT
count=$#
round=0
while [ "$round" -lt "$rounds" ]; do
  turn=0
  while [ "$turn" -lt "$count" ]; do
    at=$(( (turn + round) % count + 1 ))
    eval program=\${$at}
    # The live harness with 0 seconds ends at its first frame, as the empty viewer does.
    "$program" 0 > "$times.out"
    name=$(basename "$program")
    awk -v name="$name" '/viewer shown/ {shown = $NF} /first frame drawn, from launch/ {first = $NF}
      END {if (first == "") exit 1; print name, shown, first}' "$times.out" >> "$times"
    turn=$((turn + 1))
  done
  round=$((round + 1))
done
rm -f "$times.out"
echo "first frame drawn from launch and viewer shown from main(), milliseconds, medians of $rounds runs each"
for program in "$@"; do
  name=$(basename "$program")
  for column in 2 3; do
    awk -v name="$name" -v column="$column" '$1 == name {print $column}' "$times" | sort -g \
      | awk '{v[NR] = $1} END {print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2)}'
  done | paste -s -d ' ' | sed "s|^|$name |"
done | awk -v empty="$(basename "$empty")" '
  $1 == empty {floor = $3}
  {rows[NR] = $0; first[NR] = $3}
  END {
    printf "%-24s %12s %14s %10s\n", "program", "viewer shown", "first frame", "ratio"
    for (n = 1; n <= NR; ++n) {
      split(rows[n], f, " ")
      printf "%-24s %12.1f %14.1f %10.2f\n", f[1], f[2], f[3], first[n] / floor
    }
  }'
echo "every run, in the order run:"
cat "$times"
