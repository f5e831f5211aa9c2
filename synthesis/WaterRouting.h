#pragma once

#include "grid/LargeBlockAllocator.h"
#include "synthesis/SampleRaster.h"

#include <cstdint>
#include <vector>

// Where water runs on a terrain. Every sample's water level is its height or the
// level of the filled depression it lies in (what a priority flood from the border,
// Barnes, Lehman & Mulla 2014, gives); each sample drains to its neighbour (of eight)
// of steepest fall in water level per distance, the first in index order among
// equals (a fall alone would favour the farther diagonals and draw straight diagonal
// channels); on a
// flat (a lake's surface) water runs to the nearest sample of the flat that drains
// lower, by a breadth-first search from those. The groups list every border sample's
// catchment depth first, each sample after the one it drains to, so that the steps
// stay near one another on the terrain. Nothing depends on the number of threads.
struct DrainageCell {
    // The water's level here: the sample's height, or the level of the depression it lies in.
    float waterLevel = 0.0f;
    // The sample (index in the raster) it drains to; noReceiver on the border, where water leaves.
    int receiver = -1;
};

struct Drainage {
    static constexpr int noReceiver = -1;
    // Every sample once, in groups of whole catchments (the border's samples in index
    // order, 64 to a group), each sample after the one it drains to. Water never leaves
    // a group, so the groups may be worked on side by side.
    std::vector<std::vector<int>> groups;
    // For each step of a group, the step of the same group the sample drains to, or -1
    // for a border sample: the steps of a catchment without the samples' scattered
    // indices, which keeps the walks over them in the cache.
    std::vector<std::vector<int>> receiverSteps;
    LargeVector<DrainageCell> cells;
    // Working space, kept so that the steps of an erosion do not touch fresh memory.
    LargeVector<int> basins;
    LargeVector<std::uint8_t> donorMasks;
    std::vector<int> pending;
};

// Fills `drainage` for `terrain` (at least 3 x 3 samples, finite heights), reusing its storage.
void routeWater(const SampleRaster& terrain, Drainage& drainage);
