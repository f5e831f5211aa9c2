// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/parallel_for.h>

#include "synthesis/RefinedBlockSearch.h"

#include "synthesis/CandidateRange.h"
#include "synthesis/CandidateScorer.h"
#include "synthesis/ExampleBlockSums.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::uint64_t refinementSeed = 0x5eed'7a1f'a9e0'0001ull;

// SplitMix64: a small generator whose streams can start anywhere from one number.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    // Uniform in [-radius, radius] (the bias of the modulo is far below one part in a billion).
    int offset(int radius)
    {
        const auto width = static_cast<std::uint64_t>(2 * radius + 1);
        return static_cast<int>(next() % width) - radius;
    }

private:
    std::uint64_t state_;
};

struct BlockRefiner {
    const FloatMatrix& tiled;
    const FloatMatrix& example;
    const ExampleBlockSums& sums;
    const BlockTiling& tiling;
    BlockMatches& matches;
    int exampleWidth;
    int exampleHeight;

    void refine(int row, int column, int sweep) const
    {
        const int index = row * tiling.blocksPerRow + column;
        const TiledBlock& block = tiling.blocks[index];
        const CandidateRange range = candidateRange(exampleWidth, exampleHeight, block.width, block.height);
        const CandidateScorer scorer(tiled, {block.x, block.y}, block.width, block.height, example, sums);
        BlockPosition& best = matches.positions[index];
        float& bestError = matches.errors[index];
        const auto tryCandidate = [&](BlockPosition candidate) {
            if (!range.contains(candidate))
                return;
            const float error = scorer.score(candidate);
            if (error < bestError) {
                best = candidate;
                bestError = error;
            }
        };

        const bool forwards = sweep % 2 == 0;
        const int direction = forwards ? 1 : -1;
        const int step = tiling.step;
        const int previousColumn = column - direction;
        const int previousRow = row - direction;
        if (previousColumn >= 0 && previousColumn < tiling.blocksPerRow) {
            const BlockPosition neighbour = matches.positions[row * tiling.blocksPerRow + previousColumn];
            tryCandidate({neighbour.x + direction * step, neighbour.y});
        }
        if (previousRow >= 0 && previousRow < tiling.blocksPerColumn) {
            const BlockPosition neighbour = matches.positions[previousRow * tiling.blocksPerRow + column];
            tryCandidate({neighbour.x, neighbour.y + direction * step});
        }

        SplitMix64 random(refinementSeed ^ (static_cast<std::uint64_t>(sweep) << 40) ^ static_cast<std::uint64_t>(index));
        for (int radius = std::max(range.lastX, range.lastY); radius >= 1; radius /= 2) {
            const BlockPosition around = best;
            const int x = std::clamp(around.x + random.offset(radius), 1, range.lastX);
            const int y = std::clamp(around.y + random.offset(radius), 1, range.lastY);
            tryCandidate({x, y});
        }
    }
};

} // namespace

bool refineBlockMatches(const FloatMatrix& tiled, const FloatMatrix& example, const BlockTiling& tiling,
                        BlockProgress& progress, BlockMatches& matches)
{
    const ExampleBlockSums sums(example, tiling.blockSize * tiling.blockSize);
    const int exampleWidth = example.empty() ? 0 : static_cast<int>(example.front().size());
    const BlockRefiner refiner{tiled, example, sums, tiling, matches, exampleWidth, static_cast<int>(example.size())};
    const int rows = tiling.blocksPerColumn;
    const int columns = tiling.blocksPerRow;
    const int diagonals = rows + columns - 1;
    for (int sweep = 0; sweep < refinementSweeps; ++sweep) {
        for (int visit = 0; visit < diagonals; ++visit) {
            if (progress.cancelled())
                return false;
            // Going backwards the blocks' neighbours are right and below: walk the diagonals from the far end.
            const int diagonal = sweep % 2 == 0 ? visit : diagonals - 1 - visit;
            const int firstRow = std::max(0, diagonal - (columns - 1));
            const int lastRow = std::min(rows - 1, diagonal);
            tbb::parallel_for(firstRow, lastRow + 1, [&](int row) {
                refiner.refine(row, diagonal - row, sweep);
                progress.blockDone();
            });
        }
    }
    return true;
}
