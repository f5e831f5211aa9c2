#!/usr/bin/env bash
# Makes docs/screenshot.png: builds the release preset and, on a virtual X display,
# opens the window with the sample terrain in both screens, coarsens the right
# screen once with Chaikin, selects "Height Colored" and saves the window's picture.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release
cmake --build --preset release --target talvane talvane_screenshot

mkdir -p docs
# The grids take names from their files and may write beside them: work on a copy.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp data/jacksboro.grd "$work/"

xvfb-run -a -s "-screen 0 1600x1200x24" \
    build/release/app/talvane_screenshot "$work/jacksboro.grd" docs/screenshot.png > "$work/screenshot.log"
tail -n 1 "$work/screenshot.log"
