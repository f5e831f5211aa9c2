#!/usr/bin/env bash
# Remakes the georeferenced DEM fixtures of tests/data from the shipped sample
# tests/data/jacksboro.grd (403 x 344 heights at 3 arc-seconds), placed where its
# binary twin's header (jacksboro.hdr) puts it: west edge -84.41375, south edge 36.44625.
#   jacksboro_geographic.tif  WGS 84 (EPSG:4326), Int16, DEFLATE: the sample as it is
#   jacksboro_utm16.tif       UTM zone 16N (EPSG:32616), Float32, 90 m, nearest sample;
#                             the corners outside the warped sample are no-data (-9999)
#   N36W085_cut.hgt (+ .hdr)  a 120 x 100 cut in the SRTM layout (big-endian int16,
#                             rows north first) with a 10 x 10 void of -32768
# Needs gdal-bin and python3. Usage: bash scripts/make-dem-fixtures.sh
set -euo pipefail

data="$(cd "$(dirname "$0")/../tests/data" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Our grid's seven header lines become a standard ESRI ASCII header at the sample's place.
{
    printf 'ncols 403\nnrows 344\nxllcorner -84.41375\nyllcorner 36.44625\n'
    printf 'cellsize 0.000833333333333333\nNODATA_value -9999\n'
    tail -n +8 "$data/jacksboro.grd"
} > "$work/jacksboro.asc"

gdal_translate -q -of GTiff -ot Int16 -a_srs EPSG:4326 \
    -co COMPRESS=DEFLATE -co PREDICTOR=2 -co ZLEVEL=9 \
    "$work/jacksboro.asc" "$data/jacksboro_geographic.tif"

gdalwarp -q -overwrite -s_srs EPSG:4326 -t_srs EPSG:32616 -tr 90 90 -tap -r near \
    -srcnodata -9999 -dstnodata -9999 -ot Float32 \
    -co COMPRESS=DEFLATE -co PREDICTOR=3 -co ZLEVEL=9 \
    "$work/jacksboro.asc" "$data/jacksboro_utm16.tif"

# The cut: columns 100..219, rows 50..149 of the sample (row 0 is the north edge).
python3 - "$data/jacksboro.grd" "$data/N36W085_cut.hgt" <<'PY'
import struct, sys
source, target = sys.argv[1], sys.argv[2]
with open(source) as f:
    rows = [line.split() for line in f.read().splitlines()[7:] if line.strip()]
first_col, first_row, cols, nrows = 100, 50, 120, 100
out = bytearray()
for r in range(first_row, first_row + nrows):
    for c in range(first_col, first_col + cols):
        value = int(round(float(rows[r][c])))
        if 40 <= r - first_row < 50 and 60 <= c - first_col < 70:
            value = -32768  # a void, as SRTM marks them
        out += struct.pack('>h', value)
open(target, 'wb').write(out)
PY
cellsize=0.000833333333333333
cat > "$data/N36W085_cut.hdr" <<HDR
ncols 120
nrows 100
nbands 1
nbits 16
pixeltype signedint
byteorder M
layout bil
ulxmap $(python3 -c "print(-84.41375 + 100.5 * $cellsize)")
ulymap $(python3 -c "print(36.44625 + 344 * $cellsize - 50.5 * $cellsize)")
xdim $cellsize
ydim $cellsize
nodata -32768
HDR
# GDAL's labelled-raw reader takes the CRS from an ESRI keyword .prj beside the data.
printf 'Projection    GEOGRAPHIC\nDatum         WGS84\nSpheroid      WGS84\nUnits         DD\nZunits        METERS\nParameters\n' \
    > "$data/N36W085_cut.prj"
ls -l "$data"/jacksboro_*.tif "$data"/N36W085_cut.*
