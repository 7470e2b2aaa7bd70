#!/usr/bin/env bash
# Runs each program under valgrind's memcheck in a window on a virtual X
# server, from the data folder, for a while after its window appears, then
# ends it. Fails if any invalid read or write was seen anywhere, or any use of
# an uninitialised value whose stack passes through our own sources; counts the
# library-only reports apart. scripts/memcheck.supp holds the one false report
# of the dynamic loader. The water must be seen moving (two screenshots a few
# seconds apart differ) before memcheck watches it for the given time.
# Usage: scripts/memcheck.sh [seconds after the window appears] [build directory]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-15}
build=$(cd "${2:-build}" && pwd)
out="$build/memcheck"
mkdir -p "$out"

source scripts/virtual-display.sh

failed=0
for size in 25 50 100; do
  xml="$out/pelmora-$size.xml"
  (cd "$root/data" && exec valgrind --tool=memcheck --leak-check=no --track-origins=yes --num-callers=50 \
    --error-limit=no --suppressions="$root/scripts/memcheck.supp" --xml=yes --xml-file="$xml" --log-file="$out/pelmora-$size.log" "$build/pelmora-$size") &
  program=$!
  started=$(date +%s)
  timeout 300 xdotool search --sync --name "Pel Mora" >/dev/null
  appeared=$(( $(date +%s) - started ))
  # Under memcheck the first frames take a while. The picture changes once
  # when the first frame appears and again when the water has moved.
  moving=no
  changes=0
  import -window root "$out/pelmora-$size-a.png"
  for _ in $(seq 60); do
    sleep 5
    import -window root "$out/pelmora-$size-b.png"
    if ! cmp -s "$out/pelmora-$size-a.png" "$out/pelmora-$size-b.png"; then
      changes=$((changes + 1))
    fi
    mv "$out/pelmora-$size-b.png" "$out/pelmora-$size-a.png"
    if [ "$changes" -ge 2 ]; then
      moving=yes
      break
    fi
  done
  live=$(( $(date +%s) - started ))
  sleep "$seconds"
  kill -TERM "$program"
  wait "$program" || true

  echo "pelmora-$size: window after ${appeared} s under memcheck, water moving after ${live} s: $moving, then watched ${seconds} s more"
  if ! python3 - "$xml" "$root/src" <<'PYTHON'
import collections
import re
import sys
import xml.etree.ElementTree as tree

path, sources = sys.argv[1], sys.argv[2]
ours = collections.Counter()
theirs = collections.Counter()
invalid = collections.Counter()
# A program ended by a signal may leave a second, partial document after the
# first, so each error record is read on its own.
for record in re.findall(r"<error>.*?</error>", open(path).read(), re.S):
    error = tree.fromstring(record)
    kind = error.findtext("kind")
    if kind.startswith("Leak_"):
        continue
    dirs = [frame.findtext("dir") or "" for frame in error.iter("frame")]
    if kind.startswith("Invalid"):
        invalid[kind] += 1
    elif any(d.startswith(sources) for d in dirs):
        ours[kind] += 1
    else:
        theirs[kind] += 1
print("  invalid reads or writes:                 %d %s" % (sum(invalid.values()), dict(invalid) or ""))
print("  other reports through our sources:       %d %s" % (sum(ours.values()), dict(ours) or ""))
print("  other reports inside the libraries only: %d %s" % (sum(theirs.values()), dict(theirs) or ""))
sys.exit(1 if invalid or ours else 0)
PYTHON
  then
    failed=1
  fi
  if [ "$moving" != yes ]; then
    failed=1
  fi
done
exit "$failed"
