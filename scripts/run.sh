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
bin=$(pwd)/build/RelWithDebInfo

scripts/install-deps.sh
cmake --preset default > /dev/null
cmake --build --preset default --target "$program" pelmora-test-display

cd data
if [ -n "${DISPLAY:-}" ] && xdpyinfo > /dev/null 2>&1; then
  exec "$bin/$program"
fi

echo "No display reachable: running $program on a virtual X server for a few seconds and saving a screenshot."
shot=$bin/$program.png
"$bin/pelmora-test-display" run bash -c '
  "$1" 2> /dev/null & pid=$!
  window=$(timeout 60 xdotool search --sync --name "Pel Mora" | head -n 1)
  sleep 3
  import -window "$window" "$2"
  kill "$pid"
' run "$bin/$program" "$shot"
echo "Screenshot: $shot"
