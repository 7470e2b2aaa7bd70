#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine and exits with the program's own status:
#   wine-run.sh [--deps=PREFIX] PROGRAM.exe [ARGUMENTS...]
# or ends every program of the Wine prefix and its server:
#   wine-run.sh [--deps=PREFIX] --stop
# The DLLs of the dependency prefix (--deps or PELMORA_WINDOWS_DEPS) and of the MinGW runtime are found
# through WINEPATH. The Wine prefix is made once in the cache folder (Wine updates it itself after an
# upgrade), and a persistent wineserver keeps later starts fast.
set -euo pipefail

deps=${PELMORA_WINDOWS_DEPS:-}
if [[ ${1:-} == --deps=* ]]; then
  deps=${1#--deps=}
  shift
fi
if [ $# -eq 0 ]; then
  echo "usage: wine-run.sh [--deps=PREFIX] PROGRAM.exe [ARGUMENTS...] | --stop" >&2
  exit 2
fi

cache=${PELMORA_WINDOWS_CACHE:-$HOME/.cache/pelmora}
export WINEDEBUG=-all
# No Mono or Gecko prompts, no menu entries: each would cost seconds or wait for a click.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
export WINEPREFIX=${PELMORA_WINEPREFIX:-$cache/wine-prefix}

if [ "$1" = --stop ]; then
  # Status 1 when no server ran.
  wineserver -k 2>/dev/null || true
  wineserver -w
  exit 0
fi

# One run at a time makes the prefix and starts the server, so that runs side by side (ctest -j) neither
# make two prefixes nor start a program before Wine's services are up.
mkdir -p "$cache"
exec 9>"$cache/wine-prefix.lock"
flock 9
if [ ! -d "$WINEPREFIX" ]; then
  # Made beside and renamed, so that an interrupted run leaves no half prefix.
  rm -rf "$WINEPREFIX.tmp"
  WINEPREFIX=$WINEPREFIX.tmp wineboot -i </dev/null >/dev/null 2>&1 9>&-
  WINEPREFIX=$WINEPREFIX.tmp wineserver -w 9>&-
  mv "$WINEPREFIX.tmp" "$WINEPREFIX"
fi
# Kept for ten minutes after the last program, so a test run starts Wine once (status 2: already running).
# Wine's own services start with the first program and keep its standard output open: they are started
# here, writing nowhere, lest a caller reading the program's output (ctest, CMake) wait for them.
if wineserver -p600 >/dev/null 2>&1 9>&-; then
  wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 9>&-
fi
exec 9>&-

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
mingw=x86_64-w64-mingw32-g++-posix
dll_dirs=(
  "$(dirname "$($mingw -print-file-name=libstdc++-6.dll)")"
  "$(dirname "$($mingw -print-file-name=libwinpthread-1.dll)")"
)
if [ -n "$deps" ]; then
  dll_dirs=("$deps/bin" "${dll_dirs[@]}")
fi
WINEPATH=""
for dir in "${dll_dirs[@]}"; do
  WINEPATH+="${WINEPATH:+;}$(windows_path "$dir")"
done
export WINEPATH

if [ -t 2 ]; then
  exec wine "$@"
fi
# Wine's helper processes (its services, the desktop's explorer.exe) inherit the program's standard error
# and outlive it, by a second or, while other programs keep a window open, by minutes: a caller reading
# to the end of a pipe (ctest, CMake) would wait for them. So standard error goes through a file and is
# passed on when the program ends.
errors=$(mktemp)
status=0
wine "$@" 2>"$errors" || status=$?
cat "$errors" >&2
rm -f "$errors"
exit "$status"
