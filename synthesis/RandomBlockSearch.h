#pragma once

#include "grid/FloatMatrix.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/BlockProgress.h"
#include "synthesis/BlockTiling.h"
#include "synthesis/RandomRange.h"

#include <vector>

// Each tiled block's best example position among its random candidates, with
// its error: the blocks' winners and nothing else.
struct BlockMatches {
    std::vector<BlockPosition> positions;
    std::vector<float> errors;
};

// How a search over every block ended.
struct BlockSearchOutcome {
    enum class Kind { matched, cancelled, unscorable };
    Kind kind = Kind::matched;
    int firstUnscorableBlock = -1; // tiling index, for Kind::unscorable
};

// The random candidate search of every block of the tiling, in parallel and with
// the very result of matching the blocks one after the other: block b's
// candidates are drawn from the stretch of the sequence that starts where the
// blocks before it stop (each candidate draws y, then x, except from a range of
// one value), so the positions drawn, and the winners, do not depend on the
// order in which blocks are scored. The smallest error wins, the first drawn of
// equals, an error that is not a number never. `from` is where block 0 starts;
// `end` receives where the last block stops.
BlockSearchOutcome searchRandomBlocks(const FloatMatrix& tiled, const FloatMatrix& example, const BlockTiling& tiling,
                                      int candidateCount, RandomRangeStream from, BlockProgress& progress,
                                      BlockMatches& matches, RandomRangeStream& end);
