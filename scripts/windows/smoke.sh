#!/usr/bin/env bash
# Proof of the Windows road before the program is ported: builds the dependency prefix (once per machine),
# cross-builds tools/windows-smoke, runs its GoogleTest test through ctest under Wine, then opens the
# examiner viewer under Wine on Xvfb, takes the picture it reads back, closes it with WM_DELETE_WINDOW and
# checks its exit status. Leaves viewer.png and screen.png in the build folder.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${PELMORA_WINDOWS_SMOKE_BUILD:-$repo/build/windows-smoke}
TIMEFORMAT="  %R s wall, %U s user, %S s sys"

echo "dependency prefix:"
time prefix=$("$repo/scripts/windows/build-deps.sh")
echo "  $prefix"

echo "cross build:"
time {
  cmake -S "$repo/tools/windows-smoke" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" -DPELMORA_WINDOWS_DEPS="$prefix" >/dev/null
  cmake --build "$build"
}

echo "ctest under Wine:"
time ctest --test-dir "$build" --output-on-failure

g++ -O1 -o "$build/close-window" "$repo/tests/support/close_window.cpp" -lX11

# A virtual X server on a free display, which it names once it listens.
rm -f "$build/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$build/display" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null' EXIT
for _ in $(seq 100); do
  grep -q . "$build/display" 2>/dev/null && break
  kill -0 "$xvfb" || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=:$(head -n 1 "$build/display")

echo "viewer under Wine on $DISPLAY:"
rm -f "$build/viewer.ppm" "$build/viewer.png" "$build/screen.png"
start=$EPOCHREALTIME
elapsed() { awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.2f", e - s }'; }
(cd "$build" && exec "$repo/scripts/windows/wine-run.sh" --deps="$prefix" pelmora-windows-smoke.exe viewer.ppm 30) \
  >"$build/viewer.log" 2>&1 &
viewer=$!
window=$(timeout 60 xdotool search --sync --name '^Pel Mora$' | head -n 1)
echo "  window \"Pel Mora\" ($window) after $(elapsed) s"
# The program writes the picture at frame 30; give it a minute on a loaded machine.
for _ in $(seq 600); do
  [ -f "$build/viewer.ppm" ] && break
  kill -0 "$viewer" 2>/dev/null || break
  sleep 0.1
done
[ -f "$build/viewer.ppm" ] || { cat "$build/viewer.log" >&2; echo "no picture" >&2; exit 1; }
echo "  picture after $(elapsed) s"
import -display "$DISPLAY" -window root "$build/screen.png"
"$build/close-window" "$window"
status=0
timeout 30 tail --pid="$viewer" -f /dev/null || { echo "still running after the close request" >&2; exit 1; }
wait "$viewer" || status=$?
sed 's/^/  /' "$build/viewer.log"
echo "  exit status after WM_DELETE_WINDOW: $status"
convert "$build/viewer.ppm" "$build/viewer.png"
echo "  $build/viewer.png, $build/screen.png"
exit "$status"
