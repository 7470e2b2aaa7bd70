#!/bin/sh
# Makes the desktop icon from the pool's own picture: pelmora-render draws
# pelmora-25 at tick 300, and make_icons.py crops the scene to a square and
# scales it to each size of the hicolor theme, into packaging/icons/.
# Takes the folder of the built programs (default: build/RelWithDebInfo);
# pelmora-render must be built. It needs no X server.
set -eu
cd "$(dirname "$0")/../.."
build=${1:-build/RelWithDebInfo}
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
"$build/pelmora-render" --build=25 --ticks=300 --size=1024x1024 --output="$pictures"
/usr/bin/python3 scripts/data/make_icons.py "$pictures/pelmora-25-tick-000300.png" packaging/icons invalid.pelmora.Pelmora
