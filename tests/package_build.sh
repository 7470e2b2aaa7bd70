#!/bin/sh
# Builds the Debian package of a build folder (of its configuration, by default RelWithDebInfo), checks it with lintian (no
# errors, no warnings) and unpacks it into BUILD/package-root without installing
# anything, and validates its desktop entry and AppStream metainfo there.
set -eu
build=$(cd "$1" && pwd)
config=${2:-RelWithDebInfo}
root="$build/package-root"
cd "$build"
rm -f pelmora_*.deb
cpack -G DEB -C "$config" > cpack.log || { cat cpack.log; exit 1; }
deb=$(ls pelmora_*.deb)
lintian --fail-on error,warning --info "$deb"
rm -rf "$root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/invalid.pelmora.Pelmora.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/invalid.pelmora.Pelmora.metainfo.xml"
