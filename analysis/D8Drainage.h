#pragma once

#include "analysis/HeightField.h"

#include <cstdint>
#include <vector>

// D8 drainage: every inner sample passes its water to one receiver, the border samples
// pass it off the terrain. The heights are never changed.
//
// A sample with a neighbour below it drains to the neighbour of steepest descent (drop
// over distance, d or d sqrt 2; the first in eightNeighbours() order among equals). A pit
// or a sample on a flat (no neighbour below) drains to where the water would leave its
// hollow: a priority flood from the border gives every sample its spill level (the
// lowest height at which water there reaches the border) and the sample it was flooded
// from; the receiver is the first sample on that chain of floodings at a lower spill
// level, or the border sample the chain reaches. Steepest descent never raises the spill
// level and lowers the height, a jump lowers the spill level, so no water goes round in
// circles.

struct DrainageNetwork {
    std::vector<std::int32_t> receivers;      // row-major; -1 for the border (water leaves)
    std::vector<std::int64_t> drainageAreas;  // samples draining through each, itself included
};

DrainageNetwork d8Drainage(const HeightField& field);

// Samples draining at least this many samples count as channel samples.
inline constexpr std::int64_t kChannelArea = 256;

struct DrainageFigures {
    double channelShare = 0.0; // of all samples, drainage area >= kChannelArea
    // Least-squares slope of log10 P(A >= a) against log10 a at a = 4, 8, ..., 1024
    // (the areas with P > 0); NaN with fewer than two such areas.
    double exceedanceSlope = 0.0;
};

DrainageFigures drainageFiguresOf(const DrainageNetwork& network);
