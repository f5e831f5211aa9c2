#pragma once

#include "grid/FloatMatrix.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/ExampleBlockSums.h"
#include "synthesis/PackedExample.h"

#include <vector>

// Scores example candidates against one tiled block with exactly the arithmetic
// of BlockMapper::blockError, faster: the tiled block's mean and zero-mean shape
// are taken once for all candidates, the candidates' sums come from
// ExampleBlockSums (or, where it says they are exact in double, straight from the
// packed rows, eight candidates at a time), and the error pass runs several candidates side by side in
// vector lanes, each lane adding its own terms in the block's row order in float
// (with a packed example on a processor with AVX2, the lanes are filled by gathers).
class CandidateScorer {
public:
    CandidateScorer(const FloatMatrix& tiled, BlockPosition tiledPosition, int blockWidth, int blockHeight,
                    const FloatMatrix& example, const ExampleBlockSums& exampleSums,
                    const PackedExample* packed = nullptr);

    float score(BlockPosition candidate) const;
    // scores[k] = score(candidates[k]) for k < count.
    void scoreAll(const BlockPosition* candidates, int count, float* scores) const;

private:
    float exampleMean(BlockPosition candidate) const;
    void scoreGroup(const BlockPosition* group, float* errors) const;
    void prefetchBlock(BlockPosition candidate) const;

    const FloatMatrix* example_;
    const ExampleBlockSums* exampleSums_;
    const PackedExample* packed_; // null: no gathers
    int blockWidth_;
    int blockHeight_;
    float sampleCount_;
    std::vector<float> tiledShape_; // row by row, tiled height - tiled mean
};
