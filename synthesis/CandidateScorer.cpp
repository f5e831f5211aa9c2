#include "synthesis/CandidateScorer.h"

#include <algorithm>

namespace {

constexpr int lanes = 8;
using FloatLanes = float __attribute__((vector_size(lanes * sizeof(float))));

} // namespace

CandidateScorer::CandidateScorer(const FloatMatrix& tiled, BlockPosition tiledPosition, int blockWidth,
                                 int blockHeight, const FloatMatrix& example, const ExampleBlockSums& exampleSums)
    : example_(&example),
      exampleSums_(&exampleSums),
      blockWidth_(blockWidth),
      blockHeight_(blockHeight),
      sampleCount_(static_cast<float>(blockWidth * blockHeight))
{
    const float tiledMean =
        static_cast<float>(runningBlockSum(tiled, tiledPosition.x, tiledPosition.y, blockWidth, blockHeight) / sampleCount_);
    tiledShape_.reserve(static_cast<std::size_t>(blockWidth) * blockHeight);
    for (int i = 0; i < blockHeight; ++i) {
        const std::vector<float>& row = tiled[tiledPosition.y + i];
        for (int j = 0; j < blockWidth; ++j)
            tiledShape_.push_back(row[tiledPosition.x + j] - tiledMean);
    }
}

float CandidateScorer::exampleMean(BlockPosition candidate) const
{
    return static_cast<float>(exampleSums_->sum(candidate.x, candidate.y, blockWidth_, blockHeight_) / sampleCount_);
}

float CandidateScorer::score(BlockPosition candidate) const
{
    const float mean = exampleMean(candidate);
    float error = 0.0f;
    const float* shape = tiledShape_.data();
    for (int i = 0; i < blockHeight_; ++i) {
        const float* row = (*example_)[candidate.y + i].data() + candidate.x;
        for (int j = 0; j < blockWidth_; ++j) {
            const float difference = (row[j] - mean) - *shape++;
            error += difference * difference;
        }
    }
    return error;
}

void CandidateScorer::scoreAll(const BlockPosition* candidates, int count, float* scores) const
{
    for (int first = 0; first < count; first += lanes) {
        // A short last group repeats its last candidate in the spare lanes.
        const int used = std::min(lanes, count - first);
        BlockPosition group[lanes];
        FloatLanes means;
        for (int k = 0; k < lanes; ++k) {
            group[k] = candidates[first + std::min(k, used - 1)];
            means[k] = exampleMean(group[k]);
        }
        FloatLanes error = {};
        const float* shape = tiledShape_.data();
        for (int i = 0; i < blockHeight_; ++i) {
            const float* rows[lanes];
            for (int k = 0; k < lanes; ++k)
                rows[k] = (*example_)[group[k].y + i].data() + group[k].x;
            for (int j = 0; j < blockWidth_; ++j) {
                FloatLanes heights;
                for (int k = 0; k < lanes; ++k)
                    heights[k] = rows[k][j];
                const FloatLanes difference = (heights - means) - *shape++;
                error += difference * difference;
            }
        }
        for (int k = 0; k < used; ++k)
            scores[first + k] = error[k];
    }
}
