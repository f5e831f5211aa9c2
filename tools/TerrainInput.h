#pragma once

#include "grid/VeskGrid.h"
#include "tools/CommandOptions.h"

#include <QString>

// Loads a terrain as the window would: an ASCII grid (.grd or .asc) with loadGRDFile, a
// GridFloat (.flt with its .hdr) with loadFLTFile, an 8-bit PNG height image converted in
// memory by the shared PNG conversion, a 16-bit grey PNG or a .r16 as a heightmap, and any
// other raster (.tif, .hgt, ...) through GDAL. The format is the extension's unless
// options.format names one. False with errorText ("Terrain was not loaded due to: ...")
// when no terrain results.
bool loadTerrain(const QString& fileName, const TerrainReadOptions& options, VeskGrid& grid, QString& errorText);
