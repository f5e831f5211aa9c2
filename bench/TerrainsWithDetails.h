#pragma once

#include "multires/Chaikin.h"
#include "tools/fbm/FbmTerrain.h"

// A terrain as a screen holds it after work: side x side heights (an fBm terrain) and a
// detail stack of `levels` levels, the ones Chaikin coarsenings of those heights push (so
// the matrices have the shapes and sizes of real levels).
inline VeskGrid terrainWithDetails(int side, int levels, std::uint32_t seed)
{
    VeskGrid terrain = makeFbmTerrain(side, seed);
    VeskGrid coarsened = terrain;
    for (int level = 0; level < levels; ++level)
        reverseChaikin(coarsened);
    terrain.details = std::move(coarsened.details);
    return terrain;
}
