#include "diagnostics/CollectingSink.h"
#include "synthesis/MultifractalMapping.h"

#include "multires/Chaikin.h"
#include "synthesis/ExampleRoughness.h"
#include "synthesis/RandomRange.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

// The mapping draws candidates from the process-wide uniform generator; tests
// reset it first so their draws do not depend on the order the tests run in.

namespace {

struct MappingRun {
    bool succeeded = false;
    QString error;
    std::string output;
    RoughnessMap roughness;
};

MappingRun runMapping(VeskGrid& base, VeskGrid& example, int blockSize, bool before = false, bool after = false)
{
    MappingRun run;
    resetRandomRangeGenerator();
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    run.succeeded = multifractalMapping(base, example, SynthesisOptions{.blockSize = blockSize, .rescaleBefore = before, .rescaleAfter = after, .search = {}}, run.error, &run.roughness);
    run.output = messages.take();
    return run;
}

VeskGrid noisyTerrain(int width, int height, float amplitude, std::uint32_t salt)
{
    return makeTerrain(width, height, [=](int x, int y) { return amplitude * hashedNoise(x, y, salt) + 0.3f * y; });
}

// The base refined without any noise, for telling the added noise apart.
VeskGrid plainRefinement(const VeskGrid& base)
{
    VeskGrid refined = base;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    EXPECT_TRUE(subdivideChaikinWithoutDetails(refined));
    return refined;
}

} // namespace

TEST(MultifractalMapping, SixtyFourByBlocksOfSixteen)
{
    VeskGrid base = noisyTerrain(64, 64, 20.0f, 1);
    VeskGrid example = noisyTerrain(128, 128, 30.0f, 2);
    const MappingRun run = runMapping(base, example, 16);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_EQ(run.roughness.deviations.size(), 16u);
    EXPECT_EQ(run.roughness.blocksAcross, 4);
    EXPECT_EQ(run.roughness.blocksDown, 4);
    EXPECT_EQ(run.roughness.blockSize, 16);
    for (const float deviation : run.roughness.deviations)
        EXPECT_GT(deviation, 0.0f);
    // One refinement: 2 W - 2 by 2 H - 2, the cell size halved.
    EXPECT_EQ(base.width, 126);
    EXPECT_EQ(base.height, 126);
    EXPECT_EQ(base.heights.size(), 126u);
    EXPECT_EQ(base.cellSize, 15.0f);
    EXPECT_TRUE(contains(run.output, "Starting multifractal mapping with blocksize = 16\nTarget is 128 X 128, "
                                     "Base is 64 X 64\n"));
    EXPECT_TRUE(contains(run.output, "Mapper returned 16 mappings\n"));
    EXPECT_TRUE(contains(run.output, "Size of target is 128 X 128\n"));
    EXPECT_TRUE(contains(run.output, "Res. 15, block at "));
}

TEST(MultifractalMapping, OddExampleIsTrimmedToEvenAndStaysSo)
{
    VeskGrid base = noisyTerrain(64, 64, 20.0f, 1);
    VeskGrid example = noisyTerrain(101, 101, 30.0f, 2);
    const MappingRun run = runMapping(base, example, 16);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_EQ(example.width, 100);
    EXPECT_EQ(example.height, 100);
    EXPECT_EQ(example.heights.size(), 100u);
    EXPECT_EQ(example.heights[0].size(), 100u);
    EXPECT_TRUE(contains(run.output, "adjusting height from 101 to 100\n"));
    EXPECT_TRUE(contains(run.output, "adjusting width from 101 to 100\n"));
    EXPECT_TRUE(contains(run.output, "Target is 100 X 100"));
}

TEST(MultifractalMapping, BlockSizeIsHalvedBelowEverySide)
{
    VeskGrid base = noisyTerrain(40, 30, 20.0f, 1);
    VeskGrid example = noisyTerrain(128, 128, 30.0f, 2);
    const MappingRun run = runMapping(base, example, 64);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    // 64 -> 32 (below 40) -> 16 (below 30): 3 x 2 blocks.
    EXPECT_EQ(run.roughness.blockSize, 16);
    EXPECT_EQ(run.roughness.blocksAcross, 3);
    EXPECT_EQ(run.roughness.blocksDown, 2);
    EXPECT_EQ(run.roughness.deviations.size(), 6u);
}

TEST(MultifractalMapping, FlatExampleAddsNoNoise)
{
    VeskGrid base = noisyTerrain(64, 64, 20.0f, 1);
    const VeskGrid expected = plainRefinement(base);
    VeskGrid example = makeTerrain(80, 80, [](int, int) { return 12.0f; });
    const MappingRun run = runMapping(base, example, 16);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    for (const float deviation : run.roughness.deviations)
        EXPECT_EQ(deviation, 0.0f);
    EXPECT_EQ(base.heights, expected.heights);
}

TEST(ExampleRoughness, FlatRegionGivesZeroAndRoughRegionDoesNot)
{
    // Left half flat, right half rough.
    const VeskGrid example = makeTerrain(96, 64, [](int x, int y) { return x < 48 ? 5.0f : 9.0f * hashedNoise(x, y); });
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const ExampleDetailField field = exampleDetailField(example);
    ASSERT_EQ(field.columnDetails.size(), 31u);
    ASSERT_EQ(field.columnDetails[0].size(), 96u);
    ASSERT_EQ(field.rowDetails.size(), 33u);
    ASSERT_EQ(field.rowDetails[0].size(), 47u);
    const BlockRoughness flat = measureBlockRoughness(field, {4, 10}, 8);
    EXPECT_GT(flat.sampleCount, 0);
    EXPECT_EQ(flat.deviation, 0.0f);
    EXPECT_EQ(flat.mean, 0.0f);
    const BlockRoughness rough = measureBlockRoughness(field, {70, 10}, 8);
    EXPECT_GT(rough.sampleCount, 0);
    EXPECT_GT(rough.deviation, 0.5f);
}

TEST(ExampleRoughness, SampleCountsFollowTheBlockWindow)
{
    const VeskGrid example = noisyTerrain(64, 64, 5.0f, 3);
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const ExampleDetailField field = exampleDetailField(example);
    // Block 8 at (10, 10): 4 rows of 8 column details, then 5 rows of 7 row-detail pairs; two samples each.
    EXPECT_EQ(measureBlockRoughness(field, {10, 10}, 8).sampleCount, 2 * (4 * 8 + 5 * 7));
    // Far outside the field there is nothing to measure.
    EXPECT_EQ(measureBlockRoughness(field, {500, 500}, 8).sampleCount, 0);
    EXPECT_EQ(measureBlockRoughness(field, {500, 500}, 8).deviation, 0.0f);
    // An odd or tiny example has no field.
    EXPECT_TRUE(exampleDetailField(noisyTerrain(63, 64, 5.0f, 3)).columnDetails.empty());
    EXPECT_TRUE(exampleDetailField(noisyTerrain(4, 4, 5.0f, 3)).rowDetails.empty());
}

TEST(MultifractalMapping, BlocksMatchedToRoughAreasComeOutRougher)
{
    // Example: a smooth slope above, a flat rough plain below, meeting without a step.
    VeskGrid example = makeTerrain(128, 128, [](int x, int y) {
        return y < 64 ? static_cast<float>(64 - y) : 2.0f * hashedNoise(x, y, 5);
    });
    // Base: the same slope in its upper half, a plain below.
    VeskGrid base = makeTerrain(64, 64, [](int, int y) { return y < 32 ? static_cast<float>(32 - y) : 0.0f; });
    const VeskGrid plain = plainRefinement(base);
    const MappingRun run = runMapping(base, example, 16);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    const std::vector<float>& deviations = run.roughness.deviations;
    ASSERT_EQ(deviations.size(), 16u);
    float smoothestRough = std::numeric_limits<float>::max();
    float roughestSmooth = 0.0f;
    for (int index = 0; index < 16; ++index) {
        if (index < 8)
            roughestSmooth = std::max(roughestSmooth, deviations[index]);
        else
            smoothestRough = std::min(smoothestRough, deviations[index]);
    }
    EXPECT_LT(roughestSmooth * 3.0f, smoothestRough);

    // The noise actually added, away from the block rows' meeting line.
    double smoothSquares = 0.0;
    double roughSquares = 0.0;
    int smoothCount = 0;
    int roughCount = 0;
    for (int y = 0; y < base.height; ++y) {
        for (int x = 0; x < base.width; ++x) {
            const double noise = base.heights[y][x] - plain.heights[y][x];
            if (y < 60) {
                smoothSquares += noise * noise;
                ++smoothCount;
            } else if (y >= 68) {
                roughSquares += noise * noise;
                ++roughCount;
            }
        }
    }
    const double smoothNoise = std::sqrt(smoothSquares / smoothCount);
    const double roughNoise = std::sqrt(roughSquares / roughCount);
    EXPECT_GT(roughNoise, 3.0 * smoothNoise) << "smooth " << smoothNoise << ", rough " << roughNoise;
}

TEST(MultifractalMappingRescale, BothFlagsBringTheBaseBackToItsRange)
{
    VeskGrid base = makeTerrain(64, 64, [](int x, int y) { return 10.0f * hashedNoise(x / 4, y / 4, 6); });
    base.heights[0][0] = 0.0f;
    base.heights[3][3] = 10.0f;
    base.computeStatistics();
    const float averageBefore = base.averageHeight;
    VeskGrid example = noisyTerrain(128, 128, 200.0f, 2);
    const MappingRun run = runMapping(base, example, 16, true, true);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_TRUE(contains(run.output, "*** Rescaling the target terrain before feature mapping ***\n"));
    EXPECT_TRUE(contains(run.output, "*** Rescaling base terrain back to original range after feature mapping. ***\n"));
    EXPECT_NEAR(base.averageHeight, averageBefore, 1.0f);
    // A base without negative heights gains none.
    EXPECT_GE(base.minHeight, 0.0f);
}

TEST(MultifractalMappingRescale, NegativeHeightsOfTheBaseAreKept)
{
    VeskGrid base = makeTerrain(64, 64, [](int x, int y) { return -50.0f + 40.0f * hashedNoise(x / 4, y / 4, 6); });
    base.computeStatistics();
    const float averageBefore = base.averageHeight;
    VeskGrid example = noisyTerrain(128, 128, 200.0f, 2);
    const MappingRun run = runMapping(base, example, 16, true, true);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_NEAR(base.averageHeight, averageBefore, 2.0f);
    std::set<float> values;
    for (const auto& row : base.heights)
        values.insert(row.begin(), row.end());
    EXPECT_GT(values.size(), 1000u);
}

TEST(MultifractalMappingRescale, FlatBaseIsNotDividedByZero)
{
    VeskGrid base = makeTerrain(64, 64, [](int, int) { return 3.0f; });
    VeskGrid example = noisyTerrain(128, 128, 20.0f, 2);
    const MappingRun run = runMapping(base, example, 16, true, true);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_TRUE(contains(run.output, "*** The base terrain is flat: not rescaling. ***\n"));
    for (const auto& row : base.heights)
        for (const float value : row)
            ASSERT_TRUE(std::isfinite(value));
    EXPECT_NEAR(base.averageHeight, 3.0f, 1.0f);
}

// Every refusal: false, the message, a text, and both grids exactly as they were
// (the odd example is not trimmed).
class MultifractalMappingRefusal : public testing::Test {
protected:
    void SetUp() override
    {
        base = noisyTerrain(64, 64, 20.0f, 1);
        base.details.push_back(filledMatrix(4, 4, [](int, int) { return 1.0f; }));
        base.details.push_back(filledMatrix(4, 4, [](int, int) { return 2.0f; }));
        example = noisyTerrain(101, 101, 30.0f, 2);
    }

    void expectRefused(int blockSize, bool before, bool after, const std::string& message)
    {
        const VeskGrid baseBefore = base;
        const VeskGrid exampleBefore = example;
        const MappingRun run = runMapping(base, example, blockSize, before, after);
        EXPECT_FALSE(run.succeeded);
        EXPECT_FALSE(run.error.isEmpty());
        EXPECT_TRUE(contains(run.output, message)) << run.output;
        expectSameGrid(base, baseBefore);
        expectSameGrid(example, exampleBefore);
    }

    VeskGrid base;
    VeskGrid example;
};

TEST_F(MultifractalMappingRefusal, BlockSizeBelowFour)
{
    expectRefused(3, false, false, "Error, block size = 3, must be 4 or greater!\n");
}

TEST_F(MultifractalMappingRefusal, BaseTooSmallForBlocksOfFour)
{
    base = noisyTerrain(4, 40, 20.0f, 1);
    expectRefused(16, false, false, "Error, block size = 2, must be 4 or greater!\n");
}

TEST_F(MultifractalMappingRefusal, RescaleAfterWithoutBefore)
{
    expectRefused(16, false, true, "Make no sense to only scale after quilting but not before\n");
}

TEST_F(MultifractalMappingRefusal, BaseWithoutData)
{
    base.clearData();
    expectRefused(16, false, false, "the base terrain has no data");
}

TEST_F(MultifractalMappingRefusal, ExampleWithoutData)
{
    example.clearData();
    expectRefused(16, false, false, "the target terrain has no data");
}

TEST_F(MultifractalMappingRefusal, ExampleTooSmallForCandidates)
{
    example = noisyTerrain(11, 11, 30.0f, 2);
    expectRefused(16, false, false, "Error in getRand");
}

TEST_F(MultifractalMappingRefusal, NoCandidateCanBeScored)
{
    for (auto& row : base.heights)
        std::fill(row.begin(), row.end(), std::numeric_limits<float>::quiet_NaN());
    expectRefused(16, true, true, "Error in texture transfer, selected not found\n");
}
