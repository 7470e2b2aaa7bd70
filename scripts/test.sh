#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to every test passing: installs
# what is missing, then the default workflow: configure, build and test the
# plain build, then build and test the same suite under the sanitizers; then
# the Windows programs: cross-built (the dependency prefix built once per
# machine), their unit tests under Wine, their windows, pictures and model
# check under Wine against the plain build, and the zip and the installer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$(nproc)}
# Each step's wall time, for the README's figures.
step() {
  local start=$SECONDS
  "$@"
  echo "test.sh: $((SECONDS - start)) s for: $*"
}
step cmake --workflow --preset default
step cmake --workflow --preset windows
step ctest --preset windows-gui
step ctest --preset windows-package
