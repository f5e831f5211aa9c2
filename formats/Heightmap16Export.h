#pragma once

#include "formats/HeightmapScaling.h"
#include "grid/VeskGrid.h"

#include <QString>

// 16-bit heightmaps as game engines and terrain tools take them, the grid's first row
// first, range mapped to 0..65535 (HeightmapScaling.h):
//   16-bit greyscale PNG, through GDAL's PNG driver;
//   RAW ".r16": width x height little-endian unsigned 16-bit samples, nothing else.
// Each writes only path; on failure nothing is left there and errorText says why.
// The range belongs in the sidecar (HeightmapSidecar.h), which the caller writes.
bool writePng16Heightmap(const VeskGrid& grid, const HeightmapRange& range, const QString& path, QString& errorText);
bool writeRaw16Heightmap(const VeskGrid& grid, const HeightmapRange& range, const QString& path, QString& errorText);
