#!/usr/bin/env bash
# Runs one program under valgrind's memcheck in a window on the X server that
# DISPLAY names, in the current folder (the data folder), for a while after its
# water is seen moving, then ends it. Fails if any invalid read or write was
# seen anywhere, or any use of an uninitialised value whose stack passes
# through our own sources; counts the library-only reports apart.
# scripts/memcheck.supp holds the one false report of the dynamic loader.
# Run through CTest: ctest --preset memcheck (or -L memcheck), which gives it
# a virtual X server of its own.
# Usage: scripts/memcheck.sh PROGRAM [seconds after the water moves]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$1
seconds=${2:-15}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
name=$(basename "$program")
xml="$out/$name.xml"
valgrind --tool=memcheck --leak-check=no --track-origins=yes --num-callers=50 \
  --error-limit=no --suppressions="$root/scripts/memcheck.supp" --xml=yes --xml-file="$xml" \
  --log-file="$out/$name.log" "$program" &
pid=$!
started=$(date +%s)
timeout 300 xdotool search --sync --name "Pel Mora" >/dev/null
appeared=$(( $(date +%s) - started ))
# Under memcheck the first frames take a while. The picture changes once
# when the first frame appears and again when the water has moved.
moving=no
changes=0
import -window root "$out/a.png"
for _ in $(seq 60); do
  sleep 5
  import -window root "$out/b.png"
  if ! cmp -s "$out/a.png" "$out/b.png"; then
    changes=$((changes + 1))
  fi
  mv "$out/b.png" "$out/a.png"
  if [ "$changes" -ge 2 ]; then
    moving=yes
    break
  fi
done
live=$(( $(date +%s) - started ))
sleep "$seconds"
kill -TERM "$pid"
wait "$pid" || true

echo "$name: window after ${appeared} s under memcheck, water moving after ${live} s: $moving, then watched ${seconds} s more"
failed=0
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
exit "$failed"
