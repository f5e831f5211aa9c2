#pragma once

#include "grid/TokenReader.h"

#include <QString>

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
// (cellsize, dx or xdim, in degrees) are required. The origin and the no-data value
// are not used: the grid has no origin, and heights of -100 or less count as no data.
struct AsciiGridHeader {
    long long columns = 0;
    long long rows = 0;
    double cellSizeDegrees = 0.0;
};

// Reads the header from the start of the file. On success the reader stands before
// the first height. On failure problem says why (without the file name).
bool readAsciiGridHeader(TokenReader& reader, AsciiGridHeader& header, QString& problem);
