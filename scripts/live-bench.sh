#!/usr/bin/env bash
# Runs the live harness of each build for a fixed time in a window on a
# virtual X server, from the data folder as the programs are run.
# Usage: scripts/live-bench.sh [seconds] [build directory]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-10}
build=$(cd "${2:-build}" && pwd)

display_file=$(mktemp)
Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$display_file" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$display_file")"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
cd "$root/data"
for size in 25 50 100; do
  PELMORA_LAUNCH_NS=$(date +%s%N) "$build/pelmora-live-$size" "$seconds"
done
