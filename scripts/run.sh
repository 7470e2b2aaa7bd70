#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to the pool on screen: installs
# what is missing, builds, and starts pelmora-25 (or the size given) in the
# data folder. Without a display it shows the pool on a virtual one instead
# and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."

size=${1:-25}
case "$size" in
  25|50|100) ;;
  *) echo "usage: scripts/run.sh [25|50|100]" >&2; exit 2 ;;
esac
program=pelmora-$size

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" --target "$program"

cd data
if [ -n "${DISPLAY:-}" ] && xdpyinfo > /dev/null 2>&1; then
  exec "../build/$program"
fi

echo "No display reachable: running $program on a virtual X server for a few seconds and saving a screenshot."
shot=$(cd .. && pwd)/build/$program.png
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "../build/$1" 2> /dev/null & pid=$!
  sleep 6
  import -window "$(xdotool search --name "Pel Mora" | head -n 1)" "$2"
  kill "$pid"
' run "$program" "$shot"
echo "Screenshot: $shot"
