#pragma once

#include "grid/VeskGrid.h"

#include <QString>

#include <optional>

// Exchange formats beyond our own seven-line grid, for handing terrains to GIS tools
// (GDAL, QGIS, GRASS). Both write the heights exactly as held in memory and the cell
// size in degrees, converted as our readers convert it back (metres x 1/108000).
// Each returns false with errorText set when the grid has no data or a file cannot be
// written completely; a failed write leaves the files that were there as they were
// (each is saved through io::AtomicFileWrite), so no partial file stays.

// Where a header places the grid, in the units of its coordinate system (said by a .prj
// beside it): the lower-left corner of the lower-left cell and the cell size. Without
// one the header says 0, 0 and the cell size in degrees, as always.
struct GridHeaderPlacement {
    double xllcorner = 0.0;
    double yllcorner = 0.0;
    double cellSize = 0.0;
};

// Standard ESRI ASCII grid: ncols, nrows, xllcorner 0, yllcorner 0, cellsize,
// NODATA_value -9999, then one line per row, first row first. Heights are written with
// the shortest text that reads back as the same float.
bool writeEsriAsciiGrid(const VeskGrid& grid, const QString& fileName, QString& errorText,
                        const std::optional<GridHeaderPlacement>& placement = std::nullopt);

// GridFloat: little-endian float32 samples, row by row, in dataFileName, and a header in
// the USGS key layout (ncols, nrows, xllcorner, yllcorner, cellsize, NODATA_value,
// byteorder LSBFIRST) at gridFloatHeaderName(dataFileName).
bool writeGridFloat(const VeskGrid& grid, const QString& dataFileName, QString& errorText,
                    const std::optional<GridHeaderPlacement>& placement = std::nullopt);

// The header beside a GridFloat data file: the data file's name with its last extension
// replaced by ".hdr" (or ".hdr" appended when it has none), where GDAL looks for it.
QString gridFloatHeaderName(const QString& dataFileName);
