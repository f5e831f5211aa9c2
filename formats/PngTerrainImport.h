#pragma once

#include "formats/HeightmapScaling.h"
#include "grid/VeskGrid.h"

#include <QString>

#include <optional>

// A PNG read as a terrain. A 16-bit grey PNG is a heightmap, its heights stored as they
// are mapped (range as loadDecodedHeightmap takes it); an 8-bit image goes the way of the
// window's conversion: the terrain (heights to two decimals, cell size 291 m, statistics)
// is the one the converted grid file would load as. A range given with an 8-bit image is
// refused. False with errorText when no terrain results.
bool loadPngTerrain(const QString& fileName, const std::optional<HeightmapRange>& range, VeskGrid& grid,
                    QString& errorText);
