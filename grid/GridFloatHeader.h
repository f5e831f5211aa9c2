#pragma once

#include <QString>
#include <cstdio>

// Header (".hdr") of a binary float grid: lines of a key and a value, read by key,
// case-insensitive, in any order. The USGS layout
//
//   ncols         403
//   nrows         344
//   xllcorner     -84.41375
//   yllcorner     36.44625
//   cellsize      0.0008333333333333
//   NODATA_value  -9999
//   byteorder     LSBFIRST
//
// is the common one; other tools write NROWS before NCOLS, XDIM for the spacing,
// LAYOUT, NBANDS and more. Used here: ncols and nrows (required), cellsize or xdim
// (required, degrees), byteorder (LSBFIRST or I: little-endian, the default;
// MSBFIRST or M: big-endian), and nbits and pixeltype, which must describe 32-bit
// floats when present. Everything else is skipped.
struct GridFloatHeader {
    long long columns = 0;
    long long rows = 0;
    double cellSizeDegrees = 0.0;
    bool bigEndian = false;
};

// Reads the header file; on failure problem says why (without the file name).
bool readGridFloatHeader(std::FILE* file, GridFloatHeader& header, QString& problem);
