#!/usr/bin/env bash
# Times whole talvane-cli processes against the tools a user would otherwise reach for, on a
# generated fBm terrain, and prints the table of medians with the peers' time over ours, the
# largest peak memory, the median count of minor page faults (what /usr/bin/time calls %R) and
# our median processor time (user + system), which a busy disk or other work waited for leaves out.
# A measuring tool, not a test: figures depend on the machine and its load.
#
#   bash scripts/compare-peers.sh [SIDE] [RUNS]      (default 4097 samples a side, 5 runs)
#
# Needs a release build (cmake --preset release && cmake --build --preset release) or
# TALVANE_BIN pointing at a folder with talvane-cli and talvane-fbm. Peers are used when
# installed: gdal_translate (gdal-bin) and PyWavelets (python3-pywt); rows without a peer
# show only our figures. Runs of ours and the peer's alternate, so a change of load hits both.
# The terrains go to a temporary folder that is removed at the end.
set -euo pipefail

side=${1:-4097}
runs=${2:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
bin=${TALVANE_BIN:-$here/build/release/tools}
cli=$bin/talvane-cli
fbm=$bin/talvane-fbm
python=/usr/bin/python3
for tool in "$cli" "$fbm"; do
    [ -x "$tool" ] || { echo "missing $tool: build the release preset first" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (package time)" >&2; exit 1; }

work=$(mktemp -d /tmp/talvane-peers-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"

have_gdal=false
command -v gdal_translate >/dev/null && have_gdal=true
have_pywt=false
"$python" -c 'import numpy, pywt' 2>/dev/null && have_pywt=true

echo "Generating a ${side} x ${side} fBm terrain in $work ..." >&2
"$fbm" "$side" big.flt
"$cli" convert big.flt big.asc --quiet >/dev/null
if $have_gdal; then
    gdal_translate -q -of PNG -ot Byte -scale big.flt big.png 2>/dev/null
fi

# One level of the biorthogonal 2.2 wavelet, there and back, from the same float grid.
cat > wavelet_level.py <<'EOF'
import sys
import numpy
import pywt
side = int(open(sys.argv[1][:-4] + ".hdr").read().split()[1])
heights = numpy.fromfile(sys.argv[1], dtype="<f4").reshape(side, -1)
coefficients = pywt.dwt2(heights, "bior2.2")
pywt.idwt2(coefficients, "bior2.2")
EOF

# Runs a command once; prints "seconds peak_MB minor_faults cpu_seconds".
measure() {
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f "%M %R %U %S" -o peak.txt "$@" >/dev/null 2>run-errors.txt || {
        echo "failed: $* ($(cat run-errors.txt))" >&2
        exit 1
    }
    end=$(date +%s%N)
    read -r kb faults user system < <(tail -n 1 peak.txt)
    awk -v ns=$((end - start)) -v kb="$kb" -v faults="$faults" -v user="$user" -v sys="$system" \
        'BEGIN { printf "%.3f %.0f %d %.2f\n", ns / 1e9, kb / 1024, faults, user + sys }'
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# row LABEL GOAL "OUR COMMAND" ["PEER LABEL" "PEER COMMAND"]
row() {
    local label=$1 goal=$2 ours=$3 peer_label=${4:-} peer=${5:-}
    local our_times=() our_peaks=() our_faults=() our_cpus=() peer_times=() peer_peaks=()
    for ((i = 0; i < runs; ++i)); do
        read -r t m f c < <(measure $ours)
        our_times+=("$t"); our_peaks+=("$m"); our_faults+=("$f"); our_cpus+=("$c")
        if [ -n "$peer" ]; then
            read -r t m f c < <(measure $peer)
            peer_times+=("$t"); peer_peaks+=("$m")
        fi
    done
    local our_time our_peak our_fault our_cpu
    our_time=$(printf '%s\n' "${our_times[@]}" | median)
    our_peak=$(printf '%s\n' "${our_peaks[@]}" | sort -g | tail -n 1)
    our_fault=$(printf '%s\n' "${our_faults[@]}" | median)
    our_cpu=$(printf '%s\n' "${our_cpus[@]}" | median)
    if [ -n "$peer" ]; then
        local peer_time peer_peak ratio
        peer_time=$(printf '%s\n' "${peer_times[@]}" | median)
        peer_peak=$(printf '%s\n' "${peer_peaks[@]}" | sort -g | tail -n 1)
        ratio=$(awk -v p="$peer_time" -v o="$our_time" 'BEGIN { printf "%.1f", p / o }')
        printf '| %s | %s s (%s s CPU), %s MB, %s faults | %s | %s s, %s MB | %s× | %s |\n' "$label" "$our_time" \
            "$our_cpu" "$our_peak" "$our_fault" "$peer_label" "$peer_time" "$peer_peak" "$ratio" "$goal"
    else
        printf '| %s | %s s (%s s CPU), %s MB, %s faults | none | | | %s |\n' "$label" "$our_time" "$our_cpu" \
            "$our_peak" "$our_fault" "$goal"
    fi
}

echo
echo "Whole processes on a ${side} x ${side} terrain ($(du -m big.asc | cut -f1) MB as ASCII, $(du -m big.flt | cut -f1) MB as float), median of $runs alternated runs; peak = largest maximum resident set."
echo "Machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start;" \
    "transparent huge pages: $(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)" \
    "($(grep -s THP_enabled /proc/self/status | tr -d '\t' || echo 'THP_enabled: unknown') for these processes)."
echo
echo "| Work (whole process) | Talvane | Peer | Peer | Peer / Talvane | Goal |"
echo "|---|---|---|---|---|---|"
if $have_gdal; then
    row "read ASCII grid (\`info big.asc\`)" "≥ 10×" "$cli info big.asc --quiet" \
        "\`gdal_translate\` AAIGrid → ENVI" "gdal_translate -q -of ENVI big.asc peer.envi"
    row "write ASCII grid, 2 decimals (\`convert big.flt out.grd\`)" "≥ 12×" "$cli convert big.flt out.grd --quiet" \
        "\`gdal_translate -of AAIGrid -co DECIMAL_PRECISION=2\`" \
        "gdal_translate -q -of AAIGrid -co DECIMAL_PRECISION=2 big.flt peer.asc"
else
    row "read ASCII grid (\`info big.asc\`)" "≥ 10×" "$cli info big.asc --quiet"
    row "write ASCII grid, 2 decimals (\`convert big.flt out.grd\`)" "≥ 12×" "$cli convert big.flt out.grd --quiet"
fi
if $have_pywt; then
    row "one Chaikin level (\`coarsen big.flt c.flt\`)" "≥ 4×, < 250 MB" \
        "$cli coarsen big.flt c.flt --scheme chaikin --quiet" \
        "PyWavelets \`dwt2\`+\`idwt2\` bior2.2" "$python wavelet_level.py big.flt"
else
    row "one Chaikin level (\`coarsen big.flt c.flt\`)" "< 250 MB" "$cli coarsen big.flt c.flt --scheme chaikin --quiet"
fi
if $have_gdal; then
    row "PNG → grid (\`convert big.png p.grd\`)" "≥ 2×" "$cli convert big.png p.grd --quiet" \
        "\`gdal_translate\` PNG → AAIGrid" "gdal_translate -q -of AAIGrid big.png peer-png.asc"
fi
row "info of the float grid (\`info big.flt\`)" "≤ 0.1 s, < 100 MB" "$cli info big.flt --quiet"
row "convert float to ESRI ASCII (\`convert big.flt out.asc\`)" "" "$cli convert big.flt out.asc --quiet"
row "convert ASCII to float (\`convert big.asc out.flt\`)" "" "$cli convert big.asc out.flt --quiet"
row "one Faber level (\`coarsen big.flt c.flt --scheme faber\`)" "" "$cli coarsen big.flt c.flt --scheme faber --quiet"
row "one Chaikin refinement (\`refine c.flt f.flt\`)" "" "$cli refine c.flt f.flt --scheme chaikin --quiet"
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
