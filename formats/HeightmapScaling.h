#pragma once

#include "grid/VeskGrid.h"

#include <cstdint>
#include <vector>

// 16-bit heightmaps hold 0..65535 for a range of heights in metres: sample v is the
// height minimum + v x (maximum - minimum) / 65535 (in double, stored as float), and a
// height h is written as round((h - minimum) / (maximum - minimum) x 65535). A round
// trip thus restores a height to within half of (maximum - minimum) / 65535.
struct HeightmapRange {
    double minimum = 0.0;
    double maximum = 1000.0;
};

// Both ends finite and within a float, the maximum not below the minimum: only such a
// range maps every sample to a height a terrain can hold.
bool isTerrainHeightRange(const HeightmapRange& range);

float heightOfSample(std::uint16_t sample, const HeightmapRange& range);
std::uint16_t sampleOfHeight(float height, const HeightmapRange& range);

// The terrain's range: its smallest and largest heights, no-data (-9999) left out.
// A terrain of one height (or only no-data) maps everything to 0.
HeightmapRange heightmapRangeOf(const VeskGrid& grid);

// The grid's samples for range, row by row, the grid's first row first; no-data
// heights become 0 (the bottom of the range).
std::vector<std::uint16_t> heightmapSamples(const VeskGrid& grid, const HeightmapRange& range);
