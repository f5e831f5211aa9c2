#!/usr/bin/env bash
# Makes the README's pictures: builds the release preset and, on a virtual X display,
#  - docs/screenshot.png: the window with the sample terrain in both screens, the right
#    screen coarsened once with Chaikin, "Height Colored";
#  - docs/screenshot-go.png: the window during a "Go" on the sample refined twice, its
#    progress dialog showing how far the quilting has come (the Go is then cancelled);
#  - docs/screenshot-4097-full.png and docs/screenshot-4097-levels.png: a 4,097² fractal
#    terrain (talvane-fbm) in both screens, "Height Colored", at View > Screen Error
#    "Full Resolution" and at 1 pixel.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release
cmake --build --preset release --target talvane talvane_screenshot talvane-fbm

mkdir -p docs
# The grids take names from their files and may write beside them: work on a copy.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp data/jacksboro.grd "$work/"

xvfb-run -a -s "-screen 0 1600x1200x24" \
    build/release/app/talvane_screenshot "$work/jacksboro.grd" docs/screenshot.png > "$work/screenshot.log"
tail -n 1 "$work/screenshot.log"
xvfb-run -a -s "-screen 0 1600x1200x24" \
    build/release/app/talvane_screenshot --go "$work/jacksboro.grd" docs/screenshot-go.png > "$work/screenshot-go.log"
tail -n 1 "$work/screenshot-go.log"
build/release/tools/talvane-fbm 4097 "$work/fbm4097.flt" > "$work/fbm.log"
xvfb-run -a -s "-screen 0 1600x1200x24" \
    build/release/app/talvane_screenshot --levels "$work/fbm4097.flt" docs/screenshot-4097-full.png \
    docs/screenshot-4097-levels.png > "$work/screenshot-levels.log"
tail -n 2 "$work/screenshot-levels.log"
