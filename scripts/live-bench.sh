#!/usr/bin/env bash
# Runs the live harness of each build for a fixed time in a window on a
# virtual X server, from the data folder as the programs are run.
# Usage: scripts/live-bench.sh [seconds] [build directory]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-10}
build=$(cd "${2:-build}" && pwd)

source scripts/virtual-display.sh

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
cd "$root/data"
for size in 25 50 100; do
  PELMORA_LAUNCH_NS=$(date +%s%N) "$build/pelmora-live-$size" "$seconds"
done
