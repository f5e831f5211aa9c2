#!/usr/bin/env bash
# Coherent synthesis against the chained quilts it replaces, as whole processes.
#
# Three levels up from a 257^2 talvane-fbm base with a 2,049^2 talvane-fbm example (a
# 2,041^2 result), each run in turn RUNS times: `transfer --levels 3 --method coherent`,
# the same with --threads 1, `transfer --levels 3 --method quilt`, and three chained
# single quilt transfers, the example coarsened 2, 1 and 0 levels beforehand (not timed;
# the chain writes the same bytes as the quilt's --levels 3). Prints each one's median,
# least and greatest wall time, median CPU time (user + system) and median peak memory,
# from /usr/bin/time.
#
# Usage: bash bench/coherent-speed.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a build with talvane-cli and talvane-fbm (default build/release)
#   RUNS       runs of each (default 9)
set -euo pipefail

source "$(dirname "$0")/script-setup.sh" "${1:-}" talvane-cli talvane-fbm
runs="${2:-9}"
cli="$build/tools/talvane-cli"
fbm="$build/tools/talvane-fbm"
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (Debian package time)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$fbm" 257 "$work/base.flt" > /dev/null
"$fbm" 2049 "$work/example.flt" > /dev/null
"$cli" -q coarsen "$work/example.flt" "$work/example_1.flt" > /dev/null
"$cli" -q coarsen "$work/example_1.flt" "$work/example_2.flt" > /dev/null

coherent() { "$cli" -q transfer "$work/base.flt" "$work/example.flt" "$work/out.flt" --levels 3 --method coherent "$@"; }
quilt() { "$cli" -q transfer "$work/base.flt" "$work/example.flt" "$work/out.flt" --levels 3 --method quilt; }
chain() {
    "$cli" -q transfer "$work/base.flt" "$work/example_2.flt" "$work/chain_1.flt" --method quilt
    "$cli" -q transfer "$work/chain_1.flt" "$work/example_1.flt" "$work/chain_2.flt" --method quilt
    "$cli" -q transfer "$work/chain_2.flt" "$work/example.flt" "$work/out.flt" --method quilt
}
export -f coherent quilt chain
export cli work

names=("coherent" "three chained quilts" "quilt --levels 3" "coherent --threads 1")
commands=("coherent" "chain" "quilt" "coherent --threads 1")
for ((run = 0; run < runs; ++run)); do
    for k in "${!commands[@]}"; do
        /usr/bin/time -f "%e %U %S %M" -a -o "$work/times.$k" bash -c "${commands[$k]}" > /dev/null 2>&1
    done
done

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
printf '| Run | Wall: median (least to greatest) | CPU | Peak |\n|---|---|---|---|\n'
for k in "${!commands[@]}"; do
    times="$work/times.$k"
    wall="$(awk '{ print $1 }' "$times" | median)"
    least="$(awk '{ print $1 }' "$times" | sort -n | head -1)"
    most="$(awk '{ print $1 }' "$times" | sort -n | tail -1)"
    cpu="$(awk '{ printf "%.2f\n", $2 + $3 }' "$times" | median)"
    peak="$(awk '{ print $4 }' "$times" | median)"
    printf '| %s | %s s (%s to %s) | %s s | %d MB |\n' "${names[$k]}" "$wall" "$least" "$most" "$cpu" $((peak / 1000))
done
