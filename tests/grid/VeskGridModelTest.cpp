#include "GridFilesTestSupport.h"

#include "diagnostics/CollectingSink.h"

#include <gtest/gtest.h>

#include <string>

// Size changes, statistics and refresh of the terrain model.

namespace {

float rampHeight(int row, int col)
{
    return static_cast<float>(10 * row + col);
}

void expectUpNormal(const Vector3& normal)
{
    EXPECT_EQ(normal.x, 0.0);
    EXPECT_EQ(normal.y, 0.0);
    EXPECT_EQ(normal.z, 1.0);
}

} // namespace

TEST(VeskGridModelTest, NewGridIsEmptyWithSentinels)
{
    VeskGrid grid;
    EXPECT_FALSE(grid.hasData);
    EXPECT_EQ(grid.width, 0);
    EXPECT_EQ(grid.height, 0);
    EXPECT_EQ(grid.cellSize, -1.0f);
    EXPECT_EQ(grid.maxHeight, -1e10f);
    EXPECT_EQ(grid.minHeight, 1e10f);
    EXPECT_EQ(grid.name, QStringLiteral("null"));
    EXPECT_EQ(grid.fractalDeviation, -1.0f);
}

TEST(VeskGridModelTest, MovingHandsOverTheBlocksAndLeavesAnEmptyGrid)
{
    VeskGrid grid = makeGrid(5, 4, rampHeight, 30.0f);
    grid.details.push_back(grid.heights);
    grid.ensureNormals();
    grid.name = QStringLiteral("ramp");
    const float* heightsBlock = grid.heights[0].data();
    const VeskGrid copy = grid;

    VeskGrid moved = std::move(grid);
    EXPECT_EQ(moved.heights[0].data(), heightsBlock);
    EXPECT_TRUE(moved.heights == copy.heights && moved.details.size() == 1 && moved.details[0] == copy.heights);
    EXPECT_TRUE(moved.hasData && moved.normalsValid && moved.width == 5 && moved.height == 4);
    EXPECT_EQ(moved.cellSize, 30.0f);
    EXPECT_EQ(moved.name, QStringLiteral("ramp"));
    EXPECT_FALSE(grid.hasData);
    EXPECT_EQ(grid.width, 0);
    EXPECT_TRUE(grid.heights.empty() && grid.details.empty() && grid.normals.empty());
    EXPECT_FALSE(grid.normalsValid);
    EXPECT_EQ(grid.name, QStringLiteral("null"));

    grid = std::move(moved);
    EXPECT_TRUE(grid.heights == copy.heights && grid.hasData);
    EXPECT_FALSE(moved.hasData);
}

TEST(VeskGridModelTest, GrowingRepeatsLastColumnThenLastRowAndDropsDetails)
{
    VeskGrid grid = makeGrid(4, 4, rampHeight);
    grid.ensureNormals();
    grid.details.push_back(FloatMatrix(2, std::vector<float>(2, 1.0f)));
    const FloatMatrix before = grid.heights;

    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.adjustSize(6, 5);
    const std::string output = messages.take();

    EXPECT_NE(output.find("adjusting width from 4 to 6\n"), std::string::npos);
    EXPECT_NE(output.find("adjusting height from 4 to 5\n"), std::string::npos);
    ASSERT_EQ(grid.width, 6);
    ASSERT_EQ(grid.height, 5);
    ASSERT_EQ(grid.heights.size(), 5u);
    ASSERT_EQ(grid.normals.size(), 5u);
    for (int row = 0; row < 5; ++row) {
        ASSERT_EQ(grid.heights[row].size(), 6u);
        ASSERT_EQ(grid.normals[row].size(), 6u);
        const int sourceRow = row < 4 ? row : 3;
        for (int col = 0; col < 6; ++col) {
            const int sourceCol = col < 4 ? col : 3;
            EXPECT_EQ(grid.heights[row][col], before[sourceRow][sourceCol]) << row << "," << col;
            if (row >= 4 || col >= 4)
                expectUpNormal(grid.normals[row][col]);
        }
    }
    EXPECT_TRUE(grid.details.empty());
    EXPECT_EQ(grid.maxHeight, 33.0f);
    EXPECT_EQ(grid.minHeight, 0.0f);
}

TEST(VeskGridModelTest, ShrinkingKeepsDetailsAndReportsOnlyTheChangedSide)
{
    VeskGrid grid = makeGrid(6, 6, rampHeight);
    grid.ensureNormals();
    grid.details.push_back(FloatMatrix(2, std::vector<float>(2, 1.0f)));

    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.adjustSize(6, 4);
    const std::string output = messages.take();

    EXPECT_EQ(output.find("adjusting width"), std::string::npos);
    EXPECT_NE(output.find("adjusting height from 6 to 4\n"), std::string::npos);
    EXPECT_EQ(grid.height, 4);
    EXPECT_EQ(grid.heights.size(), 4u);
    EXPECT_EQ(grid.normals.size(), 4u);
    EXPECT_EQ(grid.details.size(), 1u);
    EXPECT_EQ(grid.heights[3][5], rampHeight(3, 5));
    EXPECT_EQ(grid.maxHeight, rampHeight(3, 5));
}

TEST(VeskGridModelTest, AdjustingAGridWhoseNormalsWereNeverMadeLeavesThemToFirstUse)
{
    VeskGrid grid = makeGrid(4, 4, rampHeight);
    ASSERT_TRUE(grid.normals.empty());
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    grid.adjustSize(6, 5);
    EXPECT_FALSE(grid.normalsValid);
    EXPECT_TRUE(grid.normals.empty());

    // First use gives the normals of the adjusted heights, as if it had been made so.
    grid.ensureNormals();
    VeskGrid same = makeGrid(6, 5, [&](int row, int col) { return grid.heights[row][col]; });
    same.calculateNormals();
    ASSERT_TRUE(grid.normalsValid);
    ASSERT_EQ(grid.normals.size(), 5u);
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 6; ++col) {
            EXPECT_EQ(grid.normals[row][col].x, same.normals[row][col].x);
            EXPECT_EQ(grid.normals[row][col].y, same.normals[row][col].y);
            EXPECT_EQ(grid.normals[row][col].z, same.normals[row][col].z);
        }
}

TEST(VeskGridModelTest, ResizeAllocatesHeightsOnly)
{
    VeskGrid grid;
    grid.resize(5, 3);
    EXPECT_EQ(grid.heights.size(), 3u);
    EXPECT_EQ(grid.heights[2].size(), 5u);
    EXPECT_TRUE(grid.normals.empty());
    EXPECT_FALSE(grid.normalsValid);
}

TEST(VeskGridModelTest, AdjustSizeZeroDoesNothingAndTinySizesBecomeTwo)
{
    VeskGrid grid = makeGrid(4, 4, rampHeight);
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.adjustSize(0, 0);
    EXPECT_EQ(messages.take(), "");
    EXPECT_EQ(grid.width, 4);
    EXPECT_EQ(grid.height, 4);

    VeskGrid one = makeGrid(4, 4, rampHeight);
    VeskGrid two = makeGrid(4, 4, rampHeight);
    one.adjustSize(1, 7);
    two.adjustSize(2, 7);
    EXPECT_EQ(one.width, 2);
    EXPECT_EQ(one.height, 7);
    EXPECT_EQ(one.heights, two.heights);
}

TEST(VeskGridModelTest, EmptyGridGivenASizeBecomesFlatTerrainOfThatSize)
{
    VeskGrid grid;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    grid.adjustSize(5, 5);
    EXPECT_TRUE(grid.hasData);
    ASSERT_EQ(grid.width, 5);
    ASSERT_EQ(grid.height, 5);
    ASSERT_EQ(grid.heights.size(), 5u);
    for (const auto& row : grid.heights) {
        ASSERT_EQ(row.size(), 5u);
        for (const float value : row)
            EXPECT_EQ(value, 0.0f);
    }
}

TEST(VeskGridModelTest, ResizeWithDataIsRefused)
{
    VeskGrid grid = makeGrid(3, 3, rampHeight);
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.resize(7, 7);
    EXPECT_EQ(messages.take(),
              "VeskGrid::You are a bad person for trying to resize when data is present\n");
    EXPECT_EQ(grid.width, 3);
    EXPECT_EQ(grid.heights.size(), 3u);
}

TEST(VeskGridModelTest, ClearDataKeepsStatisticsCellSizeNameAndDetails)
{
    VeskGrid grid = makeGrid(3, 4, rampHeight, 30.0f);
    grid.name = QStringLiteral("terraingrd");
    grid.details.push_back(FloatMatrix(1, std::vector<float>(1, 2.0f)));
    const float maxHeight = grid.maxHeight;
    const float minHeight = grid.minHeight;
    const float averageHeight = grid.averageHeight;

    grid.clearData();

    EXPECT_FALSE(grid.hasData);
    EXPECT_FALSE(grid.normalsValid);
    EXPECT_FALSE(grid.surfaceValid);
    EXPECT_EQ(grid.width, 0);
    EXPECT_EQ(grid.height, 0);
    EXPECT_TRUE(grid.heights.empty());
    EXPECT_TRUE(grid.normals.empty());
    EXPECT_EQ(grid.maxHeight, maxHeight);
    EXPECT_EQ(grid.minHeight, minHeight);
    EXPECT_EQ(grid.averageHeight, averageHeight);
    EXPECT_EQ(grid.cellSize, 30.0f);
    EXPECT_EQ(grid.name, QStringLiteral("terraingrd"));
    EXPECT_EQ(grid.details.size(), 1u);
}

TEST(VeskGridModelTest, StatisticsCountEveryValue)
{
    VeskGrid grid = makeGrid(2, 2, [](int row, int col) { return row == 0 && col == 0 ? -9999.0f : 4.0f; });
    EXPECT_EQ(grid.minHeight, -9999.0f);
    EXPECT_EQ(grid.maxHeight, 4.0f);
    EXPECT_FLOAT_EQ(grid.averageHeight, (-9999.0f + 12.0f) / 4.0f);

    VeskGrid empty;
    EXPECT_EQ(empty.computeStatistics(), 0);
    EXPECT_EQ(empty.maxHeight, -1e6f);
    EXPECT_EQ(empty.minHeight, 1e6f);
}

TEST(VeskGridModelTest, RefreshRecomputesStatisticsAndMarksNormalsAndSurfaceStale)
{
    VeskGrid grid = makeGrid(4, 3, [](int, int) { return 5.0f; }, 3.0f);
    grid.ensureNormals();
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    grid.calculateCurvature();
    ASSERT_TRUE(grid.surfaceValid);

    // Edited in place, as quilting does: a plane rising one unit per column.
    for (auto& row : grid.heights)
        for (std::size_t col = 0; col < row.size(); ++col)
            row[col] = static_cast<float>(col);
    grid.refresh();

    EXPECT_TRUE(grid.hasData);
    EXPECT_FALSE(grid.normalsValid);
    EXPECT_FALSE(grid.surfaceValid);
    EXPECT_TRUE(grid.curvature.empty());
    EXPECT_EQ(grid.maxHeight, 3.0f);
    EXPECT_EQ(grid.minHeight, 0.0f);
    grid.ensureNormals();
    EXPECT_TRUE(grid.normalsValid);
    EXPECT_NEAR(grid.normals[1][1].y, -1.0 / std::sqrt(2.0), 1e-12);
}
