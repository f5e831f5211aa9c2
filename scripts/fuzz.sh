#!/usr/bin/env bash
# Builds the fuzz harnesses of fuzz/ (clang's libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one in turn, starting from its seeds in
# fuzz/corpus/<reader>/ with its dictionary from fuzz/dict/. Any crash, leak, timeout or
# out-of-memory fails the run; the log then shows the fuzzer's report and the input that
# caused it (also kept in build/fuzz/findings/<reader>/).
#
#   bash scripts/fuzz.sh [SECONDS] [READER...]
#
# SECONDS per harness (default: $FUZZ_SECONDS, else 60); READER names such as ascii_grid
# or png_image (default: every harness).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-${FUZZ_SECONDS:-60}}"
[ $# -gt 0 ] && shift
build=build/fuzz

bash scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

readers=("$@")
if [ ${#readers[@]} -eq 0 ]; then
    for source in fuzz/fuzz_*.cpp; do
        name="$(basename "$source" .cpp)"
        readers+=("${name#fuzz_}")
    done
fi

# Both PNG harnesses share the PNG dictionary.
dictionary_for() {
    case "$1" in
        png_*) echo fuzz/dict/png.dict ;;
        *) echo "fuzz/dict/$1.dict" ;;
    esac
}

failed=()
summary=()
for reader in "${readers[@]}"; do
    seeds="fuzz/corpus/$reader"
    work="$build/corpus/$reader"
    findings="$build/findings/$reader"
    log="$build/logs/$reader.log"
    mkdir -p "$work" "$findings" "$(dirname "$log")"
    echo "=== fuzz_$reader: ${seconds} s from $seeds"
    status=0
    "$build/fuzz_$reader" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=5 -print_final_stats=1 \
        -dict="$(dictionary_for "$reader")" -artifact_prefix="$findings/" "$work" "$seeds" >"$log" 2>&1 || status=$?
    done_line="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)"
    executions="$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' || true)"
    peak="$(grep -E '^stat::peak_rss_mb' "$log" | awk '{print $2}' || true)"
    if [ "$status" -ne 0 ]; then
        failed+=("$reader")
        summary+=("$reader: FAILED (exit $status)")
        echo "--- fuzz_$reader failed; its report:"
        grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse|RELOAD)' "$log" | tail -80
        for finding in "$findings"/*; do
            [ -f "$finding" ] || continue
            echo "--- reproducer $finding ($(stat -c %s "$finding") bytes), base64:"
            head -c 65536 "$finding" | base64
        done
    else
        summary+=("$reader: ok, ${executions:-?} executions, ${done_line#*DONE   }, peak ${peak:-?} MB")
    fi
done

echo "=== fuzzing summary (${seconds} s per harness)"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found failures in: ${failed[*]}"
    echo "replay one with: $build/fuzz_<reader> <reproducer>  (TALVANE_FUZZ_VERBOSE=1 shows the messages)"
    exit 1
fi
echo "${#readers[@]} passed, 0 failed"
