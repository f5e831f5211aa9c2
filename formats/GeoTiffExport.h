#pragma once

#include "grid/VeskGrid.h"

#include <QString>

// Writes the terrain as a GeoTIFF at path: one Float32 band, tiled, DEFLATE, no-data
// -9999, placed by the georeferencing the terrain was read with (origin, CRS, the pixel
// size following any change of cell size) or, without one, on a local metric grid at
// its cell size (RasterGeoreferencing.h). Writes only path; on failure nothing is left
// there and errorText says why.
bool writeGeoTiff(const VeskGrid& grid, const QString& path, QString& errorText);
