#pragma once

#include "synthesis/BlockMapper.h"
#include "synthesis/BlockTiling.h"
#include "synthesis/RandomRange.h"

#include <cmath>
#include <vector>

// Block matching as first written, the yardstick for the parallel matcher (its
// tests and its benchmark): blocks one after the other in tiling order, each
// candidate drawn from getRand (y, then x) and scored by the plain blockError.
// Returns false when some block has no candidate with a score that is a number.
inline bool mapBlocksSerially(const BlockMapper& mapper, int candidateCount, std::vector<BlockPosition>& positions,
                              std::vector<float>* errors = nullptr)
{
    const BlockTiling tiling = tileGrid(mapper.tiledWidth, mapper.tiledHeight, mapper.blockSize, mapper.overlap);
    positions.clear();
    if (errors)
        errors->clear();
    for (const TiledBlock& block : tiling.blocks) {
        const float lastY = static_cast<float>(mapper.exampleHeight - block.height - 2);
        const float lastX = static_cast<float>(mapper.exampleWidth - block.width - 2);
        bool found = false;
        BlockPosition best;
        float bestError = 0.0f;
        for (int candidate = 0; candidate < candidateCount; ++candidate) {
            const int y = static_cast<int>(*getRand(1.0f, lastY));
            const int x = static_cast<int>(*getRand(1.0f, lastX));
            const float score = mapper.blockError({block.x, block.y}, {x, y}, block.width, block.height);
            if (std::isnan(score))
                continue;
            if (!found || score < bestError) {
                found = true;
                best = {x, y};
                bestError = score;
            }
        }
        if (!found)
            return false;
        positions.push_back(best);
        if (errors)
            errors->push_back(bestError);
    }
    return true;
}
