#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to every test passing: installs
# what is missing, then the default workflow: configure, build and test the
# plain build, then build and test the same suite under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}
cmake --workflow --preset default
