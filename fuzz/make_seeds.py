#!/usr/bin/env python3
"""Remakes the hand-made seed inputs in fuzz/corpus/: small files of every layout each
reader knows, cut from the shipped sample terrain where a terrain is wanted. Inputs a
fuzzer found (crash-*, leak-*, timeout-*, oom-* and the regression seeds) are kept as
they are; run from anywhere: python3 fuzz/make_seeds.py"""

import os
import struct
import subprocess
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE = os.path.join(HERE, "..", "tests", "data", "jacksboro.grd")


def put(reader, name, data):
    folder = os.path.join(HERE, "corpus", reader)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data if isinstance(data, bytes) else data.encode())


def sample_heights(columns, rows):
    with open(SAMPLE) as sample:
        tokens = sample.read().split()
    values = [float(t) for t in tokens[14:14 + 403 * 344]]
    return [[values[r * 403 + c] for c in range(columns)] for r in range(rows)]


def grid_rows(heights):
    return "".join(" ".join("%1.2f" % v for v in row) + " \n" for row in heights)


def ascii_grids():
    heights = sample_heights(20, 15)
    put("ascii_grid", "own_layout.grd",
        "ncols\t20\nnrows\t15\nxllcorner\t0\nyllcorner\t0\nxdim\t0.000833333333333333\n"
        "ydim\t0.000833333333333333\nNODATA_value\t-9999\n" + grid_rows(heights) + "\n")
    put("ascii_grid", "esri_layout.asc",
        "ncols 20\nnrows 15\nxllcorner -84.41375\nyllcorner 36.44625\ncellsize 0.000833333333333333\n"
        "NODATA_value -9999\n" + grid_rows(heights))
    put("ascii_grid", "esri_centers_dxdy.asc",
        "NCOLS 3\nNROWS 2\nXLLCENTER 0\nYLLCENTER 0\nDX 0.00083333\nDY 0.00083333\n"
        "1 2 3\n-9999 5e2 6.25\n")
    put("ascii_grid", "tiny.grd", "ncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 0.0003\n7\n")


def float_grids():
    heights = sample_heights(12, 9)
    header = ("ncols         12\nnrows         9\nxllcorner     -84.41375\nyllcorner     36.44625\n"
              "cellsize      0.0008333333333333\nNODATA_value  -9999\nbyteorder     LSBFIRST\n").encode()
    data = b"".join(struct.pack("<f", v) for row in heights for v in row)
    put("grid_float", "usgs_layout", struct.pack("<H", len(header)) + header + data)
    header = b"NROWS 2\nNCOLS 2\nXDIM 0.0003\nBYTEORDER M\nNBITS 32\nPIXELTYPE FLOAT\nLAYOUT BIL\nNBANDS 1\n"
    data = b"".join(struct.pack(">f", v) for v in (1.5, -9999.0, 250.0, 0.0))
    put("grid_float", "big_endian_keys", struct.pack("<H", len(header)) + header + data)


def details_text(columns, rows, cell_size, shortfall=2):
    # shortfall 2 is a Chaikin level (N - 2 details a line), 1 a Faber level (N - 1).
    lines = ["fuzzsource\tsource", "%i\tnum_cols" % columns, "%i\tnum_rows" % rows,
             "%i\tresulting_num_cols" % (2 * columns - shortfall),
             "%i\tresulting_num_rows" % (2 * rows - shortfall),
             ("%f" % cell_size if cell_size > 0 else "-1") + "\tcellsize(m)", "null\tnext_file", "", "",
             "width_details"]
    text = "\n".join(lines) + "\n"
    text += "".join(" ".join("%1.5f" % (((r * 7 + c * 3) % 11) * 0.1 - 0.5) for c in range(columns - shortfall)) + " \n"
                    for r in range(rows))
    text += "\nheight_details\n"
    text += "".join(" ".join("%1.5f" % (((r * 5 + c) % 13) * 0.05 - 0.3) for c in range(2 * columns - shortfall)) + " \n"
                    for r in range(rows - shortfall))
    return text + "\n"


def details_files():
    # The first byte picks the grid the level is spliced into (see fuzz_details_file.cpp).
    put("details_file", "level_12_into_none", b"\x00" + details_text(12, 12, 60.0).encode())
    put("details_file", "level_12_into_20x16", b"\x02" + details_text(12, 12, 60.0).encode())
    put("details_file", "level_14x13_into_40x24", b"\x03" + details_text(14, 13, -1).encode())
    put("details_file", "level_12_into_12", b"\x01" + details_text(12, 12, 15.0).encode())
    put("details_file", "faber_level_13x12_into_20x16", b"\x02" + details_text(13, 12, 30.0, shortfall=1).encode())


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, color_type, depth, raw_lines, interlace=0, extra=b"", idat_pieces=1, level=9):
    header = struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, interlace)
    stream = zlib.compress(raw_lines, level)
    step = max(1, (len(stream) + idat_pieces - 1) // idat_pieces)
    idats = b"".join(chunk(b"IDAT", stream[i:i + step]) for i in range(0, len(stream), step))
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra + idats + chunk(b"IEND", b"")


def lines(width, height, bytes_per_line, filters=(0, 1, 2, 3, 4)):
    out = b""
    for y in range(height):
        out += bytes([filters[y % len(filters)]]) + bytes((x * 37 + y * 11) % 256 for x in range(bytes_per_line))
    return out


def pngs():
    images = {
        "grey8.png": png(5, 4, 0, 8, lines(5, 4, 5)),
        "grey1.png": png(11, 3, 0, 1, lines(11, 3, 2)),
        "rgb8_trns_gama.png": png(3, 2, 2, 8, lines(3, 2, 9),
                                  extra=chunk(b"gAMA", struct.pack(">I", 45455)) + chunk(b"tRNS", b"\x00\x01\x00\x02\x00\x03")),
        "rgb16.png": png(2, 2, 2, 16, lines(2, 2, 12)),
        "palette4.png": png(7, 3, 3, 4, lines(7, 3, 4),
                            extra=chunk(b"PLTE", bytes(range(48))) + chunk(b"tRNS", b"\x10\x20\x30")),
        "palette8.png": png(4, 4, 3, 8, lines(4, 4, 4), extra=chunk(b"PLTE", bytes(range(30)))),
        "grey_alpha8.png": png(3, 3, 4, 8, lines(3, 3, 6)),
        "rgba8_interlaced.png": png(9, 9, 6, 8, b"".join(
            bytes([1]) + bytes((i * 13) % 256 for i in range(4 * w)) for w, h in
            [(2, 2), (1, 2), (3, 1), (2, 3), (5, 2), (4, 5), (9, 4)] for _ in range(h)), interlace=1),
        "grey8_many_idat.png": png(16, 16, 0, 8, lines(16, 16, 16), idat_pieces=40, level=1),
        "grey8_stored.png": png(6, 2, 0, 8, lines(6, 2, 6), level=0),
    }
    for name, data in images.items():
        put("png_image", name, data)
        put("png_to_grid", name, data)


def deflate(data, level=9, window_bits=15, strategy=zlib.Z_DEFAULT_STRATEGY):
    compressor = zlib.compressobj(level, zlib.DEFLATED, window_bits, 9, strategy)
    return compressor.compress(data) + compressor.flush()


def inflate_streams():
    text = b"Terrain synthesis by example: terrain, terrain, terrain." * 3
    put("inflate", "stored", zlib.compress(text, 0))
    put("inflate", "fixed", deflate(text, strategy=zlib.Z_FIXED))
    put("inflate", "dynamic", zlib.compress(bytes((i * i) % 251 for i in range(3000)), 9))
    put("inflate", "small_window", deflate(text * 4, 6, 9))
    put("inflate", "long_runs", zlib.compress(b"\x00" * 20000 + b"\x01" * 300, 9))


def gdal_rasters():
    # Small cuts of the sample GeoTIFF through gdal_translate, each behind the byte that
    # picks its name's extension in fuzz_gdal_raster.cpp (0 .tif, 1 .asc). An Erdas
    # Imagine file is 20 KiB even for a few samples, too long for a seed.
    source = os.path.join(HERE, "..", "tests", "data", "jacksboro_utm16.tif")
    cuts = [
        ("geotiff_deflate_8x6", 0, "GTiff", ["-co", "COMPRESS=DEFLATE", "-co", "PREDICTOR=3"], "tif"),
        ("geotiff_int16_tiled_16x16", 0, "GTiff", ["-ot", "Int16", "-co", "TILED=YES", "-co", "BLOCKXSIZE=16",
                                                   "-co", "BLOCKYSIZE=16", "-a_nodata", "-9999"], "tif"),
        ("esri_ascii_8x6", 1, "AAIGrid", [], "asc"),
    ]
    with tempfile.TemporaryDirectory() as scratch:
        for name, picker, driver, options, extension in cuts:
            size = ["16", "16"] if "16x16" in name else ["8", "6"]
            target = os.path.join(scratch, name + "." + extension)
            subprocess.run(["gdal_translate", "-q", "-of", driver, "-srcwin", "100", "100"] + size + options +
                           [source, target], check=True)
            with open(target, "rb") as raster:
                put("gdal_raster", name, bytes([picker]) + raster.read())


def sidecar_text(width, height, low, high, cell_size):
    return ('{\n    "cellSize": %s,\n    "height": %d,\n    "maxHeight": %s,\n    "minHeight": %s,\n'
            '    "sampleRange": [\n        0,\n        65535\n    ],\n    "width": %d\n}\n'
            % (cell_size, height, high, low, width)).encode()


def heightmaps():
    # RAW 16-bit heightmaps behind the length of their sidecar (0: none, so square), and
    # sidecars alone.
    heights = sample_heights(6, 4)
    low = min(min(row) for row in heights)
    high = max(max(row) for row in heights)
    samples = b"".join(struct.pack("<H", round((h - low) * 65535 / (high - low))) for row in heights for h in row)
    sidecar = sidecar_text(6, 4, low, high, 90)
    put("raw16_heightmap", "with_sidecar_6x4", struct.pack("<H", len(sidecar)) + sidecar + samples)
    put("raw16_heightmap", "square_3x3_no_sidecar", struct.pack("<H", 0) + samples[:18])
    put("heightmap_sidecar", "written_6x4", sidecar)
    put("heightmap_sidecar", "no_cell_size", sidecar_text(2, 2, 0, 1000, -1))
    put("heightmap_sidecar", "regression_cell_size_beyond_float", sidecar_text(2, 2, 0, 1000, "1e300"))


def session_archive(screens, version=1, window=None):
    """A .talvane archive: the manifest first, then each screen's matrices as GridFloat
    entries (stored, fixed dates, so the bytes are the same every time)."""
    import io
    import json
    import zipfile
    entries = []
    manifest = {"format": "talvane-session", "version": version, "window": window or {}}
    for side in ("left", "right"):
        screen = screens.get(side)
        if screen is None:
            manifest[side] = None
            continue
        matrices = [(side, screen["heights"], True)]
        matrices += [("%s-details-%d" % (side, k), m, False) for k, m in enumerate(screen.get("details", []))]
        for name, matrix, is_heights in matrices:
            entries.append((name + ".flt", b"".join(struct.pack("<%df" % len(row), *row) for row in matrix)))
            header = "ncols %d\nnrows %d\nxllcorner 0\nyllcorner 0\ncellsize %s\n" % (
                len(matrix[0]), len(matrix), "0.000277777777777778" if is_heights else "1")
            entries.append((name + ".hdr", (header + "byteorder LSBFIRST\n").encode()))
        record = {"name": side + " terrain", "cellSize": 30.0, "fractalDeviation": -1.0,
                  "minHeight": 250.0, "maxHeight": 550.0, "averageHeight": 400.0, "heights": side + ".flt",
                  "details": ["%s-details-%d.flt" % (side, k) for k in range(len(screen.get("details", [])))]}
        if "georeference" in screen:
            record["georeference"] = screen["georeference"]
            entries.append((side + ".prj", screen["georeference"]["crsWkt"].encode()))
        manifest[side] = record
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_STORED) as archive:
        for name, data in [("manifest.json", json.dumps(manifest, indent=1).encode())] + entries:
            archive.writestr(zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0)), data)
    return out.getvalue()


def session_files():
    heights = sample_heights(12, 12)
    # One Chaikin level of a 12 x 12 coarse grid: column details 10 x 22, row details 12 x 10.
    columns = [[0.01 * (r - c) for c in range(22)] for r in range(10)]
    rows = [[0.02 * (r + c) for c in range(10)] for r in range(12)]
    place = {"originX": 500000.0, "originY": 4000000.0, "pixelWidth": 30.0, "pixelHeight": -30.0,
             "crsWkt": 'PROJCS["WGS 84 / UTM zone 16N",GEOGCS["WGS 84",DATUM["WGS_1984",SPHEROID["WGS 84",'
                       '6378137,298.257223563]],PRIMEM["Greenwich",0],UNIT["degree",0.0174532925199433]],'
                       'PROJECTION["Transverse_Mercator"],PARAMETER["central_meridian",-87],'
                       'PARAMETER["scale_factor",0.9996],PARAMETER["false_easting",500000],UNIT["metre",1]]',
             "cellSizeAtLoad": 30.0}
    both = session_archive({"left": {"heights": heights, "details": [columns, rows], "georeference": place},
                            "right": {"heights": sample_heights(8, 5)}},
                           window={"scheme": 0, "blockSize": 24})
    put("session_file", "both_screens_with_details.talvane", both)
    put("session_file", "left_only.talvane", session_archive({"left": {"heights": sample_heights(6, 4)}}))
    put("session_file", "newer_version.talvane", session_archive({"left": {"heights": sample_heights(3, 3)}}, 2))
    put("session_file", "truncated.talvane", both[:len(both) // 2])


if __name__ == "__main__":
    ascii_grids()
    float_grids()
    details_files()
    pngs()
    inflate_streams()
    gdal_rasters()
    heightmaps()
    session_files()
