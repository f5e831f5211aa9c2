#!/usr/bin/env bash
# The main job: installs what is missing, builds the release preset and runs Talvane on the sample terrain.
# With a display, the window opens with the sample DEM in both screens; without one, the command-line
# tool prints the sample's summary and transfers its detail onto a coarsened copy of itself.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)"

build=build/release
sample=data/jacksboro.grd
if [ -n "${DISPLAY:-}" ] && [ -x "$build/app/talvane" ]; then
    exec "$build/app/talvane" "$sample" "$sample"
fi

cli="$build/tools/talvane-cli"
out="$(mktemp -d)"
"$cli" info "$sample"
"$cli" coarsen "$sample" "$out/base.grd" --scheme chaikin --quiet
"$cli" transfer "$out/base.grd" "$sample" "$out/transferred.grd" --method quilt --quiet
"$cli" info "$out/transferred.grd"
echo "Transferred terrain written to $out/transferred.grd"
