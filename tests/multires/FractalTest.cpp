// Fractal subdivision: deviation estimate and decay, decimation, reproducibility from a
// generator state, and the block-modulated refinement. These tests move the shared
// generator; where the outcome depends on it they restore a state first.
#include "diagnostics/CollectingSink.h"
#include "multires/Chaikin.h"
#include "multires/Fractal.h"
#include "multires/NormalDeviatesState.h"

#include "MultiresTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace multirestest;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

constexpr double kRatio = 0.5547847;

FloatMatrix plainlyRefined(const FloatMatrix& heights)
{
    VeskGrid grid = makeGrid(heights);
    runQuietly(subdivideChaikinWithoutDetails, grid);
    return grid.heights;
}

} // namespace

TEST(FractalSubdivision, FlatTerrainFallsBackToThreeHundredAndDecays)
{
    VeskGrid grid = makeGrid(FloatMatrix(20, std::vector<float>(20, 100.0f)));
    bool done = false;
    const std::string first = runQuietly(subdivideFractal, grid, &done);
    ASSERT_TRUE(done);
    EXPECT_THAT(first, HasSubstr("\tMean of details is 0.000, std dev of details is 0.000\n"));
    EXPECT_THAT(first, HasSubstr("Performing fBm subdivision with std dev of 166.435 (ratio = 0.555, H = 0.850)\n"));
    EXPECT_THAT(first, HasSubstr("\tRecalculating normals\n"));
    EXPECT_NEAR(grid.fractalDeviation, 300.0 * kRatio, 1e-3);
    EXPECT_EQ(grid.width, 38);
    EXPECT_EQ(grid.height, 38);
    EXPECT_FLOAT_EQ(grid.cellSize, 15.0f);

    const float firstDeviation = grid.fractalDeviation;
    const std::string second = runQuietly(subdivideFractal, grid, &done);
    ASSERT_TRUE(done);
    EXPECT_THAT(second, Not(HasSubstr("Mean of details"))) << "the second level does not estimate again";
    EXPECT_NEAR(grid.fractalDeviation / firstDeviation, kRatio, 1e-6);
    EXPECT_EQ(grid.width, 74);
}

TEST(FractalSubdivision, NoiseHasTheLevelsDeviationTimesOnePointOne)
{
    VeskGrid grid = makeGrid(FloatMatrix(120, std::vector<float>(120, 0.0f)));
    runQuietly(subdivideFractal, grid);
    // The plain refinement of a flat grid is flat, so the heights are the noise itself.
    double sum = 0.0;
    double squares = 0.0;
    long count = 0;
    for (const auto& row : grid.heights)
        for (const float value : row) {
            sum += value;
            squares += static_cast<double>(value) * value;
            ++count;
        }
    const double deviation = std::sqrt(squares / count - (sum / count) * (sum / count));
    EXPECT_NEAR(deviation, 300.0 * kRatio * 1.1, 0.02 * 300.0 * kRatio * 1.1);
}

TEST(FractalSubdivision, UnsetCellSizeBecomesTwelveEightyThenHalves)
{
    VeskGrid grid = makeGrid(roughHeights(16, 16, 31), -1.0f);
    runQuietly(subdivideFractal, grid);
    EXPECT_FLOAT_EQ(grid.cellSize, 640.0f);
}

TEST(FractalSubdivision, FirstDeviationIsFortyFivePercentOfTheEstimateTimesTheRatio)
{
    const FloatMatrix heights = roughHeights(40, 30, 32);
    VeskGrid measured = makeGrid(heights);
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const float estimate = estimateDetailDeviation(measured);
    ASSERT_GT(0.45f * estimate, 0.2f);

    VeskGrid grid = makeGrid(heights);
    grid.details.push_back(FloatMatrix{{1.0f}});
    runQuietly(subdivideFractal, grid);
    EXPECT_NEAR(grid.fractalDeviation, 0.45 * estimate * kRatio, 1e-4 * estimate);
    EXPECT_TRUE(grid.details.empty()) << "the detail stack is emptied";
    EXPECT_EQ(grid.width, 78);
    EXPECT_EQ(grid.height, 58);
}

TEST(FractalSubdivision, ReproducibleFromTheSameGeneratorState)
{
    const VeskGrid start = makeGrid(roughHeights(24, 18, 33));
    VeskGrid first = start;
    VeskGrid second = start;
    restoreNormalDeviateState(2024u);
    runQuietly(subdivideFractal, first);
    restoreNormalDeviateState(2024u);
    runQuietly(subdivideFractal, second);
    EXPECT_EQ(first.heights, second.heights);

    // Without restoring, the seed is XORed into a moved state: the next refinement differs.
    VeskGrid third = start;
    runQuietly(subdivideFractal, third);
    EXPECT_NE(third.heights, first.heights);
}

TEST(FractalSubdivision, TooSmallGridsAreRefused)
{
    for (const auto& size : {std::pair{2, 8}, std::pair{8, 2}}) {
        VeskGrid grid = makeGrid(roughHeights(size.first, size.second, 34));
        const GridSnapshot before = snapshotOf(grid);
        bool done = true;
        const std::string output = runQuietly(subdivideFractal, grid, &done);
        EXPECT_FALSE(done);
        EXPECT_THAT(output, HasSubstr("too small for fractal subdivision"));
        EXPECT_TRUE(snapshotOf(grid) == before);
    }
}

TEST(FractalSubdivision, SmallGridRefinesWithAZeroEstimate)
{
    // 4 x 4 can be refined but not measured: the estimate is 0 and the fallback applies.
    VeskGrid grid = makeGrid(roughHeights(4, 4, 35));
    bool done = false;
    const std::string output = runQuietly(subdivideFractal, grid, &done);
    ASSERT_TRUE(done);
    EXPECT_THAT(output, HasSubstr("too small to estimate its detail deviation"));
    EXPECT_NEAR(grid.fractalDeviation, 300.0 * kRatio, 1e-3);
    EXPECT_EQ(grid.width, 6);
}

TEST(FractalDecimation, SevenByFiveKeepsEveryOtherSample)
{
    const FloatMatrix heights = makeHeights(7, 5, [](int x, int y) { return 10 * y + x; });
    VeskGrid grid = makeGrid(heights);
    grid.details.push_back(FloatMatrix{{1.0f}});
    grid.fractalDeviation = 12.0f;
    bool done = false;
    const std::string output = runQuietly(unsubdivideFractal, grid, &done);
    ASSERT_TRUE(done);
    EXPECT_EQ(output, "adjusting width from 7 to 3\nadjusting height from 5 to 2\n");
    EXPECT_EQ(grid.heights, (FloatMatrix{{0, 2, 4}, {20, 22, 24}}));
    EXPECT_TRUE(grid.details.empty());
    EXPECT_EQ(grid.fractalDeviation, 0.0f);
    EXPECT_FLOAT_EQ(grid.cellSize, 60.0f);
    EXPECT_FALSE(grid.normalsValid) << "made again on first use";
    grid.ensureNormals();
    EXPECT_EQ(grid.normals.size(), 2u);
}

TEST(FractalDecimation, SizesHalveRoundingDown)
{
    for (const auto& size : {std::pair{8, 9}, std::pair{10, 11}, std::pair{100, 37}, std::pair{4, 5}}) {
        VeskGrid grid = makeGrid(roughHeights(size.first, size.second, 36));
        runQuietly(unsubdivideFractal, grid);
        EXPECT_EQ(grid.width, size.first / 2);
        EXPECT_EQ(grid.height, size.second / 2);
        for (int y = 0; y < grid.height; ++y)
            for (int x = 0; x < grid.width; ++x)
                ASSERT_EQ(grid.heights[y][x], roughHeights(size.first, size.second, 36)[2 * y][2 * x]);
    }
}

TEST(FractalDecimation, NextRefinementEstimatesAfresh)
{
    VeskGrid grid = makeGrid(roughHeights(30, 30, 37));
    runQuietly(subdivideFractal, grid);
    runQuietly(unsubdivideFractal, grid);
    const std::string output = runQuietly(subdivideFractal, grid);
    EXPECT_THAT(output, HasSubstr("Mean of details"));
}

TEST(FractalDecimation, GridsNarrowerThanFourAreRefused)
{
    for (const auto& size : {std::pair{3, 10}, std::pair{10, 3}}) {
        VeskGrid grid = makeGrid(roughHeights(size.first, size.second, 38));
        const GridSnapshot before = snapshotOf(grid);
        bool done = true;
        const std::string output = runQuietly(unsubdivideFractal, grid, &done);
        EXPECT_FALSE(done);
        EXPECT_THAT(output, HasSubstr("too small for fractal coarsening"));
        EXPECT_TRUE(snapshotOf(grid) == before);
    }
}

TEST(DetailDeviationEstimate, OddHeightLosesItsLastRow)
{
    VeskGrid grid = makeGrid(roughHeights(21, 13, 39));
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    estimateDetailDeviation(grid);
    const std::string output = messages.take();
    EXPECT_THAT(output, HasSubstr("adjusting height from 13 to 12\n"));
    EXPECT_THAT(output, HasSubstr("d is 21 X 5\n"));
    EXPECT_THAT(output, HasSubstr("d is 9 X 7\n"));
    EXPECT_EQ(grid.height, 12);
    EXPECT_EQ(grid.width, 21);
}

TEST(DetailDeviationEstimate, ZeroForAPlainRefinementAndProportionalToScale)
{
    VeskGrid smooth = makeGrid(plainlyRefined(roughHeights(12, 10, 40)));
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    EXPECT_NEAR(estimateDetailDeviation(smooth), 0.0f, 1e-3);

    const FloatMatrix rough = roughHeights(30, 24, 41);
    FloatMatrix tripled = rough;
    for (auto& row : tripled)
        for (float& value : row)
            value *= 3.0f;
    VeskGrid once = makeGrid(rough);
    VeskGrid thrice = makeGrid(tripled);
    const float base = estimateDetailDeviation(once);
    const float scaled = estimateDetailDeviation(thrice);
    EXPECT_GT(base, 1.0f);
    EXPECT_NEAR(scaled, 3.0f * base, 1e-4 * scaled);
}

TEST(DetailDeviationEstimate, TooSmallGridGivesZeroAndStaysAsItWas)
{
    for (const auto& size : {std::pair{5, 10}, std::pair{10, 5}}) {
        VeskGrid grid = makeGrid(roughHeights(size.first, size.second, 42));
        const GridSnapshot before = snapshotOf(grid);
        diagnostics::CollectingSink messages;
        diagnostics::ScopedSink collecting(messages);
        EXPECT_EQ(estimateDetailDeviation(grid), 0.0f);
        EXPECT_THAT(messages.take(), HasSubstr("too small to estimate"));
        EXPECT_TRUE(snapshotOf(grid) == before);
    }
}

TEST(BlockFractalSubdivision, NoiseFollowsTheBlockMap)
{
    // 10 x 8 coarse grid in blocks of 4: 3 blocks across, 2 down. Blocks 0, 2 and 4 get no noise.
    const FloatMatrix heights = roughHeights(10, 8, 43);
    const FloatMatrix plain = plainlyRefined(heights);
    const std::vector<float> map{0.0f, 5.0f, 0.0f, 7.0f, 0.0f, 9.0f};
    VeskGrid grid = makeGrid(heights);
    const FloatMatrix sentinel{{3, 4}};
    grid.details.push_back(sentinel);
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(subdivideFractalByBlocks(grid, map, 3, 2, 4));
    ASSERT_EQ(grid.width, 18);
    ASSERT_EQ(grid.height, 14);
    int noisy = 0;
    int quiet = 0;
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x) {
            const int block = (y / 2 / 4) * 3 + (x / 2) / 4;
            if (map[block] == 0.0f) {
                EXPECT_EQ(grid.heights[y][x], plain[y][x]) << "x " << x << ", y " << y;
                ++quiet;
            } else {
                noisy += grid.heights[y][x] != plain[y][x];
            }
        }
    EXPECT_GT(quiet, 0);
    EXPECT_GT(noisy, 100);
    EXPECT_EQ(grid.details.size(), 1u);
    EXPECT_EQ(grid.details[0], sentinel) << "the detail stack is left untouched";
    EXPECT_FLOAT_EQ(grid.cellSize, 15.0f) << "one refinement halves the cell size once";
}

TEST(BlockFractalSubdivision, NoiseScalesWithTheBlockDeviation)
{
    const FloatMatrix flat(34, std::vector<float>(34, 0.0f));
    VeskGrid grid = makeGrid(flat);
    // Blocks of 12: 3 x 3 blocks over the 34 x 34 coarse grid; the right column of blocks is loud.
    std::vector<float> map(9, 1.0f);
    for (int row = 0; row < 3; ++row)
        map[row * 3 + 2] = 10.0f;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(subdivideFractalByBlocks(grid, map, 3, 3, 12));
    double quietSquares = 0.0;
    double loudSquares = 0.0;
    long quietCount = 0;
    long loudCount = 0;
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x) {
            const double value = grid.heights[y][x];
            if (x / 2 / 12 == 2) {
                loudSquares += value * value;
                ++loudCount;
            } else {
                quietSquares += value * value;
                ++quietCount;
            }
        }
    const double amplitude = std::pow(2.0, -0.85) * 0.5;
    EXPECT_NEAR(std::sqrt(quietSquares / quietCount), 1.0 * amplitude, 0.1 * amplitude);
    EXPECT_NEAR(std::sqrt(loudSquares / loudCount), 10.0 * amplitude, 1.0 * amplitude);
}

TEST(BlockFractalSubdivision, ReproducibleFromTheSameGeneratorState)
{
    const VeskGrid start = makeGrid(roughHeights(12, 12, 44));
    VeskGrid first = start;
    VeskGrid second = start;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    restoreNormalDeviateState(77u);
    ASSERT_TRUE(subdivideFractalByBlocks(first, std::vector<float>(9, 2.0f), 3, 3, 4));
    restoreNormalDeviateState(77u);
    ASSERT_TRUE(subdivideFractalByBlocks(second, std::vector<float>(9, 2.0f), 3, 3, 4));
    EXPECT_EQ(first.heights, second.heights);
}

TEST(BlockFractalSubdivision, MapsThatDoNotCoverEveryBlockAreRefused)
{
    const VeskGrid start = makeGrid(roughHeights(10, 8, 45));
    struct Case {
        std::vector<float> map;
        int across;
        int size;
    };
    const Case cases[] = {
        {std::vector<float>(5, 1.0f), 3, 4}, // needs 6
        {std::vector<float>(6, 1.0f), 3, 0}, // no block size
        {std::vector<float>(6, 1.0f), 0, 4}, // no blocks across
        {{}, 1, 100},                        // empty map
    };
    for (const Case& c : cases) {
        VeskGrid grid = start;
        const GridSnapshot before = snapshotOf(grid);
        diagnostics::CollectingSink messages;
        diagnostics::ScopedSink collecting(messages);
        EXPECT_FALSE(subdivideFractalByBlocks(grid, c.map, c.across, 2, c.size));
        EXPECT_THAT(messages.take(), HasSubstr("Error"));
        EXPECT_TRUE(snapshotOf(grid) == before);
        EXPECT_FALSE(grid.lastError.isEmpty());
    }
}
