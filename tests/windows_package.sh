#!/usr/bin/env bash
# What ships to Windows users, checked under Wine on a virtual X server of its own, in a copy of the Wine
# prefix that is removed at the end, so that runs are independent:
# - the zip, unpacked into a fresh folder: each program started there opens its window "Pel Mora", writes
#   nothing on standard error and ends with status 0 on a close request; a texture that is a folder is left
#   out with its one line;
# - the installer, run silently: the zip's files in the user's programs folder, the uninstall key, and three
#   Start-menu links that start the installed programs in the install folder; the uninstaller, run silently,
#   leaves no folder, link or key.
# Builds the packages first and prints the time of each step.
#   windows_package.sh BUILD_DIR VERSION
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
name=pelmora-$2-windows-x64
work=$(mktemp -d)
xvfb=""
export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEPATH  # only the package's own DLLs
finish() {
  [ ! -d "$WINEPREFIX" ] || wineserver -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

# Fails with a reason and the files that tell what the children wrote.
fail() {
  echo "FAILED: $1" >&2
  shift
  for file in "$@"; do echo "--- $(basename "$file"):" >&2; cat "$file" >&2; done
  exit 1
}

started=$EPOCHREALTIME
step() {
  printf '%6.2f s  %s\n' "$(awk -v s="$started" -v e="$EPOCHREALTIME" 'BEGIN { print e - s }')" "$1"
  started=$EPOCHREALTIME
}

cmake --build "$build" --target windows-package >"$work/build.log" 2>&1 || fail "building the packages" "$work/build.log"
step "packages built"

g++ -O1 -o "$work/close-window" "$repo/tests/support/close_window.cpp" -lX11
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
read -r -t 30 number <"$work/display" || fail "Xvfb named no display" "$work/xvfb.log"
export DISPLAY=:$number
prefix=${PELMORA_WINEPREFIX:-${PELMORA_WINDOWS_CACHE:-$HOME/.cache/pelmora}/wine-prefix}
[ -d "$prefix" ] || "$repo/scripts/windows/wine-run.sh" cmd.exe /c exit 0
cp -a "$prefix" "$WINEPREFIX"
step "close-window helper, virtual X server, Wine prefix copied"

# The window of the one program running, within a minute.
window_of() {
  local window
  window=$(timeout 60 xdotool search --sync --name '^Pel Mora$' | head -n 1) || true
  [ -n "$window" ] || fail "$1: no window \"Pel Mora\" within 60 s" "$work/$1.err"
  echo "$window"
}

# Starts PROGRAM (a path from FOLDER) in FOLDER and closes its window: it must end with status 0, having written
# exactly EXPECTED on standard error (a Windows program ends its lines with CR LF), or anything for "*".
run_program() {
  local folder=$1 program=${2##*/} expected=$3 window status=0
  (cd "$folder" && exec timeout 120 wine "./$2.exe") >"$work/$program.out" 2>"$work/$program.err" &
  local pid=$!
  window=$(window_of "$program")
  "$work/close-window" "$window"
  wait "$pid" || status=$?
  [ "$status" = 0 ] || fail "$program: status $status after the close request" "$work/$program.err"
  [ "$expected" = "*" ] || [ "$(tr -d '\r' <"$work/$program.err")" = "$expected" ] ||
    fail "$program: standard error is not \"$expected\"" "$work/$program.err"
}

unpacked=$work/zip/$name
mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$build/$name.zip")
step "zip unpacked: $(find "$unpacked" -type f | wc -l) files"
# Windowed programs but the checker, each with the pool's icon and the version.
for program in pelmora-25 pelmora-50 pelmora-100 pelmora-model-check; do
  { x86_64-w64-mingw32-objdump -p "$unpacked/$program.exe" | grep '^Subsystem'
    x86_64-w64-mingw32-windres -i "$unpacked/$program.exe" -O rc | grep -E '"POOL" 14|Version", '; } \
    >"$work/resources.txt" 2>&1 || true
  [ "$program" = pelmora-model-check ] && subsystem=CUI || subsystem=GUI
  [ "$(grep -c -E "\(Windows $subsystem\)|^\"POOL\" 14|Version\", \"$2\"" "$work/resources.txt")" = 4 ] ||
    fail "$program.exe: not a Windows $subsystem program with the icon and version $2" "$work/resources.txt"
done
step "zip: the programs' subsystems, icon and version"
for size in 25 50 100; do
  run_program "$unpacked" "pelmora-$size" ""
  step "zip: pelmora-$size opened its window, closed with status 0, nothing on standard error"
done
cp -a "$unpacked" "$work/damaged"
rm "$work/damaged/texture/water.jpg"
mkdir "$work/damaged/texture/water.jpg"
run_program "$work/damaged" pelmora-100 "pelmora-100: ./texture/water.jpg: not a regular file; left out"
step "zip: a texture that is a folder is refused in one line on standard error"
# Where the data is not, the scene library's messages go to standard error, not into dialogs that hold the
# window back until clicked.
run_program "$unpacked/textures" ../pelmora-25 "*"
step "zip: pelmora-25 started in a folder without its data opened its window, closed with status 0"

timeout 120 wine "$build/$name-setup.exe" /S >"$work/setup.log" 2>&1 || fail "the installer" "$work/setup.log"
step "installer run silently"
folder_of() { winepath -u "$(wine cmd.exe /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
installed=$(readlink -f "$(folder_of LOCALAPPDATA)/Programs/Pelmora")
menu="$(folder_of APPDATA)/Microsoft/Windows/Start Menu/Programs/Pelmora"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora'
[ -f "$installed/uninstall.exe" ] || fail "no uninstaller in $installed"
diff -r -x uninstall.exe "$unpacked" "$installed" >"$work/files.diff" || fail "installed files differ" "$work/files.diff"
wine reg query "$key" /v InstallLocation >"$work/key.txt" 2>&1 || fail "no uninstall key" "$work/key.txt"
step "installed into $installed: the zip's files, an uninstaller, the uninstall key"

for size in 25 50 100; do
  link="$menu/Pel Mora $size.lnk"
  [ -f "$link" ] || fail "no Start-menu link $link"
  # Started as the shell starts a link; the program's process, found through its window, must be the
  # installed program running in the install folder.
  wine start /unix "$link" >"$work/pelmora-$size.out" 2>"$work/pelmora-$size.err" ||
    fail "start Pel Mora $size.lnk" "$work/pelmora-$size.err"
  window=$(window_of "pelmora-$size")
  pid=$(xdotool getwindowpid "$window")
  program=$(tr '\0' '\n' <"/proc/$pid/cmdline" | head -n 1)
  [ "$(readlink -f "$(winepath -u "$program" 2>/dev/null)")" = "$installed/pelmora-$size.exe" ] ||
    fail "Pel Mora $size.lnk started $program"
  [ "$(readlink -f "/proc/$pid/cwd")" = "$installed" ] ||
    fail "Pel Mora $size.lnk: pelmora-$size runs in $(readlink -f "/proc/$pid/cwd")"
  "$work/close-window" "$window"
  timeout 60 tail --pid="$pid" -f /dev/null || fail "Pel Mora $size.lnk: pelmora-$size runs on after the close request"
  step "Pel Mora $size.lnk: starts the installed pelmora-$size.exe in the install folder"
done

wine "$installed/uninstall.exe" /S >"$work/uninstall.log" 2>&1 || fail "the uninstaller" "$work/uninstall.log"
# The uninstaller goes on from a copy of itself, so that it can remove its own file: every process of the
# prefix must end.
timeout 120 wineserver -w || fail "Wine's processes still run two minutes after the uninstaller"
[ ! -e "$installed" ] || { find "$installed" >"$work/left.txt"; fail "the install folder is left" "$work/left.txt"; }
[ ! -e "$menu" ] || { find "$menu" >"$work/left.txt"; fail "the Start-menu folder is left" "$work/left.txt"; }
! wine reg query "$key" >"$work/key.txt" 2>&1 || fail "the uninstall key is left" "$work/key.txt"
step "uninstalled silently: no install folder, no Start-menu folder, no uninstall key"
