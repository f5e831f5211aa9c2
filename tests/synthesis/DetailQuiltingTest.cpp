#include "diagnostics/CollectingSink.h"
#include "synthesis/DetailQuilting.h"

#include "synthesis/QuiltLayout.h"
#include "synthesis/RandomRange.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

// Quilting draws from the process-wide generator; tests reset it first so their
// draws do not depend on the order the tests run in.

namespace {

// Column details carry 1 + 1000 row + column, row details the negative of it,
// so every pasted coefficient tells where it came from.
float columnCode(int column, int row)
{
    return static_cast<float>(1 + 1000 * row + column);
}

float rowCode(int column, int row)
{
    return -columnCode(column, row);
}

// An example of width x height with one level of details of the documented shapes.
VeskGrid exampleWithDetails(int width, int height)
{
    VeskGrid example = makeTerrain(width, height, [](int x, int y) { return 100.0f * hashedNoise(x, y, 11); });
    example.details.push_back(filledMatrix(height - 2, 2 * width - 2, columnCode));
    example.details.push_back(filledMatrix(height, width - 2, rowCode));
    return example;
}

VeskGrid noisyBase(int width, int height)
{
    return makeTerrain(width, height, [](int x, int y) { return 40.0f * hashedNoise(x, y, 2) + 0.5f * x; });
}

struct QuiltRun {
    bool succeeded = false;
    QString error;
    std::string output;
};

QuiltRun runQuilt(VeskGrid& base, const VeskGrid& example, int requested, QuiltMatches& matches, bool before = false,
                  bool after = false)
{
    QuiltRun run;
    resetRandomRangeGenerator();
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    run.succeeded = quiltDetails(base, example, SynthesisOptions{.blockSize = requested, .rescaleBefore = before, .rescaleAfter = after, .search = {}}, matches, run.error);
    run.output = messages.take();
    return run;
}

void expectEveryCellPasted(const FloatMatrix& matrix)
{
    for (const auto& row : matrix)
        for (const float value : row)
            ASSERT_NE(value, 0.0f) << "a coefficient was never pasted";
}

// The block at rectangle (base) took its coefficients from rectangle (example):
// check the part of it that later blocks do not paste over.
void expectBlockCameFrom(const VeskGrid& base, const QuiltRectangle& onBase, const QuiltRectangle& onExample, int step)
{
    const FloatMatrix& columnDetails = base.details[0];
    const FloatMatrix& rowDetails = base.details[1];
    for (int i = 0; i < std::min(step, onBase.height + 1) - 1; ++i) {
        for (int j = 0; j < 2 * std::min(step, onBase.width + 1) - 2; ++j) {
            const int destinationRow = std::max(0, onBase.y - 1) + i;
            const int destinationColumn = std::max(0, 2 * onBase.x - 2) + j;
            const int sourceRow = std::max(0, onExample.y - 1) + i;
            const int sourceColumn = std::max(0, 2 * onExample.x - 2) + j;
            ASSERT_EQ(columnDetails[destinationRow][destinationColumn], columnCode(sourceColumn, sourceRow));
        }
    }
    for (int i = 0; i < std::min(step, onBase.height + 1); ++i) {
        for (int j = 0; j < std::min(step, onBase.width + 1) - 1; ++j) {
            const int destinationColumn = std::max(0, onBase.x - 1) + j;
            const int sourceColumn = std::max(0, onExample.x - 1) + j;
            ASSERT_EQ(rowDetails[onBase.y + i][destinationColumn], rowCode(sourceColumn, onExample.y + i));
        }
    }
}

void expectInside(const QuiltRectangle& rectangle, const VeskGrid& grid)
{
    EXPECT_GE(rectangle.x, 0);
    EXPECT_GE(rectangle.y, 0);
    EXPECT_GT(rectangle.width, 0);
    EXPECT_GT(rectangle.height, 0);
    EXPECT_LT(rectangle.x + rectangle.width, grid.width);
    EXPECT_LT(rectangle.y + rectangle.height, grid.height);
}

} // namespace

TEST(DetailQuilting, BaseGetsExactlyOneLevelOfTheDocumentedShapes)
{
    VeskGrid base = noisyBase(64, 64);
    base.details.push_back(filledMatrix(3, 3, [](int, int) { return 5.0f; }));
    base.details.push_back(filledMatrix(3, 3, [](int, int) { return 5.0f; }));
    base.details.push_back(filledMatrix(3, 3, [](int, int) { return 5.0f; }));
    const FloatMatrix heightsBefore = base.heights;
    const VeskGrid example = exampleWithDetails(128, 128);
    QuiltMatches matches;
    const QuiltRun run = runQuilt(base, example, 20, matches);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_TRUE(run.error.isEmpty());
    ASSERT_EQ(base.details.size(), 2u);
    ASSERT_EQ(base.details[0].size(), 62u);
    for (const auto& row : base.details[0])
        ASSERT_EQ(row.size(), 126u);
    ASSERT_EQ(base.details[1].size(), 64u);
    for (const auto& row : base.details[1])
        ASSERT_EQ(row.size(), 62u);
    expectEveryCellPasted(base.details[0]);
    expectEveryCellPasted(base.details[1]);
    // Without rescaling the heights are not touched.
    EXPECT_EQ(base.heights, heightsBefore);
    EXPECT_TRUE(contains(run.output, "Starting texture transfer with blocksize = 20, overlap = 4\n\ttarget is 128 X "
                                     "128, base is 64 X 64\n"));
    EXPECT_TRUE(contains(run.output, "bpr=4, bpc=4 (16 blocks total), loc=16, lor=16, base is 64X64\n"));
    EXPECT_FALSE(contains(run.output, "error in"));
}

TEST(DetailQuilting, MatchRecordHoldsTheMiddleAndRandomBlocks)
{
    VeskGrid base = noisyBase(64, 64);
    const VeskGrid example = exampleWithDetails(128, 128);
    QuiltMatches matches;
    ASSERT_TRUE(runQuilt(base, example, 20, matches).succeeded);

    QuiltLayout layout;
    QString error;
    ASSERT_TRUE(planQuiltLayout(20, 64, 64, 128, 128, layout, error));
    const std::vector<TiledBlock>& blocks = layout.tiling.blocks;
    const TiledBlock& middle = blocks[blocks.size() / 2];
    const auto& rectangles = matches.rectangles;
    EXPECT_EQ(rectangles[QuiltMatches::middleBase], (QuiltRectangle{middle.x, middle.y, 19, 19}));
    // The random block is drawn from 1 .. blocks - blocks per row - 2.
    const QuiltRectangle& randomBase = rectangles[QuiltMatches::randomBase];
    const auto randomBlock = std::find_if(blocks.begin(), blocks.end(), [&](const TiledBlock& block) {
        return block.x == randomBase.x && block.y == randomBase.y;
    });
    ASSERT_NE(randomBlock, blocks.end());
    const auto randomIndex = randomBlock - blocks.begin();
    EXPECT_GE(randomIndex, 1);
    EXPECT_LE(randomIndex, 16 - 4 - 2);

    for (int index : {QuiltMatches::middleBase, QuiltMatches::randomBase})
        expectInside(rectangles[index], base);
    for (int index : {QuiltMatches::middleExample, QuiltMatches::randomExample})
        expectInside(rectangles[index], example);
    expectBlockCameFrom(base, rectangles[QuiltMatches::middleBase], rectangles[QuiltMatches::middleExample], 16);
    expectBlockCameFrom(base, rectangles[QuiltMatches::randomBase], rectangles[QuiltMatches::randomExample], 16);
}

TEST(DetailQuilting, SameInputsFromAFreshGeneratorQuiltTheSame)
{
    const VeskGrid example = exampleWithDetails(100, 90);
    VeskGrid first = noisyBase(70, 60);
    VeskGrid second = noisyBase(70, 60);
    QuiltMatches firstMatches;
    QuiltMatches secondMatches;
    ASSERT_TRUE(runQuilt(first, example, 16, firstMatches).succeeded);
    ASSERT_TRUE(runQuilt(second, example, 16, secondMatches).succeeded);
    EXPECT_EQ(first.details, second.details);
    EXPECT_EQ(firstMatches, secondMatches);
}

TEST(DetailQuilting, EdgeBlocksAreMarkedAtTheirOwnExtent)
{
    // 3 x 3 blocks of 20 with overlap 4 on 50 x 50: the middle block is the
    // inner one, the corner blocks are 18 wide; every mark stays on the base.
    VeskGrid base = noisyBase(50, 47);
    const VeskGrid example = exampleWithDetails(90, 90);
    for (int requested : {20, 13, 9}) {
        QuiltMatches matches;
        ASSERT_TRUE(runQuilt(base, example, requested, matches).succeeded);
        expectInside(matches.rectangles[QuiltMatches::middleBase], base);
        expectInside(matches.rectangles[QuiltMatches::randomBase], base);
        expectInside(matches.rectangles[QuiltMatches::middleExample], example);
        expectInside(matches.rectangles[QuiltMatches::randomExample], example);
    }
}

TEST(DetailQuilting, RequestOfHundredOnSixtyFourWithTooFewBlocksForTheRandomPick)
{
    // Four blocks leave no range for the random pick: it falls back to block 1
    // instead of ending the program.
    VeskGrid base = noisyBase(64, 64);
    const VeskGrid example = exampleWithDetails(128, 128);
    QuiltMatches matches;
    const QuiltRun run = runQuilt(base, example, 100, matches);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_TRUE(contains(run.output, "blocksize = 50, overlap = 20"));
    EXPECT_TRUE(contains(run.output, "bpr=2, bpc=2 (4 blocks total), loc=34, lor=34, base is 64X64\n"));
    EXPECT_EQ(matches.rectangles[QuiltMatches::randomBase], (QuiltRectangle{30, 0, 33, 49}));
    expectEveryCellPasted(base.details[0]);
    expectEveryCellPasted(base.details[1]);
    EXPECT_FALSE(contains(run.output, "error in"));
}

TEST(DetailQuilting, DegenerateBlockSizesFillBothMatrices)
{
    struct Case {
        int requested;
        int baseWidth;
        int baseHeight;
        int exampleSize;
    };
    // A last column of whole steps; a block size halved to no more than twice,
    // and to no more than, the requested overlap.
    for (const Case& sizes : {Case{20, 68, 68, 128}, Case{20, 68, 52, 128}, Case{100, 64, 64, 40},
                              Case{100, 64, 64, 20}, Case{60, 33, 61, 40}}) {
        VeskGrid base = noisyBase(sizes.baseWidth, sizes.baseHeight);
        const VeskGrid example = exampleWithDetails(sizes.exampleSize, sizes.exampleSize);
        QuiltMatches matches;
        const QuiltRun run = runQuilt(base, example, sizes.requested, matches);
        ASSERT_TRUE(run.succeeded) << run.error.toStdString();
        ASSERT_EQ(base.details.size(), 2u);
        EXPECT_EQ(base.details[0].size(), static_cast<std::size_t>(sizes.baseHeight - 2));
        EXPECT_EQ(base.details[1].size(), static_cast<std::size_t>(sizes.baseHeight));
        expectEveryCellPasted(base.details[0]);
        expectEveryCellPasted(base.details[1]);
        EXPECT_FALSE(contains(run.output, "error in")) << sizes.requested << " on " << sizes.baseWidth;
    }
}

TEST(DetailQuiltingRescale, BothFlagsRoundTripTheBaseAndScaleTheCoefficients)
{
    VeskGrid base = makeTerrain(64, 64, [](int x, int y) { return 10.0f * hashedNoise(x, y, 4); });
    base.heights[0][0] = 0.0f;
    base.heights[5][5] = 10.0f;
    base.computeStatistics();
    const FloatMatrix heightsBefore = base.heights;
    VeskGrid example = makeTerrain(128, 128, [](int x, int y) { return 100.0f + 200.0f * hashedNoise(x, y, 8); });
    example.heights[1][1] = 100.0f;
    example.heights[2][2] = 300.0f;
    example.computeStatistics();
    example.details.push_back(filledMatrix(126, 254, [](int, int) { return 4.0f; }));
    example.details.push_back(filledMatrix(128, 126, [](int, int) { return 4.0f; }));
    QuiltMatches matches;
    const QuiltRun run = runQuilt(base, example, 20, matches, true, true);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_TRUE(contains(run.output, "*** Rescaling the base terrain before feature mapping. ***\n"));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_NEAR(base.heights[y][x], heightsBefore[y][x], 1e-4f);
    EXPECT_NEAR(base.minHeight, 0.0f, 1e-4f);
    EXPECT_NEAR(base.maxHeight, 10.0f, 1e-4f);
    for (const FloatMatrix& level : base.details)
        for (const auto& row : level)
            for (const float value : row)
                ASSERT_FLOAT_EQ(value, 4.0f * 10.0f / 200.0f);
}

TEST(DetailQuiltingRescale, BeforeOnlyLeavesTheBaseInTheExampleRange)
{
    VeskGrid base = makeTerrain(64, 64, [](int x, int y) { return 10.0f * hashedNoise(x, y, 4); });
    base.heights[0][0] = 0.0f;
    base.heights[5][5] = 10.0f;
    base.computeStatistics();
    VeskGrid example = exampleWithDetails(128, 128);
    example.heights[1][1] = 100.0f;
    example.heights[2][2] = 300.0f;
    for (auto& row : example.heights)
        for (float& value : row)
            value = std::clamp(value + 100.0f, 100.0f, 300.0f);
    QuiltMatches matches;
    const QuiltRun run = runQuilt(base, example, 20, matches, true, false);
    ASSERT_TRUE(run.succeeded);
    EXPECT_FLOAT_EQ(base.minHeight, 100.0f);
    EXPECT_FLOAT_EQ(base.maxHeight, 300.0f);
    EXPECT_FLOAT_EQ(base.heights[5][5], 300.0f);
    EXPECT_FALSE(base.normalsValid);
    expectEveryCellPasted(base.details[1]);
}

TEST(DetailQuiltingRescale, FlatBaseIsNotDividedByZero)
{
    VeskGrid base = makeTerrain(64, 64, [](int, int) { return 7.0f; });
    const FloatMatrix heightsBefore = base.heights;
    const VeskGrid example = exampleWithDetails(128, 128);
    QuiltMatches matches;
    const QuiltRun run = runQuilt(base, example, 20, matches, true, true);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_TRUE(contains(run.output, "*** The base terrain is flat: not rescaling. ***\n"));
    EXPECT_EQ(base.heights, heightsBefore);
    // Coefficients are not scaled either: they are still whole-number codes.
    for (const auto& row : base.details[1])
        for (const float value : row)
            ASSERT_EQ(value, std::round(value)) << "a coefficient was scaled";
}

// Every refusal: false, the message, a text, and base, example and record exactly as they were.
class DetailQuiltingRefusal : public testing::Test {
protected:
    void SetUp() override
    {
        base = noisyBase(64, 64);
        base.details.push_back(filledMatrix(62, 126, [](int, int) { return 0.25f; }));
        base.details.push_back(filledMatrix(64, 62, [](int, int) { return 0.5f; }));
        base.name = QStringLiteral("base");
        example = exampleWithDetails(128, 128);
        matches.rectangles[2] = {1, 2, 3, 4};
    }

    void expectRefused(int requested, bool before, bool after, const std::string& message)
    {
        const VeskGrid baseBefore = base;
        const VeskGrid exampleBefore = example;
        const QuiltMatches matchesBefore = matches;
        const QuiltRun run = runQuilt(base, example, requested, matches, before, after);
        EXPECT_FALSE(run.succeeded);
        EXPECT_FALSE(run.error.isEmpty());
        EXPECT_TRUE(contains(run.output, message)) << run.output;
        expectSameGrid(base, baseBefore);
        expectSameGrid(example, exampleBefore);
        EXPECT_EQ(matches, matchesBefore);
    }

    VeskGrid base;
    VeskGrid example;
    QuiltMatches matches;
};

TEST_F(DetailQuiltingRefusal, RescaleAfterWithoutBefore)
{
    expectRefused(20, false, true, "Make no sense to only scale after quilting but not before\n");
}

TEST_F(DetailQuiltingRefusal, ExampleWithoutDetails)
{
    example.clearDetails();
    expectRefused(20, false, false, "Error in makeDetails - we have no deets!\n");
}

TEST_F(DetailQuiltingRefusal, ExampleWithHalfALevel)
{
    example.details.pop_back();
    expectRefused(20, true, true, "Error in makeDetails - we have no deets!\n");
}

TEST_F(DetailQuiltingRefusal, BaseWithoutData)
{
    base.clearData();
    expectRefused(20, false, false, "the base terrain has no data");
}

TEST_F(DetailQuiltingRefusal, ExampleWithoutData)
{
    example.clearData(); // keeps its detail stack
    expectRefused(20, false, false, "the target terrain has no data");
}

TEST_F(DetailQuiltingRefusal, BlockSizeBelowTwo)
{
    expectRefused(1, false, false, "Error, block size = 1, must be 2 or greater!\n");
}

TEST_F(DetailQuiltingRefusal, ExampleTooSmallForCandidates)
{
    example = exampleWithDetails(7, 40);
    expectRefused(6, false, false, "Error in getRand");
}

TEST_F(DetailQuiltingRefusal, NoCandidateCanBeScored)
{
    for (auto& row : base.heights)
        std::fill(row.begin(), row.end(), std::numeric_limits<float>::quiet_NaN());
    expectRefused(20, false, false, "Error in texture transfer, selected not found\n");
}

TEST_F(DetailQuiltingRefusal, NoCandidateCanBeScoredWhileRescaling)
{
    for (auto& row : base.heights)
        std::fill(row.begin(), row.end(), std::numeric_limits<float>::infinity());
    base.heights[0][0] = 0.0f;
    expectRefused(20, true, true, "Error in texture transfer, selected not found\n");
}

TEST(PasteDetailBlock, CopiesTheBlockAndSkipsCellsOutsideEitherMatrix)
{
    const FloatMatrix source = filledMatrix(4, 5, columnCode);
    FloatMatrix destination = filledMatrix(3, 3, [](int, int) { return 0.0f; });
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    pasteDetailBlock(source, 3, 2, destination, 1, 1, 3, 3, 1);
    const std::string output = messages.take();
    // Rows 2, 3 of the source exist, row 4 does not; destination rows 1, 2 exist, row 3 does not.
    EXPECT_EQ(destination[1][1], columnCode(3, 2));
    EXPECT_EQ(destination[1][2], columnCode(4, 2));
    EXPECT_EQ(destination[2][1], columnCode(3, 3));
    EXPECT_EQ(destination[2][2], columnCode(4, 3));
    EXPECT_EQ(destination[0][0], 0.0f);
    EXPECT_EQ(destination[1][0], 0.0f);
    EXPECT_TRUE(contains(output, "error in t.x (3)\n"));
    EXPECT_TRUE(contains(output, "error in y1 (4)\n"));
    EXPECT_FALSE(contains(output, "error in y2"));
    // The destination column is checked before the source column.
    EXPECT_FALSE(contains(output, "error in s.x (5)"));
}

TEST(PasteDetailBlock, OverlapBandTakesTheNewBlock)
{
    const FloatMatrix source = filledMatrix(6, 6, [](int, int) { return 2.0f; });
    FloatMatrix destination = filledMatrix(6, 6, [](int, int) { return 9.0f; });
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    pasteDetailBlock(source, 0, 0, destination, 2, 2, 4, 4, 2);
    for (int row = 2; row < 6; ++row)
        for (int column = 2; column < 6; ++column)
            EXPECT_EQ(destination[row][column], 2.0f);
    EXPECT_EQ(destination[1][1], 9.0f);
}
