#pragma once

#include "synthesis/BlockMapper.h"

// Where candidates for a block of one size may start in the example: columns
// 1 to lastX and rows 1 to lastY, keeping off row 0, column 0 and the last
// blockHeight + 1 rows and blockWidth + 1 columns. Empty when a last is below 1.
struct CandidateRange {
    int lastX = 0;
    int lastY = 0;

    bool empty() const { return lastX < 1 || lastY < 1; }
    bool contains(BlockPosition position) const
    {
        return position.x >= 1 && position.x <= lastX && position.y >= 1 && position.y <= lastY;
    }
};

inline CandidateRange candidateRange(int exampleWidth, int exampleHeight, int blockWidth, int blockHeight)
{
    return {exampleWidth - blockWidth - 2, exampleHeight - blockHeight - 2};
}
