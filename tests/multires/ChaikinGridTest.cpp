// Chaikin coarsening and refinement of whole grids: shapes, sizes, exact reconstruction,
// messages, and refusals that leave grid and detail stack as they were.
// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/task_arena.h>

#include "diagnostics/CollectingSink.h"
#include "multires/Chaikin.h"
#include "multires/Faber.h"

#include "MultiresTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

using namespace multirestest;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

bool coarsen(VeskGrid& grid)
{
    bool done = false;
    runQuietly(reverseChaikin, grid, &done);
    return done;
}

bool refine(VeskGrid& grid)
{
    bool done = false;
    runQuietly(subdivideChaikin, grid, &done);
    return done;
}

// Float rounding only: a few units in the last place of the largest height.
double roundingBound(const FloatMatrix& heights, int levels)
{
    return multirestest::roundingBound(heights, levels, 4.0);
}

} // namespace

TEST(ChaikinGrid, TenByTenCoarsensToSixBySixWithTheDocumentedShapes)
{
    VeskGrid grid = makeGrid(roughHeights(10, 10, 1));
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(reverseChaikin(grid));
    const std::string output = messages.take();
    EXPECT_EQ(output, "Performing one level of REVERSE subdivision\nC is 10 X 10\nd is 10 X 4\nc1 is 10 X 6\n"
                      "d is 4 X 6\nc2 is 6 X 6\nrecalculating normals\n");
    EXPECT_EQ(grid.width, 6);
    EXPECT_EQ(grid.height, 6);
    ASSERT_EQ(grid.details.size(), 2u);
    EXPECT_EQ(shapeOf(grid.details[0]), "4 X 10") << "column details: H/2 - 1 rows of W";
    EXPECT_EQ(shapeOf(grid.details[1]), "6 X 4") << "row details: H/2 + 1 rows of W/2 - 1";
    EXPECT_FLOAT_EQ(grid.cellSize, 60.0f);
    EXPECT_TRUE(grid.hasData);
    EXPECT_FALSE(grid.normalsValid) << "made again on first use";
    grid.ensureNormals();
    EXPECT_EQ(grid.normals.size(), 6u);
}

TEST(ChaikinGrid, ShapesFollowTheFineSizeForRectangularGrids)
{
    VeskGrid grid = makeGrid(roughHeights(26, 14, 2)); // width 26, height 14
    ASSERT_TRUE(coarsen(grid));
    EXPECT_EQ(grid.width, 14);
    EXPECT_EQ(grid.height, 8);
    EXPECT_EQ(shapeOf(grid.details[0]), "6 X 26");
    EXPECT_EQ(shapeOf(grid.details[1]), "8 X 12");
    ASSERT_TRUE(refine(grid));
    EXPECT_EQ(grid.width, 26);
    EXPECT_EQ(grid.height, 14);
}

TEST(ChaikinGrid, RefiningWithDetailsRestoresTheHeightsAndMessages)
{
    const FloatMatrix original = roughHeights(10, 10, 3);
    VeskGrid grid = makeGrid(original);
    ASSERT_TRUE(coarsen(grid));
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(subdivideChaikin(grid));
    const std::string output = messages.take();
    EXPECT_THAT(output, StartsWith("Performing one level of subdivision with details\nf1 is 10 X 6\tf2 is 10 X 10\n"
                                   "\tRecalculating normals\n"));
    EXPECT_LE(largestDifference(grid.heights, original), roundingBound(original, 1));
    EXPECT_TRUE(grid.details.empty());
    EXPECT_FLOAT_EQ(grid.cellSize, 30.0f);
    EXPECT_FLOAT_EQ(grid.fractalDeviation, -1.0f);
}

TEST(ChaikinGrid, OddSizesCoarsenExactlyAsTheirEvenPart)
{
    const FloatMatrix odd = roughHeights(11, 13, 4);
    const FloatMatrix even = resizedMatrix(odd, 12, 10);
    VeskGrid oddGrid = makeGrid(odd);
    VeskGrid evenGrid = makeGrid(even);
    ASSERT_TRUE(coarsen(oddGrid));
    ASSERT_TRUE(coarsen(evenGrid));
    EXPECT_EQ(oddGrid.heights, evenGrid.heights);
    EXPECT_EQ(oddGrid.details, evenGrid.details);
    ASSERT_TRUE(refine(oddGrid));
    EXPECT_EQ(oddGrid.width, 10);
    EXPECT_EQ(oddGrid.height, 12);
}

TEST(ChaikinGrid, NarrowGridIsLeftUntouchedSilently)
{
    VeskGrid grid = makeGrid(roughHeights(9, 100, 5));
    const GridSnapshot before = snapshotOf(grid);
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_FALSE(reverseChaikin(grid));
    EXPECT_EQ(messages.take(), "");
    EXPECT_TRUE(snapshotOf(grid) == before);
    EXPECT_FALSE(grid.lastError.isEmpty());
}

TEST(ChaikinGrid, SizeSequenceTenSixTen)
{
    VeskGrid grid = makeGrid(roughHeights(10, 10, 6));
    ASSERT_TRUE(coarsen(grid));
    EXPECT_EQ(grid.width, 6);
    ASSERT_TRUE(refine(grid));
    EXPECT_EQ(grid.width, 10);
    EXPECT_EQ(grid.height, 10);
}

TEST(ChaikinGrid, ConstantGridHasZeroDetails)
{
    VeskGrid grid = makeGrid(FloatMatrix(18, std::vector<float>(18, 42.5f)));
    ASSERT_TRUE(coarsen(grid));
    for (const auto& matrix : grid.details)
        for (const auto& row : matrix)
            for (const float value : row)
                EXPECT_EQ(value, 0.0f);
    for (const auto& row : grid.heights)
        for (const float value : row)
            EXPECT_EQ(value, 42.5f);
}

TEST(ChaikinGrid, PlainRefinementWhenTheStackIsShort)
{
    VeskGrid grid = makeGrid({{0, 4, 8}, {0, 4, 8}, {0, 4, 8}});
    grid.details.push_back(FloatMatrix{{1.0f}});
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(subdivideChaikin(grid));
    const std::string output = messages.take();
    EXPECT_THAT(output, StartsWith("Performing one level of subdivision without details\n\tRefining columns\n"
                                   "\tRefining rows\n\tRecalculating normals\n"));
    ASSERT_EQ(grid.width, 4);
    ASSERT_EQ(grid.height, 4);
    for (const auto& row : grid.heights)
        EXPECT_EQ(row, (std::vector<float>{0, 2, 6, 8})) << "end edges cut at their midpoints";
    EXPECT_EQ(grid.details.size(), 1u) << "plain refinement leaves the stack alone";
    EXPECT_FLOAT_EQ(grid.cellSize, 15.0f);
}

TEST(ChaikinGrid, CoarseningAPlainRefinementGivesTheCoarseGridAndZeroDetails)
{
    const FloatMatrix coarse = roughHeights(9, 7, 7);
    VeskGrid grid = makeGrid(coarse);
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(subdivideChaikinWithoutDetails(grid));
    ASSERT_TRUE(reverseChaikin(grid));
    EXPECT_LE(largestDifference(grid.heights, coarse), roundingBound(coarse, 1));
    for (const auto& matrix : grid.details)
        for (const auto& row : matrix)
            for (const float value : row)
                EXPECT_NEAR(value, 0.0f, 1e-3);
}

TEST(ChaikinGrid, ThreeLevelsRoundTripOnSyntheticTerrainKeepsTheStack)
{
    const FloatMatrix original = roughHeights(130, 66, 8); // 130 = 66 = 2 mod 8: even at every level
    VeskGrid grid = makeGrid(original);
    const FloatMatrix sentinel{{7, 7}, {7, 7}};
    grid.details.push_back(sentinel);
    for (int level = 0; level < 3; ++level)
        ASSERT_TRUE(coarsen(grid)) << "level " << level;
    EXPECT_EQ(grid.width, 18);
    EXPECT_EQ(grid.height, 10);
    EXPECT_EQ(grid.details.size(), 7u);
    for (int level = 0; level < 3; ++level)
        ASSERT_TRUE(refine(grid)) << "level " << level;
    const double error = largestDifference(grid.heights, original);
    std::printf("[ chaikin ] synthetic 130 x 66, 3 levels: largest absolute error %.6g m\n", error);
    EXPECT_LE(error, roundingBound(original, 3));
    ASSERT_EQ(grid.details.size(), 1u);
    EXPECT_EQ(grid.details[0], sentinel);
}

TEST(ChaikinGrid, RealTerrainRoundTripsThroughOneTwoAndThreeLevels)
{
    const FloatMatrix original = realDemHeights(402, 338);
    for (int levels = 1; levels <= 3; ++levels) {
        VeskGrid grid = makeGrid(original);
        const FloatMatrix sentinel{{1, 2, 3}};
        grid.details.push_back(sentinel);
        for (int level = 0; level < levels; ++level)
            ASSERT_TRUE(coarsen(grid));
        ASSERT_EQ(grid.details.size(), static_cast<std::size_t>(2 * levels + 1));
        for (int level = 0; level < levels; ++level)
            ASSERT_TRUE(refine(grid));
        const double error = largestDifference(grid.heights, original);
        std::printf("[ chaikin ] real DEM 402 x 338, %d level(s): largest absolute error %.6g m\n", levels, error);
        EXPECT_LE(error, roundingBound(original, levels));
        ASSERT_EQ(grid.details.size(), 1u);
        EXPECT_EQ(grid.details[0], sentinel);
        EXPECT_FLOAT_EQ(grid.cellSize, 30.0f);
    }
}

TEST(ChaikinGrid, OneThreadGivesTheBytesOfEveryThread)
{
    // Large enough that the lines are shared out among the threads.
    const VeskGrid start = makeGrid(roughHeights(530, 514, 3));
    const auto coarsenedAndRefined = [&] {
        VeskGrid grid = start;
        EXPECT_TRUE(coarsen(grid));
        VeskGrid plain = grid;
        EXPECT_TRUE(refine(grid));
        bool refined = false;
        runQuietly(subdivideChaikinWithoutDetails, plain, &refined);
        EXPECT_TRUE(refined);
        return std::pair{grid, plain};
    };
    const auto everyThread = coarsenedAndRefined();
    std::pair<VeskGrid, VeskGrid> oneThread;
    tbb::task_arena(1).execute([&] { oneThread = coarsenedAndRefined(); });
    for (const auto& [all, one] : {std::pair{&everyThread.first, &oneThread.first},
                                   std::pair{&everyThread.second, &oneThread.second}}) {
        ASSERT_EQ(all->details.size(), one->details.size());
        EXPECT_EQ(all->heights, one->heights);
        for (std::size_t level = 0; level < all->details.size(); ++level)
            EXPECT_EQ(all->details[level], one->details[level]);
    }
}

TEST(ChaikinGrid, SplicedLargerDetailsAreReadOnlyAsFarAsNeeded)
{
    VeskGrid exact = makeGrid(roughHeights(18, 18, 9));
    ASSERT_TRUE(coarsen(exact));
    VeskGrid padded = exact;
    // A level spliced for a larger terrain: extra rows and values beyond what 10 x 10 needs.
    for (auto& matrix : padded.details)
        matrix = resizedMatrix(matrix, static_cast<int>(matrix.rows()) + 3, static_cast<int>(matrix.columns()) + 5,
                               1234.0f, -999.0f);
    ASSERT_TRUE(refine(exact));
    ASSERT_TRUE(refine(padded));
    EXPECT_EQ(padded.heights, exact.heights);
}

TEST(ChaikinGridRefusals, TooSmallForPlainRefinement)
{
    for (const auto& size : {std::pair{2, 5}, std::pair{5, 2}, std::pair{1, 1}}) {
        VeskGrid grid = makeGrid(roughHeights(size.first, size.second, 10));
        const GridSnapshot before = snapshotOf(grid);
        diagnostics::CollectingSink messages;
        diagnostics::ScopedSink collecting(messages);
        EXPECT_FALSE(subdivideChaikin(grid));
        const std::string output = messages.take();
        EXPECT_THAT(output, HasSubstr("too small for Chaikin subdivision without details"));
        EXPECT_THAT(output, HasSubstr("at least 3 samples"));
        EXPECT_TRUE(snapshotOf(grid) == before);
        EXPECT_FALSE(grid.lastError.isEmpty());
    }
}

TEST(ChaikinGridRefusals, EmptyGridIsNotRefined)
{
    VeskGrid grid;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    EXPECT_FALSE(subdivideChaikinWithoutDetails(grid));
    EXPECT_FALSE(reverseChaikin(grid));
    EXPECT_EQ(grid.width, 0);
    EXPECT_FALSE(grid.hasData);
}

TEST(ChaikinGridRefusals, TooSmallForRefinementWithDetails)
{
    VeskGrid grid = makeGrid(roughHeights(4, 8, 11));
    grid.details.push_back(FloatMatrix(6, std::vector<float>(6, 0.0f)));
    grid.details.push_back(FloatMatrix(8, std::vector<float>(2, 0.0f)));
    const GridSnapshot before = snapshotOf(grid);
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_FALSE(subdivideChaikin(grid));
    const std::string output = messages.take();
    EXPECT_THAT(output, HasSubstr("too small for Chaikin subdivision with details"));
    EXPECT_THAT(output, HasSubstr("at least 5 samples"));
    EXPECT_TRUE(snapshotOf(grid) == before);
}

TEST(ChaikinGridRefusals, MismatchedDetailsAreRefusedBeforeAnythingIsPopped)
{
    VeskGrid source = makeGrid(roughHeights(10, 10, 12));
    ASSERT_TRUE(coarsen(source)); // 6 x 6 with row details 6 x 4, column details 4 x 10

    struct Case {
        const char* what;
        void (*spoil)(std::vector<FloatMatrix>&);
    };
    const Case cases[] = {
        {"row details one row short", [](std::vector<FloatMatrix>& d) { d[1].reshape(d[1].rows() - 1, d[1].columns()); }},
        {"row details one value short", [](std::vector<FloatMatrix>& d) { d[1].reshape(d[1].rows(), d[1].columns() - 1); }},
        {"column details one row short", [](std::vector<FloatMatrix>& d) { d[0].reshape(d[0].rows() - 1, d[0].columns()); }},
        {"column details one value short", [](std::vector<FloatMatrix>& d) { d[0].reshape(d[0].rows(), d[0].columns() - 1); }},
        {"empty matrices", [](std::vector<FloatMatrix>& d) { d[0].clear(); d[1].clear(); }},
    };
    for (const Case& c : cases) {
        VeskGrid grid = source;
        c.spoil(grid.details);
        const GridSnapshot before = snapshotOf(grid);
        diagnostics::CollectingSink messages;
        diagnostics::ScopedSink collecting(messages);
        EXPECT_FALSE(subdivideChaikin(grid)) << c.what;
        const std::string output = messages.take();
        EXPECT_THAT(output, HasSubstr("do not fit")) << c.what;
        EXPECT_TRUE(snapshotOf(grid) == before) << c.what;
        EXPECT_THAT(grid.lastError.toStdString(), HasSubstr("do not fit")) << c.what;
    }
}

TEST(ChaikinGridRefusals, FaberLevelOfASmallerGridIsRefused)
{
    // A Faber level for a 6 x 6 coarse grid: row details 6 x 5, column details 5 x 11.
    VeskGrid faberGrid = makeGrid(roughHeights(11, 11, 13));
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(reverseFaber(faberGrid));
    // Chaikin refinement of 8 x 8 needs 8 rows of 6 row details and 6 rows of 14 column details.
    VeskGrid target = makeGrid(roughHeights(8, 8, 15));
    target.details = faberGrid.details;
    const GridSnapshot before = snapshotOf(target);
    messages.clear();
    EXPECT_FALSE(subdivideChaikin(target));
    EXPECT_THAT(messages.take(), HasSubstr("6 X 5"));
    EXPECT_TRUE(snapshotOf(target) == before);
}

TEST(ChaikinGridRefusals, FaberLevelOfTheSameGridIsRefused)
{
    // Coarsened with Faber, refined with Chaikin: the Faber level is larger than a Chaikin one
    // and must not pass as spliced details.
    VeskGrid grid = makeGrid(roughHeights(21, 17, 19));
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(reverseFaber(grid));
    const GridSnapshot before = snapshotOf(grid);
    messages.clear();
    EXPECT_FALSE(subdivideChaikin(grid));
    EXPECT_THAT(messages.take(), HasSubstr("are a Faber level of this 11 X 9 grid"));
    EXPECT_TRUE(snapshotOf(grid) == before);
    EXPECT_THAT(grid.lastError.toStdString(), HasSubstr("refine it with Faber"));

    // Faber refinement takes the same level back to the fine grid.
    EXPECT_TRUE(subdivideFaber(grid));
    EXPECT_EQ(grid.width, 21);
    EXPECT_EQ(grid.height, 17);
}

TEST(ChaikinGridRefusals, InconsistentHeightsAreRefused)
{
    VeskGrid grid = makeGrid(roughHeights(12, 12, 16));
    grid.heights.reshape(12, 11);
    const GridSnapshot before = snapshotOf(grid);
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    EXPECT_FALSE(reverseChaikin(grid));
    EXPECT_FALSE(subdivideChaikin(grid));
    EXPECT_TRUE(snapshotOf(grid) == before);
}
