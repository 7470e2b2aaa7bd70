#!/bin/sh
# Makes the desktop icon from the pool's own picture: pelmora-render draws
# pelmora-25 at tick 300, and make_icons.py crops the scene to a square and
# scales it to each size of the hicolor theme, into packaging/icons/.
# Takes the build folder (default: build); pelmora-render must be built.
# It needs an X display with GLX for now, so it runs under xvfb-run.
set -eu
cd "$(dirname "$0")/../.."
build=${1:-build}
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/pelmora-render" --build=25 --ticks=300 --size=1024x1024 --output="$pictures"
/usr/bin/python3 scripts/data/make_icons.py "$pictures/pelmora-25-tick-000300.png" packaging/icons invalid.pelmora.Pelmora
