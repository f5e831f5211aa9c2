#!/usr/bin/env bash
# Synthesis quality by hide and synthesize, on the real DEMs of tests/data.
#
# Each DEM is cut into a north part (the truth, hidden) and a south part (the example).
# For 1, 2 and 3 levels the truth is coarsened that many Chaikin levels (the base) and
# brought back up by each method; every result is compared with the truth by
# `talvane-cli compare`, and the south part itself is compared with it as the yardstick
# of "another part of the same terrain". Prints one markdown table and writes one
# hillshade sheet per DEM (rows: levels; columns: truth, then the methods; the middle
# 256 x 256 samples of each, one pixel a sample).
#
# Methods: refine without detail; quilt; quilt with the refined search; multifractal;
# coherent when the tool has it. With `transfer --levels` each is one run of N levels,
# otherwise a chain of N single transfers, the example coarsened to the matching level.
#
# Usage: bash bench/synthesis-quality.sh [BUILD_DIR] [OUT_DIR]
#   BUILD_DIR  a build with talvane-cli and talvane-hillshade (default build/release)
#   OUT_DIR    where the table (synthesis-quality.md) and sheets (<dem>.png) go
#              (default BUILD_DIR/synthesis-quality)
set -euo pipefail

source "$(dirname "$0")/script-setup.sh" "${1:-}" talvane-cli talvane-hillshade
out="${2:-$build/synthesis-quality}"
cli="$build/tools/talvane-cli"
shade="$build/tools/talvane-hillshade"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

transfer_help="$("$cli" transfer --help)"
has_levels=false; grep -q -- '--levels' <<<"$transfer_help" && has_levels=true
# QUALITY_METHODS="refine coherent" (a list of the above) limits the run to those methods.
methods=(${QUALITY_METHODS:-refine quilt refined multifractal})
grep -q 'coherent' <<<"$transfer_help" && methods+=(coherent)

declare -A label=(
    [refine]="refine without detail" [quilt]="quilt" [refined]="quilt, refined search"
    [multifractal]="multifractal" [coherent]="coherent")
declare -A transfer_options=(
    [quilt]="--method quilt" [refined]="--method quilt --search refined"
    [multifractal]="--method multifractal" [coherent]="--method coherent")

# cli ARGS...: talvane-cli with its "wrote ..." lines dropped (errors still show).
cli() {
    "$cli" "$@" > /dev/null
}

# crop IN.grd OUT.grd FIRST_COLUMN FIRST_ROW COLUMNS ROWS: a window of an ASCII grid
# (seven header lines, then one line a row, first row north).
crop() {
    awk -v c0="$3" -v r0="$4" -v nc="$5" -v nr="$6" '
        NR == 1 { print "ncols\t" nc; next }
        NR == 2 { print "nrows\t" nr; next }
        NR <= 7 { print; next }
        { row = NR - 8; if (row >= r0 && row < r0 + nr) {
              line = ""; for (c = c0 + 1; c <= c0 + nc; ++c) line = line $c " "; print line } }
        END { print "" }' "$1" > "$2"
}

# json_field JSON KEY [OCCURRENCE]: a number of compare's JSON line ("null" stays).
json_field() {
    grep -o "\"$2\":[^,}]*" <<<"$1" | sed -n "${3:-1}p" | cut -d: -f2
}

# fixed VALUE DECIMALS
fixed() {
    awk -v v="$1" -v d="$2" 'BEGIN { if (v == "null" || v == "") print "n/a"; else printf "%.*f\n", d, v }'
}

# synthesize METHOD LEVELS BASE OUT DIR: DIR holds example_0.flt (the example) to
# example_{LEVELS-1}.flt (coarsened that many levels).
synthesize() {
    local method="$1" levels="$2" base="$3" result="$4" dir="$5"
    if [ "$method" = refine ]; then
        cli refine "$base" "$result" --scheme chaikin --levels "$levels" -q
    elif $has_levels; then
        # shellcheck disable=SC2086
        cli transfer "$base" "$dir/example_0.flt" "$result" ${transfer_options[$method]} --levels "$levels" -q
    else
        local current="$base" level
        for ((level = levels - 1; level >= 0; --level)); do
            # shellcheck disable=SC2086
            cli transfer "$current" "$dir/example_$level.flt" "$dir/step_$level.flt" ${transfer_options[$method]} -q
            current="$dir/step_$level.flt"
        done
        cli convert "$current" "$result" -q
    fi
}

# The quilt's block borders on the finest level, for the seam ratio: the last transfer's
# block size chosen from its base (the truth coarsened once) as transferBlockSize does,
# less the overlap of a fifth, at twice the spacing on the refined terrain; Chaikin
# refinement puts them two samples before each multiple (--block-offset S - 2).
block_step() {
    local width="$1" height="$2"
    local block=$(((width + height) / 30))
    ((block < 5)) && block=5
    while ((block >= width || block >= height)); do block=$((block / 2)); done
    echo $((2 * (block - block / 5)))
}

table="$out/synthesis-quality.md"
{
    echo "| DEM | levels | result | roughness ÷ truth | spectrum error (decades) | pits ÷ truth | channels ÷ truth | flats − truth's (% of samples) | slope W1 (°) | seam ratio | seconds |"
    echo "|---|---|---|---|---|---|---|---|---|---|---|"
} > "$table"
cat "$table"

# row DEM LEVELS LABEL JSON SECONDS: one line of the table.
row() {
    local json="$4"
    printf '| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n' "$1" "$2" "$3" \
        "$(fixed "$(json_field "$json" roughnessRatio)" 2)" "$(fixed "$(json_field "$json" spectrumError)" 2)" \
        "$(fixed "$(json_field "$json" pitRatio)" 2)" "$(fixed "$(json_field "$json" channelRatio)" 2)" \
        "$(fixed "$(awk -v v="$(json_field "$json" flatExcess)" 'BEGIN { print 100 * v }')" 2)" \
        "$(fixed "$(json_field "$json" slopeDistance)" 2)" "$(fixed "$(json_field "$json" seamRatio 2)" 3)" "$5" \
        | tee -a "$table"
}

# dem NAME SOURCE.grd COLUMNS ROWS SOUTH_FIRST_ROW: cuts, synthesizes, compares, draws.
dem() {
    local name="$1" source="$2" columns="$3" rows="$4" south="$5"
    local dir="$work/$name"
    mkdir -p "$dir"
    crop "$source" "$dir/truth.grd" 0 0 "$columns" "$rows"
    crop "$source" "$dir/example.grd" 0 "$south" "$columns" "$rows"
    cli convert "$dir/truth.grd" "$dir/truth.flt" -q
    cli convert "$dir/example.grd" "$dir/example_0.flt" -q
    local level
    for level in 1 2; do
        cli coarsen "$dir/example_0.flt" "$dir/example_$level.flt" --scheme chaikin --levels "$level" -q
    done
    local step
    step=$(block_step $(((columns + 2) / 2)) $(((rows + 2) / 2)))

    row "$name" "-" "another part of the same terrain" \
        "$("$cli" compare "$dir/truth.flt" "$dir/example_0.flt" --json --block-step "$step" --block-offset $((step - 2)) -q | tail -n 1)" "-"
    local sheet=()
    for level in 1 2 3; do
        cli coarsen "$dir/truth.flt" "$dir/base_$level.flt" --scheme chaikin --levels "$level" -q
        local levels_up="$level levels up"
        if ((level == 1)); then levels_up="1 level up"; fi
        sheet+=("truth, $levels_up" "$dir/truth.flt")
        local method
        for method in "${methods[@]}"; do
            local result="$dir/${method}_$level.flt" start end
            start=$(date +%s.%N)
            synthesize "$method" "$level" "$dir/base_$level.flt" "$result" "$dir"
            end=$(date +%s.%N)
            row "$name" "$level" "${label[$method]}" \
                "$("$cli" compare "$dir/truth.flt" "$result" --json --block-step "$step" --block-offset $((step - 2)) -q | tail -n 1)" \
                "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')"
            sheet+=("${label[$method]}" "$result")
        done
    done
    "$shade" "$out/$name.png" --columns $((1 + ${#methods[@]})) --window 256 --tile-width 256 "${sheet[@]}" > /dev/null
}

# Sides of 2 mod 8 come back whole through three Chaikin levels (n -> n/2 + 1 -> ...).
cli convert "$repo/tests/data/bigtujunga_west.tif" "$work/bigtujunga_west.grd" -q
dem bigtujunga_west "$work/bigtujunga_west.grd" 594 314 329
dem jacksboro "$repo/tests/data/jacksboro.grd" 402 170 174

echo
echo "Table: $table; hillshades: $out/bigtujunga_west.png, $out/jacksboro.png"
