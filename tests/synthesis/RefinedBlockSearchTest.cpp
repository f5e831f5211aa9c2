// The refined block search against the random one it starts from.
// These tests depend on the process-wide generator: they reset it first.

#include "synthesis/BlockMapper.h"

#include "synthesis/BlockTiling.h"
#include "synthesis/RandomRange.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

VeskGrid terrain(int width, int height, std::uint32_t salt)
{
    return makeTerrain(width, height, [salt](int x, int y) {
        return 300.0f * hashedNoise(x / 4, y / 4, salt) + 20.0f * hashedNoise(x, y, salt + 1) + 0.25f * y;
    });
}

// The part of grid that starts at (x, y), width x height samples.
VeskGrid cutOut(const VeskGrid& grid, int x, int y, int width, int height)
{
    return makeTerrain(width, height, [&](int column, int row) { return grid.heights[y + row][x + column]; });
}

struct SearchRun {
    std::vector<BlockPosition> positions;
    std::vector<float> errors;
    RandomRangeStream after = RandomRangeStream::current();
};

SearchRun runSearch(BlockMapper& mapper, int candidates, MatchSearch::Mode mode, int threads = 0)
{
    resetRandomRangeGenerator();
    SearchRun run;
    MatchSearch search;
    search.mode = mode;
    search.threads = threads;
    QString error;
    testing::internal::CaptureStdout();
    const bool mapped = mapper.mapBlocks(candidates, run.positions, error, search, &run.errors);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(mapped) << error.toStdString();
    run.after = RandomRangeStream::current();
    return run;
}

double zeroShare(const std::vector<float>& errors)
{
    int zeros = 0;
    for (const float error : errors)
        zeros += error == 0.0f ? 1 : 0;
    return static_cast<double>(zeros) / static_cast<double>(errors.size());
}

} // namespace

TEST(RefinedBlockSearch, NoBlockEndsWorseThanItsRandomWinner)
{
    const VeskGrid tiled = terrain(70, 63, 5);
    const VeskGrid example = terrain(130, 120, 9);
    for (const int blockSize : {4, 8, 20}) {
        BlockMapper mapper(tiled, example, blockSize, blockSize / 5);
        const SearchRun random = runSearch(mapper, 60, MatchSearch::Mode::random);
        const SearchRun refined = runSearch(mapper, 60, MatchSearch::Mode::refined);
        ASSERT_EQ(refined.errors.size(), random.errors.size());
        int improved = 0;
        for (std::size_t block = 0; block < random.errors.size(); ++block) {
            EXPECT_LE(refined.errors[block], random.errors[block]) << "block " << block << " of size " << blockSize;
            improved += refined.errors[block] < random.errors[block] ? 1 : 0;
        }
        EXPECT_GT(improved, 0) << "block size " << blockSize;
        // The errors handed back are those of the positions handed back.
        const BlockTiling tiling = tileGrid(tiled.width, tiled.height, blockSize, blockSize / 5);
        for (std::size_t block = 0; block < tiling.blocks.size(); ++block) {
            const TiledBlock& tile = tiling.blocks[block];
            EXPECT_EQ(refined.errors[block], mapper.blockError({tile.x, tile.y}, refined.positions[block], tile.width,
                                                               tile.height));
            EXPECT_GE(refined.positions[block].x, 1);
            EXPECT_GE(refined.positions[block].y, 1);
            EXPECT_LE(refined.positions[block].x, example.width - tile.width - 2);
            EXPECT_LE(refined.positions[block].y, example.height - tile.height - 2);
        }
        // The refinement draws nothing from getRand, so what comes after stays as it was.
        EXPECT_EQ(refined.after, random.after);
    }
}

TEST(RefinedBlockSearch, IsTheSameOnEveryThreadCountAndRun)
{
    const VeskGrid tiled = terrain(81, 77, 2);
    const VeskGrid example = terrain(140, 150, 3);
    BlockMapper mapper(tiled, example, 8, 1);
    const SearchRun first = runSearch(mapper, 50, MatchSearch::Mode::refined, 1);
    for (const int threads : {2, 3, 0, 1}) {
        const SearchRun again = runSearch(mapper, 50, MatchSearch::Mode::refined, threads);
        EXPECT_EQ(again.positions, first.positions) << threads << " threads";
        EXPECT_EQ(again.errors, first.errors) << threads << " threads";
    }
}

TEST(RefinedBlockSearch, FindsTheExactBlocksOfABaseCutOutOfTheExample)
{
    const VeskGrid example = terrain(160, 150, 4);
    const VeskGrid base = cutOut(example, 23, 31, 90, 80);
    BlockMapper mapper(base, example, 8, 1);
    const int candidates = example.width * example.height / 64;
    const double randomShare = zeroShare(runSearch(mapper, candidates, MatchSearch::Mode::random).errors);
    const double refinedShare = zeroShare(runSearch(mapper, candidates, MatchSearch::Mode::refined).errors);
    std::printf("blocks matched exactly (error 0): random %.1f %%, refined %.1f %%\n", 100.0 * randomShare,
                100.0 * refinedShare);
    EXPECT_LT(randomShare, 0.2);
    EXPECT_GT(refinedShare, 0.9);
}
