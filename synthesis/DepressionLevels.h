#pragma once

#include "synthesis/SampleRaster.h"
#include "synthesis/WaterRouting.h"

// Sets every cell's waterLevel: the lowest level at which water on that sample can
// reach the terrain's border over 8-connected samples, i.e. its height, or the level
// of the depression it lies in when filled to its spill point. That level is unique,
// so this gives the levels a priority flood gives, without a priority queue over
// the samples: each sample runs down to its lowest lower neighbour, which splits the
// terrain into basins (one per pit, and the border's); the lowest pass between every
// two neighbouring basins gives a small graph, flooded from the border basin; and a
// sample's level is the larger of its height and its basin's flood level.
// Uses drainage.basins as working space; cells must have the terrain's size.
void fillDepressionLevels(const SampleRaster& terrain, Drainage& drainage);
