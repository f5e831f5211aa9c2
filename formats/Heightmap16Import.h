#pragma once

#include "formats/HeightmapScaling.h"
#include "grid/VeskGrid.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// 16-bit heightmaps read as terrains. The range their samples stand for is, first,
// the one given (the command line's --height-range), then the one in the sidecar
// beside the file (HeightmapSidecar.h), and otherwise the PNG conversion's rule
// (0..65535 is 0..1000 m). The cell size is the sidecar's, or the PNG conversion's
// 291 m. Like the grid files' loaders they start by discarding the grid's terrain;
// a refusal prints why, leaves the grid empty and returns false with errorText.

// A RAW ".r16" (little-endian unsigned 16-bit, the first row first): its size comes
// from the sidecar, or, without one, it must be square.
bool loadRaw16Heightmap(const QString& fileName, const std::optional<HeightmapRange>& range, VeskGrid& grid,
                        QString& errorText);

// Samples already decoded from fileName (a 16-bit grey PNG), width x height, row by row.
bool loadDecodedHeightmap(const QString& fileName, int width, int height, const std::vector<std::uint16_t>& samples,
                          const std::optional<HeightmapRange>& range, VeskGrid& grid, QString& errorText);
