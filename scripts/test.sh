#!/usr/bin/env bash
# Installs what is missing, builds with the given preset (default: "default") and runs every test.
# GL and window tests need a display: the whole suite runs under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

bash scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
xvfb-run -a -s "-screen 0 1600x1200x24" ctest --preset "$preset" -j "$(nproc)"
