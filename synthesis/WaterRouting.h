#pragma once

#include "synthesis/SampleRaster.h"

#include <vector>

// Where water runs on a terrain: a priority flood from the border (Barnes, Lehman &
// Mulla 2014) takes the samples lowest water level first, each after the one it
// drains to, and every sample drains to the neighbour (of eight) taken out first.
// Ties go to the lower sample index, so the result never depends on the queue.
struct DrainageCell {
    // The water's level here: the sample's height, or the level of the depression it lies in.
    float waterLevel = 0.0f;
    // The sample (index in the raster) it drains to; noReceiver on the border, where water leaves.
    int receiver = -1;
};

struct Drainage {
    static constexpr int noReceiver = -1;
    // Every sample, each after the one it drains to.
    std::vector<int> order;
    std::vector<DrainageCell> cells;
};

// Fills `drainage` for `terrain` (at least 3 x 3 samples, finite heights), reusing its storage.
void routeWater(const SampleRaster& terrain, Drainage& drainage);
