#pragma once

#include "grid/TokenReader.h"

#include <QString>

#include <optional>

// Header of an ASCII grid (".grd", ".asc"): lines of a key and a value, read by key,
// case-insensitive, ending where the first height begins. Two layouts are in use:
//
//   this tool's own seven lines        the standard ESRI layout (five or six lines)
//   ncols         403                  ncols         403
//   nrows         344                  nrows         344
//   xllcorner     0                    xllcorner     -84.41   (or xllcenter)
//   yllcorner     0                    yllcorner      36.44   (or yllcenter)
//   xdim          0.000833...          cellsize      0.000833 (or dx and dy)
//   ydim          0.000833...          NODATA_value  -9999    (optional)
//   NODATA_value  -9999
//
// Every key must be one of those, at most once; ncols, nrows and a spacing
// (cellsize, dx or xdim, in degrees) are required. The origin is not used: the grid has
// no origin. Heights of -100 or less count as no data; a standard grid (spaced by
// cellsize or dx) may also declare a no-data value of its own, which the loader honours.
struct AsciiGridHeader {
    long long columns = 0;
    long long rows = 0;
    double cellSizeDegrees = 0.0;
    // The declared NODATA_value of a standard ESRI grid; empty for the seven-line grid,
    // whose own rule (-100 or less) stays the only one.
    std::optional<double> standardNoData;
};

// Reads the header from the start of the file. On success the reader stands before
// the first height. On failure problem says why (without the file name).
bool readAsciiGridHeader(TokenReader& reader, AsciiGridHeader& header, QString& problem);
