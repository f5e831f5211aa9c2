#include "synthesis/CandidateScorer.h"

#include "synthesis/BlockMapper.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

bool sameBits(float first, float second)
{
    return std::memcmp(&first, &second, sizeof first) == 0;
}

void expectBlockErrorsWith(const VeskGrid& tiled, const VeskGrid& example, BlockPosition at, int width, int height,
                           const ExampleBlockSums& sums, const PackedExample* packed)
{
    const BlockMapper mapper(tiled, example, 8, 1);
    const CandidateScorer scorer(tiled.heights, at, width, height, example.heights, sums, packed);
    std::vector<BlockPosition> candidates;
    for (int y = 0; y + height <= example.height; y += 2)
        for (int x = 0; x + width <= example.width; x += 3)
            candidates.push_back({x, y});
    // 1 to 13 candidates per call: full vector groups and every length of a short last one.
    for (std::size_t first = 0; first < candidates.size();) {
        const int count = std::min<int>(1 + static_cast<int>(first % 13), static_cast<int>(candidates.size() - first));
        std::vector<float> scores(static_cast<std::size_t>(count));
        scorer.scoreAll(candidates.data() + first, count, scores.data());
        for (int k = 0; k < count; ++k) {
            const BlockPosition candidate = candidates[first + k];
            const float expected = mapper.blockError(at, candidate, width, height);
            ASSERT_TRUE(sameBits(scores[k], expected)) << candidate.x << ", " << candidate.y << ": " << scores[k]
                                                       << " != " << expected;
            ASSERT_TRUE(sameBits(scorer.score(candidate), expected)) << candidate.x << ", " << candidate.y;
        }
        first += static_cast<std::size_t>(count);
    }
}

// Every score of scorer, one by one and in groups, is blockError's, bit for bit;
// with the packed example (gathers where the processor has them) and without.
void expectBlockErrors(const VeskGrid& tiled, const VeskGrid& example, BlockPosition at, int width, int height,
                       const ExampleBlockSums& sums)
{
    const PackedExample packed(example.heights);
    ASSERT_FALSE(packed.empty());
    for (const PackedExample* layout : {static_cast<const PackedExample*>(nullptr), &packed})
        expectBlockErrorsWith(tiled, example, at, width, height, sums, layout);
}

VeskGrid roughTerrain(int width, int height, std::uint32_t salt)
{
    return makeTerrain(width, height, [salt](int x, int y) {
        return 900.0f * hashedNoise(x, y, salt) + 0.731f * static_cast<float>(x * y) - 250.5f;
    });
}

} // namespace

TEST(CandidateScorer, GivesBlockErrorsBitForBitWithSumsInDouble)
{
    const VeskGrid tiled = roughTerrain(40, 36, 1);
    const VeskGrid example = roughTerrain(57, 49, 2);
    const ExampleBlockSums sums(example.heights, 20 * 20);
    ASSERT_TRUE(sums.sumsInDouble());
    for (const int size : {1, 4, 8, 20})
        expectBlockErrors(tiled, example, {3, 5}, size, size, sums);
    // Edge blocks are narrower or lower than a full one.
    expectBlockErrors(tiled, example, {30, 2}, 7, 20, sums);
    expectBlockErrors(tiled, example, {0, 30}, 20, 6, sums);
}

TEST(CandidateScorer, GivesBlockErrorsBitForBitWithTheTable)
{
    // Heights of a million metres beside ones of 2^-30: too many bits apart for a
    // double, few enough for the 64-bit table.
    const VeskGrid tiled = roughTerrain(40, 36, 1);
    const VeskGrid example = makeTerrain(57, 49, [](int x, int y) {
        return (x + y) % 4 == 0 ? std::ldexp(1.0f + static_cast<float>(x % 3), -30)
                                : 1.0e6f * hashedNoise(x, y, 2) + 0.731f * static_cast<float>(x * y);
    });
    const ExampleBlockSums sums(example.heights, 20 * 20);
    ASSERT_TRUE(sums.usesTable());
    ASSERT_FALSE(sums.sumsInDouble());
    for (const int size : {1, 8, 20})
        expectBlockErrors(tiled, example, {3, 5}, size, size, sums);
    expectBlockErrors(tiled, example, {30, 2}, 7, 20, sums);
}

TEST(CandidateScorer, GivesBlockErrorsBitForBitWithoutTheTable)
{
    const VeskGrid tiled = roughTerrain(30, 30, 3);
    VeskGrid example = makeTerrain(45, 41, [](int x, int y) { return (x + y) % 5 == 0 ? 3.0e7f : 1.0e-9f * x; });
    const ExampleBlockSums sums(example.heights, 64);
    ASSERT_FALSE(sums.usesTable());
    expectBlockErrors(tiled, example, {2, 2}, 8, 8, sums);
    expectBlockErrors(tiled, example, {2, 2}, 5, 8, sums);
}

TEST(CandidateScorer, ValuesThatAreNotNumbersScoreAsBlockErrorDoes)
{
    const VeskGrid tiled = roughTerrain(30, 30, 4);
    VeskGrid example = roughTerrain(40, 40, 5);
    example.heights[10][10] = std::numeric_limits<float>::quiet_NaN();
    example.heights[30][20] = std::numeric_limits<float>::infinity();
    const ExampleBlockSums sums(example.heights, 64);
    expectBlockErrors(tiled, example, {0, 0}, 8, 8, sums);
}
