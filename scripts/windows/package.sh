#!/usr/bin/env bash
# Makes what ships to Windows users from a cross build: its install folder (cmake --install, stripped) packed
# as a zip that runs where it is unpacked, and as a per-user NSIS installer (packaging/windows/pelmora.nsi).
#   package.sh BUILD_DIR VERSION ICON
# Writes BUILD_DIR/pelmora-VERSION-windows-x64.zip and BUILD_DIR/pelmora-VERSION-windows-x64-setup.exe, each
# under a temporary name first, so a failed run leaves no half package.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
version=$2
icon=$3
name=pelmora-$version-windows-x64
stage=$build/package-stage
folder=$stage/$name

rm -rf "$stage"
mkdir -p "$stage"
cmake --install "$build" --prefix "$folder" --strip >"$stage/install.log" || { cat "$stage/install.log" >&2; exit 1; }

# Every file and folder of the install folder, relative to it, in one order.
(cd "$folder" && find . -mindepth 1 -type f | sed 's|^\./||' | LC_ALL=C sort) >"$stage/files"
(cd "$folder" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort) >"$stage/folders"

(cd "$stage" && sed "s|^|$name/|" files >zip-files && cmake -E tar cf "$name.zip" --format=zip --files-from=zip-files)
mv -f "$stage/$name.zip" "$build/$name.zip"

# The installer installs and its uninstaller removes exactly these files and folders, and leaves anything a
# user put there.
windows() { printf '%s' "${1//\//\\}"; }
{
  echo 'SetOutPath "$INSTDIR"'
  while IFS= read -r file; do
    dir=$(dirname "$file")
    [ "$dir" = . ] && out='$INSTDIR' || out="\$INSTDIR\\$(windows "$dir")"
    echo "SetOutPath \"$out\""
    echo "File \"$folder/$file\""
  done <"$stage/files"
} >"$stage/install.nsh"
{
  while IFS= read -r file; do echo "Delete \"\$INSTDIR\\$(windows "$file")\""; done <"$stage/files"
  # Deepest first, and only when empty.
  LC_ALL=C sort -r "$stage/folders" | while IFS= read -r dir; do echo "RMDir \"\$INSTDIR\\$(windows "$dir")\""; done
} >"$stage/uninstall.nsh"

makensis -V2 -NOCD -DVERSION="$version" -DICON="$icon" -DINSTALL_LIST="$stage/install.nsh" \
  -DUNINSTALL_LIST="$stage/uninstall.nsh" -DOUTFILE="$stage/$name-setup.exe" "$repo/packaging/windows/pelmora.nsi"
mv -f "$stage/$name-setup.exe" "$build/$name-setup.exe"
echo "$build/$name.zip"
echo "$build/$name-setup.exe"
