// Faber (interpolating) multiresolution: line rules, shapes, trimming to odd sizes,
// exact reconstruction, and refusals of details that do not fit.
#include "diagnostics/CollectingSink.h"
#include "multires/Chaikin.h"
#include "multires/Faber.h"

#include "MultiresTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

using namespace multirestest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

bool coarsen(VeskGrid& grid)
{
    bool done = false;
    runQuietly(reverseFaber, grid, &done);
    return done;
}

bool refine(VeskGrid& grid)
{
    bool done = false;
    runQuietly(subdivideFaber, grid, &done);
    return done;
}

// Float rounding only: a few units in the last place of the largest height.
double roundingBound(const FloatMatrix& heights, int levels)
{
    return multirestest::roundingBound(heights, levels, 2.0);
}

} // namespace

TEST(FaberLineRules, RefineKeepsCoarseSamplesAndAddsDetailsToMidpoints)
{
    EXPECT_THAT(faberRefineLine({0, 2}, {0}), ElementsAre(0, 1, 2));
    EXPECT_THAT(faberRefineLine({5}, {}), ElementsAre(5));
    EXPECT_THAT(faberRefineLine({0, 2, 6}, {0.5f, -1}), ElementsAre(0, 1.5f, 2, 3, 6));
    EXPECT_THAT(faberRefineLine({0, 2}, {1, 77}), ElementsAre(0, 2, 2)) << "surplus details are not read";
}

TEST(FaberLineRules, RefineRefusesMissingDetails)
{
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_TRUE(faberRefineLine({0, 2, 4}, {1}).empty());
    EXPECT_TRUE(faberRefineLine({}, {}).empty());
    EXPECT_THAT(messages.take(), HasSubstr("Error"));
}

TEST(FaberLineRules, DetailsAreOffsetsFromTheMidpoint)
{
    VeskGrid grid;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    const FloatMatrix details = faberDetails(grid, FloatMatrix{{0, 1.5f, 2, 3, 6}}, true);
    EXPECT_EQ(messages.take(), "d is 2 X 1\n");
    ASSERT_EQ(details.size(), 1u);
    EXPECT_THAT(details[0], ElementsAre(0.5f, -1));
    EXPECT_THAT(faberRefineLine({0, 2, 6}, details[0]), ElementsAre(0, 1.5f, 2, 3, 6));
}

TEST(FaberLineRules, DetailsTakeTheLineLengthFromTheMatrix)
{
    VeskGrid grid;
    grid.width = 100; // not used: the matrix says how long its lines are
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    const FloatMatrix columnDetails = faberDetails(grid, FloatMatrix(7, std::vector<float>(4, 1.0f)), false);
    EXPECT_EQ(messages.take(), "d is 4 X 3\n");
    EXPECT_EQ(shapeOf(columnDetails), "3 X 4");
}

TEST(FaberLineRules, EvenLinesAreRefused)
{
    VeskGrid grid;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_TRUE(faberDetails(grid, FloatMatrix{{0, 1, 2, 3}}, true).empty());
    EXPECT_TRUE(faberDetails(grid, FloatMatrix(6, std::vector<float>(5, 0.0f)), false).empty());
    EXPECT_THAT(messages.take(), HasSubstr("odd number of samples"));
}

TEST(FaberGrid, ElevenByElevenCoarsensToSixBySix)
{
    const FloatMatrix original = roughHeights(11, 11, 21);
    VeskGrid grid = makeGrid(original);
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(reverseFaber(grid));
    EXPECT_EQ(messages.take(),
              "Performing one level of REVERSE subdivision\nd is 11 X 5\nc1 is 11 X 6\nd is 5 X 6\nc2 is 6 X 6\n"
              "recalculating normals\n");
    EXPECT_EQ(grid.width, 6);
    EXPECT_EQ(grid.height, 6);
    ASSERT_EQ(grid.details.size(), 2u);
    EXPECT_EQ(shapeOf(grid.details[0]), "5 X 11");
    EXPECT_EQ(shapeOf(grid.details[1]), "6 X 5");
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(grid.heights[y][x], original[2 * y][2 * x]) << "coarse samples are kept samples";
    EXPECT_FLOAT_EQ(grid.cellSize, 60.0f);

    messages.clear();
    ASSERT_TRUE(subdivideFaber(grid));
    EXPECT_THAT(messages.take(),
                StartsWith("Performing one level of FABER subdivision with details\nf1 is 11 X 6\tf2 is 11 X 11\n"
                           "\tRecalculating normals\n"));
    EXPECT_LE(largestDifference(grid.heights, original), roundingBound(original, 1));
    EXPECT_TRUE(grid.details.empty());
    EXPECT_FLOAT_EQ(grid.cellSize, 30.0f);
}

TEST(FaberGrid, EvenSizesAreTrimmedHeightFirstWithBothMessages)
{
    VeskGrid grid = makeGrid(roughHeights(12, 10, 22)); // width 12, height 10
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(reverseFaber(grid));
    const std::string output = messages.take();
    EXPECT_THAT(output, StartsWith("Performing one level of REVERSE subdivision\nadjusting height from 10 to 9\n"
                                   "adjusting width from 12 to 11\n"));
    EXPECT_EQ(grid.width, 6);
    EXPECT_EQ(grid.height, 5);
    EXPECT_EQ(shapeOf(grid.details[0]), "4 X 11");
    EXPECT_EQ(shapeOf(grid.details[1]), "5 X 5");
    ASSERT_TRUE(refine(grid));
    EXPECT_EQ(grid.width, 11);
    EXPECT_EQ(grid.height, 9);
}

TEST(FaberGrid, SmallGridIsLeftUntouchedSilently)
{
    VeskGrid grid = makeGrid(roughHeights(9, 100, 23));
    const GridSnapshot before = snapshotOf(grid);
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_FALSE(reverseFaber(grid));
    EXPECT_EQ(messages.take(), "");
    EXPECT_TRUE(snapshotOf(grid) == before);
}

TEST(FaberGrid, MidpointTerrainHasZeroDetails)
{
    // Bilinear in x and y: every odd sample is the mean of its two neighbours along each line.
    VeskGrid grid = makeGrid(makeHeights(13, 11, [](int x, int y) { return 3.0 * x - 2.0 * y + 0.5 * x * y; }));
    ASSERT_TRUE(coarsen(grid));
    for (const auto& matrix : grid.details)
        for (const auto& row : matrix)
            for (const float value : row)
                EXPECT_EQ(value, 0.0f);
}

TEST(FaberGrid, PlainRefinementInterpolatesLinearly)
{
    VeskGrid grid = makeGrid({{0, 2}, {4, 6}});
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(subdivideFaber(grid));
    EXPECT_THAT(messages.take(),
                StartsWith("Performing one level of FABER subdivision without details\n\tRecalculating normals\n"));
    EXPECT_EQ(grid.heights, (FloatMatrix{{0, 1, 2}, {2, 3, 4}, {4, 5, 6}}));
    EXPECT_FLOAT_EQ(grid.cellSize, 15.0f);

    VeskGrid line = makeGrid({{7}});
    ASSERT_TRUE(subdivideFaberWithoutDetails(line));
    EXPECT_EQ(line.heights, (FloatMatrix{{7}})) << "one sample refines to one sample";
}

TEST(FaberGrid, SizeSequenceElevenSixEleven)
{
    VeskGrid grid = makeGrid(roughHeights(11, 11, 24));
    ASSERT_TRUE(coarsen(grid));
    EXPECT_EQ(grid.width, 6);
    ASSERT_TRUE(refine(grid));
    EXPECT_EQ(grid.width, 11);
}

TEST(FaberGrid, RealTerrainRoundTripsThroughOneTwoAndThreeLevels)
{
    const FloatMatrix original = realDemHeights(401, 337); // 1 mod 8: odd at every level
    for (int levels = 1; levels <= 3; ++levels) {
        VeskGrid grid = makeGrid(original);
        const FloatMatrix sentinel{{1, 2, 3}};
        grid.details.push_back(sentinel);
        for (int level = 0; level < levels; ++level)
            ASSERT_TRUE(coarsen(grid));
        for (int level = 0; level < levels; ++level)
            ASSERT_TRUE(refine(grid));
        const double error = largestDifference(grid.heights, original);
        std::printf("[ faber ] real DEM 401 x 337, %d level(s): largest absolute error %.6g m\n", levels, error);
        EXPECT_LE(error, roundingBound(original, levels));
        ASSERT_EQ(grid.details.size(), 1u);
        EXPECT_EQ(grid.details[0], sentinel);
    }
}

TEST(FaberGrid, SyntheticTerrainRoundTripsThroughThreeLevels)
{
    const FloatMatrix original = roughHeights(129, 73, 25);
    VeskGrid grid = makeGrid(original);
    for (int level = 0; level < 3; ++level)
        ASSERT_TRUE(coarsen(grid));
    EXPECT_EQ(grid.width, 17);
    EXPECT_EQ(grid.height, 10);
    for (int level = 0; level < 3; ++level)
        ASSERT_TRUE(refine(grid));
    const double error = largestDifference(grid.heights, original);
    std::printf("[ faber ] synthetic 129 x 73, 3 levels: largest absolute error %.6g m\n", error);
    EXPECT_LE(error, roundingBound(original, 3));
}

TEST(FaberGrid, SplicedLargerDetailsAreReadOnlyAsFarAsNeeded)
{
    VeskGrid exact = makeGrid(roughHeights(21, 17, 26));
    ASSERT_TRUE(coarsen(exact));
    VeskGrid padded = exact;
    for (auto& matrix : padded.details)
        matrix = resizedMatrix(matrix, static_cast<int>(matrix.rows()) + 2, static_cast<int>(matrix.columns()) + 4,
                               500.0f, -500.0f);
    ASSERT_TRUE(refine(exact));
    ASSERT_TRUE(refine(padded));
    EXPECT_EQ(padded.heights, exact.heights);
}

TEST(FaberGridRefusals, ChaikinDetailsAreOneValueShortPerLine)
{
    // The same coarse size from a Chaikin coarsening: row details of W - 2 values, Faber needs W - 1.
    VeskGrid grid = makeGrid(roughHeights(10, 10, 27));
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(reverseChaikin(grid));
    const GridSnapshot before = snapshotOf(grid);
    messages.clear();
    EXPECT_FALSE(subdivideFaber(grid));
    const std::string output = messages.take();
    EXPECT_THAT(output, HasSubstr("do not fit"));
    EXPECT_THAT(output, HasSubstr("6 X 4"));
    EXPECT_TRUE(snapshotOf(grid) == before);
    EXPECT_THAT(grid.lastError.toStdString(), HasSubstr("do not fit"));
}

TEST(FaberGridRefusals, ShortOrEmptyDetailsAreRefused)
{
    VeskGrid source = makeGrid(roughHeights(11, 11, 28));
    ASSERT_TRUE(coarsen(source));
    for (int variant = 0; variant < 3; ++variant) {
        VeskGrid grid = source;
        FloatMatrix& spoilt = grid.details[variant == 2 ? 1 : 0];
        if (variant == 0)
            spoilt.reshape(spoilt.rows() - 1, spoilt.columns());
        else if (variant == 1)
            spoilt.reshape(spoilt.rows(), spoilt.columns() - 1);
        else
            spoilt.reshape(spoilt.rows(), 0);
        const GridSnapshot before = snapshotOf(grid);
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        EXPECT_FALSE(subdivideFaber(grid)) << "variant " << variant;
        EXPECT_TRUE(snapshotOf(grid) == before) << "variant " << variant;
    }
}

TEST(FaberGridRefusals, EmptyGridIsNotRefined)
{
    VeskGrid grid;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_FALSE(subdivideFaber(grid));
    EXPECT_THAT(messages.take(), HasSubstr("no data"));
    EXPECT_EQ(grid.width, 0);
}
