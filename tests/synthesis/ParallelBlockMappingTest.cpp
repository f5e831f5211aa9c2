// The parallel block matcher against the one-block-after-the-other yardstick:
// same positions, same errors, same generator state afterwards, on any thread count.
// These tests depend on the process-wide generator: they reset it first.

#include "synthesis/BlockMapper.h"

#include "synthesis/BlockTiling.h"
#include "synthesis/RandomRange.h"

#include "SerialBlockMatching.h"
#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

VeskGrid terrain(int width, int height, std::uint32_t salt)
{
    return makeTerrain(width, height, [salt](int x, int y) {
        return 500.0f * hashedNoise(x / 3, y / 3, salt) + 37.25f * hashedNoise(x, y, salt + 1) + 0.5f * x;
    });
}

struct MappingRun {
    bool mapped = false;
    std::vector<BlockPosition> positions;
    std::vector<float> errors;
    RandomRangeStream after = RandomRangeStream::current();
    QString error;
};

MappingRun serialRun(const BlockMapper& mapper, int candidates)
{
    resetRandomRangeGenerator();
    nextRandom15(); // start somewhere other than the fresh state
    MappingRun run;
    run.mapped = mapBlocksSerially(mapper, candidates, run.positions, &run.errors);
    run.after = RandomRangeStream::current();
    return run;
}

MappingRun parallelRun(BlockMapper& mapper, int candidates, int threads)
{
    resetRandomRangeGenerator();
    nextRandom15();
    MappingRun run;
    MatchSearch search;
    search.threads = threads;
    testing::internal::CaptureStdout();
    run.mapped = mapper.mapBlocks(candidates, run.positions, run.error, search, &run.errors);
    testing::internal::GetCapturedStdout();
    run.after = RandomRangeStream::current();
    return run;
}

void expectSameAsSerialOn(const VeskGrid& tiled, const VeskGrid& example, int blockSize, int overlap, int candidates)
{
    BlockMapper mapper(tiled, example, blockSize, overlap);
    const MappingRun serial = serialRun(mapper, candidates);
    ASSERT_TRUE(serial.mapped);
    for (const int threads : {1, 2, 3, 0}) {
        const MappingRun parallel = parallelRun(mapper, candidates, threads);
        ASSERT_TRUE(parallel.mapped) << parallel.error.toStdString();
        EXPECT_EQ(parallel.positions, serial.positions) << "block " << blockSize << ", threads " << threads;
        EXPECT_EQ(parallel.errors, serial.errors) << "block " << blockSize << ", threads " << threads;
        EXPECT_EQ(parallel.after, serial.after) << "block " << blockSize << ", threads " << threads;
    }
}

void expectSameAsSerial(int tiledWidth, int tiledHeight, int exampleWidth, int exampleHeight, int blockSize,
                        int overlap, int candidates)
{
    expectSameAsSerialOn(terrain(tiledWidth, tiledHeight, 10), terrain(exampleWidth, exampleHeight, 20), blockSize,
                         overlap, candidates);
}

} // namespace

TEST(ParallelBlockMapping, MatchesTheSerialMappingForEveryBlockSize)
{
    expectSameAsSerial(64, 64, 90, 80, 20, 4, 40);
    expectSameAsSerial(61, 47, 90, 80, 8, 1, 100);   // edge blocks in both directions
    expectSameAsSerial(33, 29, 70, 75, 4, 0, 300);
    expectSameAsSerial(50, 45, 120, 100, 13, 2, 60); // more candidates than one batch holds below
    expectSameAsSerial(40, 40, 200, 190, 5, 1, 1300);
}

TEST(ParallelBlockMapping, ARangeOfOneRowDrawsOnlyColumns)
{
    // Example height = block + 3: every full block's row range is [1, 1], which draws nothing,
    // while the lower edge blocks still draw their rows.
    expectSameAsSerial(40, 40, 60, 11, 8, 1, 50);
    expectSameAsSerial(40, 40, 11, 60, 8, 1, 50);
}

TEST(ParallelBlockMapping, OfEqualErrorsTheFirstDrawnWinsWhateverOrderTheyAreScoredIn)
{
    // A flat example with a few steps: every candidate inside a flat stretch scores the
    // same, so only the draw order can pick the winner (the scorer takes the candidates
    // row by row of the example, not as drawn).
    const VeskGrid tiled = terrain(48, 40, 10);
    const VeskGrid example =
        makeTerrain(160, 150, [](int x, int y) { return x > 120 && y > 100 ? 300.0f + 2.0f * x : 250.0f; });
    expectSameAsSerialOn(tiled, example, 8, 1, 400);
    expectSameAsSerialOn(tiled, example, 20, 4, 60);
}

TEST(ParallelBlockMapping, OneCandidateIsTheFirstDraw)
{
    expectSameAsSerial(30, 30, 50, 50, 6, 1, 1);
}

TEST(ParallelBlockMapping, AnUnscorableBlockFailsWithNothingChanged)
{
    const VeskGrid tiled = terrain(40, 40, 1);
    VeskGrid example = terrain(40, 40, 2);
    for (auto& row : example.heights)
        for (float& value : row)
            value = std::numeric_limits<float>::quiet_NaN();
    BlockMapper mapper(tiled, example, 8, 1);
    resetRandomRangeGenerator();
    const RandomRangeStream before = RandomRangeStream::current();
    std::vector<BlockPosition> positions{{7, 7}};
    QString error;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(mapper.mapBlocks(20, positions, error));
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("Error in texture transfer, selected not found\n"), std::string::npos);
    EXPECT_EQ(error, QStringLiteral("No example block could be matched to the block at 0, 0."));
    EXPECT_EQ(positions, (std::vector<BlockPosition>{{7, 7}}));
    EXPECT_EQ(RandomRangeStream::current(), before);
}
