#include "diagnostics/CollectingSink.h"
#include "synthesis/BlockMapper.h"

#include "synthesis/BlockTiling.h"
#include "synthesis/RandomRange.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

// Tests that compare against replayed draws depend on the process-wide generator:
// they reset it first.

namespace {

// Whole numbers from a 4 x 4 periodic pattern: sums and means of 16 x 16 blocks stay exact.
float periodicPattern(int x, int y)
{
    return std::floor(hashedNoise(((x % 4) + 4) % 4, ((y % 4) + 4) % 4, 7) * 100.0f);
}

struct Draw {
    int x;
    int y;
};

// The candidates a fresh generator gives a w x h block on an example of this size.
std::vector<Draw> replayCandidates(int exampleWidth, int exampleHeight, int w, int h, int count)
{
    resetRandomRangeGenerator();
    std::vector<Draw> draws;
    for (int i = 0; i < count; ++i) {
        const int y = static_cast<int>(*getRand(1.0f, static_cast<float>(exampleHeight - h - 2)));
        const int x = static_cast<int>(*getRand(1.0f, static_cast<float>(exampleWidth - w - 2)));
        draws.push_back({x, y});
    }
    return draws;
}

} // namespace

TEST(BlockError, ShapeOnlyScore)
{
    const VeskGrid tiled = makeTerrain(20, 20, [](int x, int y) { return periodicPattern(x, y); });
    const VeskGrid shifted = makeTerrain(20, 20, [](int x, int y) { return periodicPattern(x, y) + 500.0f; });
    BlockMapper mapper(tiled, shifted, 16, 0);
    EXPECT_EQ(mapper.blockError({0, 0}, {0, 0}, 16, 16), 0.0f);
    EXPECT_EQ(mapper.blockError({1, 2}, {1, 2}, 16, 16), 0.0f);
    // One period further along is the same shape.
    EXPECT_EQ(mapper.blockError({0, 0}, {4, 0}, 16, 16), 0.0f);
    EXPECT_GT(mapper.blockError({0, 0}, {1, 0}, 16, 16), 0.0f);
}

TEST(BlockError, SingleSpikeScoresItsEnergyLessItsMean)
{
    const VeskGrid flat = makeTerrain(10, 10, [](int, int) { return 3.0f; });
    const VeskGrid spiked = makeTerrain(10, 10, [](int x, int y) { return (x == 5 && y == 4) ? 8.0f : 0.0f; });
    BlockMapper mapper(flat, spiked, 4, 0);
    // A spike s in a block of n samples: (s - s/n)^2 + (n - 1)(s/n)^2 = s^2 (n - 1) / n.
    EXPECT_FLOAT_EQ(mapper.blockError({2, 2}, {3, 3}, 4, 4), 64.0f * 15.0f / 16.0f);
    EXPECT_EQ(mapper.blockError({2, 2}, {0, 0}, 4, 4), 0.0f);
}

TEST(BlockMapper, FindsAnExactCopyInAnExampleMadeOfTheBlock)
{
    const VeskGrid tiled = makeTerrain(64, 64, [](int x, int y) { return periodicPattern(x, y); });
    const VeskGrid example =
        makeTerrain(64, 64, [](int x, int y) { return periodicPattern(x + 1, y + 2) + 500.0f; });
    BlockMapper mapper(tiled, example, 16, 0);
    std::vector<BlockPosition> mapping;
    QString error;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(mapper.mapBlocks(200, mapping, error));
    const BlockTiling tiling = tileGrid(64, 64, 16, 0);
    ASSERT_EQ(mapping.size(), tiling.blocks.size());
    for (std::size_t i = 0; i < mapping.size(); ++i) {
        const TiledBlock& block = tiling.blocks[i];
        EXPECT_EQ(mapper.blockError({block.x, block.y}, mapping[i], block.width, block.height), 0.0f);
        // A zero score means the copy is aligned with the tiled block's phase.
        EXPECT_EQ((mapping[i].x + 1 - block.x) % 4, 0);
        EXPECT_EQ((mapping[i].y + 2 - block.y) % 4, 0);
    }
}

TEST(BlockMapper, HeightShiftedCopyWinsAsTheFirstZeroDrawn)
{
    const VeskGrid tiled = makeTerrain(40, 40, [](int x, int y) { return periodicPattern(x, y); });
    const VeskGrid example =
        makeTerrain(48, 48, [](int x, int y) { return periodicPattern(x + 1, y + 2) + 500.0f; });
    BlockMapper mapper(tiled, example, 16, 0);
    const int candidates = 60;
    const std::vector<Draw> draws = replayCandidates(48, 48, 16, 16, candidates);
    int firstAligned = -1;
    for (int i = 0; i < candidates && firstAligned < 0; ++i) {
        if ((draws[i].x + 1 - 8) % 4 == 0 && (draws[i].y + 2 - 8) % 4 == 0)
            firstAligned = i;
    }
    ASSERT_GE(firstAligned, 0);

    resetRandomRangeGenerator();
    BlockPosition chosen;
    QString error;
    ASSERT_TRUE(mapper.selectBlock({8, 8}, candidates, 16, 16, chosen, error));
    EXPECT_EQ(chosen, (BlockPosition{draws[firstAligned].x, draws[firstAligned].y}));
    EXPECT_EQ(mapper.blockError({8, 8}, chosen, 16, 16), 0.0f);
}

TEST(BlockMapper, FirstOfEqualScoresWins)
{
    // Flat terrains: every candidate scores 0.
    const VeskGrid tiled = makeTerrain(30, 30, [](int, int) { return 1.0f; });
    const VeskGrid example = makeTerrain(50, 40, [](int, int) { return 9.0f; });
    BlockMapper mapper(tiled, example, 8, 2);
    const std::vector<Draw> draws = replayCandidates(50, 40, 8, 6, 25);
    resetRandomRangeGenerator();
    BlockPosition chosen;
    QString error;
    ASSERT_TRUE(mapper.selectBlock({3, 4}, 25, 8, 6, chosen, error));
    EXPECT_EQ(chosen, (BlockPosition{draws[0].x, draws[0].y}));
}

TEST(BlockMapper, OneCandidateIsTheFirstDraw)
{
    const VeskGrid tiled = makeTerrain(30, 30, [](int x, int y) { return hashedNoise(x, y); });
    const VeskGrid example = makeTerrain(50, 40, [](int x, int y) { return hashedNoise(x, y, 3); });
    BlockMapper mapper(tiled, example, 10, 0);
    const std::vector<Draw> draws = replayCandidates(50, 40, 10, 10, 1);
    resetRandomRangeGenerator();
    BlockPosition chosen;
    QString error;
    ASSERT_TRUE(mapper.selectBlock({0, 0}, 1, 10, 10, chosen, error));
    EXPECT_EQ(chosen, (BlockPosition{draws[0].x, draws[0].y}));
}

TEST(BlockMapper, CandidatesKeepOffTheExampleBorders)
{
    const VeskGrid tiled = makeTerrain(70, 50, [](int x, int y) { return hashedNoise(x, y); });
    const VeskGrid example = makeTerrain(40, 33, [](int x, int y) { return hashedNoise(x, y, 5); });
    BlockMapper mapper(tiled, example, 12, 3);
    std::vector<BlockPosition> mapping;
    QString error;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(mapper.mapBlocks(50, mapping, error));
    const std::string output = messages.take();
    const BlockTiling tiling = tileGrid(70, 50, 12, 3);
    ASSERT_EQ(mapping.size(), tiling.blocks.size());
    for (std::size_t i = 0; i < mapping.size(); ++i) {
        const TiledBlock& block = tiling.blocks[i];
        EXPECT_GE(mapping[i].x, 1);
        EXPECT_GE(mapping[i].y, 1);
        EXPECT_LE(mapping[i].x, 40 - block.width - 2);
        EXPECT_LE(mapping[i].y, 33 - block.height - 2);
    }
    EXPECT_TRUE(contains(output, "Performing mapping (bheight = 50, bs=12, ol=3, #cand=50) ...\n"));
    EXPECT_TRUE(contains(output, "Block feature mapping completed, return mapping for " +
                                     std::to_string(tiling.blocks.size()) + " blocks.\n"));
}

TEST(BlockMapper, FreshGeneratorGivesTheSameMappingTwice)
{
    const VeskGrid tiled = makeTerrain(64, 64, [](int x, int y) { return hashedNoise(x, y) * 50.0f; });
    const VeskGrid example = makeTerrain(90, 80, [](int x, int y) { return hashedNoise(x, y, 9) * 80.0f; });
    QString error;
    std::vector<BlockPosition> first;
    std::vector<BlockPosition> second;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    resetRandomRangeGenerator();
    ASSERT_TRUE(BlockMapper(tiled, example, 20, 4).mapBlocks(40, first, error));
    resetRandomRangeGenerator();
    ASSERT_TRUE(BlockMapper(tiled, example, 20, 4).mapBlocks(40, second, error));
    EXPECT_EQ(first.size(), 16u);
    EXPECT_EQ(first, second);
}

// Refusals: false, a message, a text, and the result left as it was.
class BlockMapperRefusal : public testing::Test {
protected:
    void expectRefused(BlockMapper& mapper, int candidates, const std::string& message)
    {
        std::vector<BlockPosition> positions{{7, 7}};
        QString error;
        diagnostics::CollectingSink messages;
        diagnostics::ScopedSink collecting(messages);
        const bool mapped = mapper.mapBlocks(candidates, positions, error);
        const std::string output = messages.take();
        EXPECT_FALSE(mapped);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(contains(output, message)) << output;
        EXPECT_EQ(positions, (std::vector<BlockPosition>{{7, 7}}));
    }
};

TEST_F(BlockMapperRefusal, ExampleTooSmallForCandidates)
{
    const VeskGrid tiled = makeTerrain(64, 64, [](int x, int y) { return hashedNoise(x, y); });
    const VeskGrid example = makeTerrain(18, 40, [](int x, int y) { return hashedNoise(x, y); });
    BlockMapper mapper(tiled, example, 16, 0);
    expectRefused(mapper, 40, "Error in getRand, max=0.000, min=1.000\n");
}

TEST_F(BlockMapperRefusal, StepBelowOne)
{
    const VeskGrid tiled = makeTerrain(64, 64, [](int x, int y) { return hashedNoise(x, y); });
    const VeskGrid example = makeTerrain(64, 64, [](int x, int y) { return hashedNoise(x, y); });
    BlockMapper mapper(tiled, example, 16, 16);
    expectRefused(mapper, 40, "cannot tile");
}

TEST_F(BlockMapperRefusal, TiledGridNotLargerThanABlock)
{
    const VeskGrid tiled = makeTerrain(16, 64, [](int x, int y) { return hashedNoise(x, y); });
    const VeskGrid example = makeTerrain(64, 64, [](int x, int y) { return hashedNoise(x, y); });
    BlockMapper mapper(tiled, example, 16, 2);
    expectRefused(mapper, 40, "cannot tile");
}

TEST_F(BlockMapperRefusal, NoCandidates)
{
    const VeskGrid tiled = makeTerrain(40, 40, [](int x, int y) { return hashedNoise(x, y); });
    const VeskGrid example = makeTerrain(40, 40, [](int x, int y) { return hashedNoise(x, y); });
    BlockMapper mapper(tiled, example, 8, 2);
    expectRefused(mapper, 0, "0 candidates");
}

TEST_F(BlockMapperRefusal, ScoresThatAreNotNumbers)
{
    const float notANumber = std::numeric_limits<float>::quiet_NaN();
    const VeskGrid tiled = makeTerrain(40, 40, [=](int, int) { return notANumber; });
    const VeskGrid example = makeTerrain(40, 40, [](int x, int y) { return hashedNoise(x, y); });
    BlockMapper mapper(tiled, example, 8, 2);
    expectRefused(mapper, 10, "Error in texture transfer, selected not found\n");
}

TEST(BlockMapperRefusalSelect, BlockOutsideTheTiledGrid)
{
    const VeskGrid tiled = makeTerrain(30, 30, [](int x, int y) { return hashedNoise(x, y); });
    const VeskGrid example = makeTerrain(40, 40, [](int x, int y) { return hashedNoise(x, y); });
    BlockMapper mapper(tiled, example, 8, 2);
    BlockPosition chosen{5, 5};
    QString error;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    EXPECT_FALSE(mapper.selectBlock({25, 0}, 10, 8, 8, chosen, error));
    EXPECT_FALSE(mapper.selectBlock({0, -1}, 10, 8, 8, chosen, error));
    EXPECT_EQ(chosen, (BlockPosition{5, 5}));
}
