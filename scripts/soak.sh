#!/usr/bin/env bash
# The long soak run of every build: a million ticks each, headless (Coin and
# the scene as start-up makes them, no window). Each run reports whether the
# heights stayed finite and within their bound, how far the mean level drifted
# from rest, and resident memory after ten thousand ticks and at the end, and
# fails if the heights left their bound or memory grew by more than two pages.
# Usage: scripts/soak.sh [ticks] [build directory]
set -euo pipefail
cd "$(dirname "$0")/.."
ticks=${1:-1000000}
build=$(cd "${2:-build}" && pwd)
cd data
failed=0
for size in 25 50 100; do
  "$build/pelmora-soak-$size" "$ticks" || failed=1
done
exit "$failed"
