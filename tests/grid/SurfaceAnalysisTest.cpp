#include "GridFilesTestSupport.h"

#include "diagnostics/CollectingSink.h"
#include "grid/SurfaceNormals.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

// Normals, curvature and slope, checked against geometry computed independently:
// triangle normals from cross products of their edges in (row, column, height) space.

namespace {

struct Point {
    double row;
    double col;
    double z;
};

Vector3 unitTriangleNormal(const Point& a, const Point& b, const Point& c)
{
    const double ux = b.row - a.row, uy = b.col - a.col, uz = b.z - a.z;
    const double vx = c.row - a.row, vy = c.col - a.col, vz = c.z - a.z;
    Vector3 n{uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
    if (n.z < 0.0)
        n = Vector3{-n.x, -n.y, -n.z};
    const double length = std::sqrt(n.squaredLength());
    return Vector3{n.x / length, n.y / length, n.z / length};
}

// The mean of the unit normals of every triangle (two per cell, split along the
// diagonal from (r+1, c) to (r, c+1)) that has the sample as a corner.
Vector3 referenceVertexNormal(const VeskGrid& grid, int row, int col)
{
    auto point = [&](int r, int c) { return Point{double(r), double(c), double(grid.heights[r][c])}; };
    Vector3 sum;
    int count = 0;
    for (int r = 0; r + 1 < grid.height; ++r) {
        for (int c = 0; c + 1 < grid.width; ++c) {
            const std::array<std::array<int, 2>, 3> first{{{r, c}, {r + 1, c}, {r, c + 1}}};
            const std::array<std::array<int, 2>, 3> second{{{r + 1, c + 1}, {r, c + 1}, {r + 1, c}}};
            for (const auto& triangle : {first, second}) {
                bool holds = false;
                for (const auto& corner : triangle)
                    holds = holds || (corner[0] == row && corner[1] == col);
                if (!holds)
                    continue;
                sum += unitTriangleNormal(point(triangle[0][0], triangle[0][1]), point(triangle[1][0], triangle[1][1]),
                                          point(triangle[2][0], triangle[2][1]));
                ++count;
            }
        }
    }
    return Vector3{sum.x / count, sum.y / count, sum.z / count};
}

void expectNear(const Vector3& actual, const Vector3& expected, double tolerance, const std::string& where)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << where;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << where;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << where;
}

std::string at(int row, int col)
{
    return "sample " + std::to_string(row) + "," + std::to_string(col);
}

// A grid as the drawing sees it: heights set, normals made on first use.
VeskGrid makeSurface(int width, int height, const std::function<float(int, int)>& heightAt, float cellSize = 90.0f)
{
    VeskGrid grid = makeGrid(width, height, heightAt, cellSize);
    grid.ensureNormals();
    return grid;
}

void computeCurvatureQuietly(VeskGrid& grid)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    grid.calculateCurvature();
}

} // namespace

TEST(SurfaceNormalsTest, FlatTerrainFacesUpEverywhereWithNoSlopeOrCurvature)
{
    VeskGrid grid = makeSurface(7, 5, [](int, int) { return 250.0f; }, 90.0f);
    ASSERT_TRUE(grid.normalsValid);
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 7; ++col)
            expectNear(grid.normals[row][col], Vector3{0.0, 0.0, 1.0}, 0.0, at(row, col));

    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.calculateCurvature();
    const std::string output = messages.take();
    EXPECT_NE(output.find("max is 0.00000\n"), std::string::npos);
    ASSERT_TRUE(grid.surfaceValid);
    ASSERT_EQ(grid.curvature.size(), 4u);
    for (int row = 0; row < 4; ++row) {
        ASSERT_EQ(grid.curvature[row].size(), 6u);
        for (int col = 0; col < 6; ++col) {
            EXPECT_EQ(grid.curvature[row][col], 0.0f); // not 0 / 0
            EXPECT_EQ(grid.slope[row][col], 0.0f);
        }
    }
}

TEST(SurfaceNormalsTest, PlaneRisingAlongColumnsHasOneNormalEverywhere)
{
    VeskGrid grid = makeSurface(6, 5, [](int, int col) { return 7.0f + static_cast<float>(col); }, 3.0f);
    const Vector3 expected{0.0, -1.0 / std::sqrt(2.0), 1.0 / std::sqrt(2.0)};
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 6; ++col)
            expectNear(grid.normals[row][col], expected, 1e-12, at(row, col));

    computeCurvatureQuietly(grid);
    const float expectedSlope = static_cast<float>(std::atan(0.5) * 2.0 / M_PI);
    for (const auto& row : grid.slope)
        for (const float value : row)
            EXPECT_NEAR(value, expectedSlope, 1e-6f);
}

TEST(SurfaceNormalsTest, PlaneRisingAlongRowsTiltsTheFirstComponent)
{
    VeskGrid grid = makeSurface(4, 6, [](int row, int) { return 2.0f * static_cast<float>(row); });
    const Vector3 expected{-2.0 / std::sqrt(5.0), 0.0, 1.0 / std::sqrt(5.0)};
    for (int row = 0; row < 6; ++row)
        for (int col = 0; col < 4; ++col)
            expectNear(grid.normals[row][col], expected, 1e-12, at(row, col));
}

TEST(SurfaceNormalsTest, EverySampleIsTheMeanOfItsTrianglesOnARoughSurface)
{
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> height(-20.0f, 20.0f);
    std::vector<float> values(9 * 6);
    for (float& value : values)
        value = height(generator);
    VeskGrid grid = makeSurface(9, 6, [&](int row, int col) { return values[row * 9 + col]; });

    for (int row = 0; row < 6; ++row)
        for (int col = 0; col < 9; ++col)
            expectNear(grid.normals[row][col], referenceVertexNormal(grid, row, col), 1e-12, at(row, col));
}

TEST(SurfaceNormalsTest, OneSampleFromTheHeightsIsBitForBitTheStoredNormal)
{
    std::mt19937 generator(11);
    std::uniform_real_distribution<float> height(-300.0f, 300.0f);
    for (const auto& [width, rows] : {std::pair{9, 6}, std::pair{2, 5}, std::pair{7, 2}, std::pair{2, 2}}) {
        std::vector<float> values(static_cast<std::size_t>(width) * rows);
        for (float& value : values)
            value = height(generator);
        const VeskGrid grid = makeSurface(width, rows, [&](int row, int col) { return values[row * width + col]; });
        for (int row = 0; row < rows; ++row)
            for (int col = 0; col < width; ++col) {
                const Vector3 single = sampleNormal(grid.heights, row, col);
                const Vector3& stored = grid.normals[row][col];
                EXPECT_TRUE(single.x == stored.x && single.y == stored.y && single.z == stored.z)
                    << width << " x " << rows << ", " << at(row, col);
            }
    }
}

TEST(SurfaceNormalsTest, CornersTakeASingleTriangleAndEdgesAreShorterMeans)
{
    // A bump in the middle of a 3 x 3 grid: every triangle tilts differently.
    VeskGrid grid = makeSurface(3, 3, [](int row, int col) { return row == 1 && col == 1 ? 4.0f : 0.0f; });

    // First corner: the first triangle of cell (0, 0), (0,0) (1,0) (0,1), which is flat.
    expectNear(grid.normals[0][0], Vector3{0.0, 0.0, 1.0}, 1e-12, "first corner");
    // Opposite corner: the second triangle of cell (1, 1), (2,2) (1,2) (2,1), also flat.
    expectNear(grid.normals[2][2], Vector3{0.0, 0.0, 1.0}, 1e-12, "last corner");
    // The other two corners each touch two triangles, one of them through the bump.
    expectNear(grid.normals[0][2], referenceVertexNormal(grid, 0, 2), 1e-12, "corner 0,2");
    expectNear(grid.normals[2][0], referenceVertexNormal(grid, 2, 0), 1e-12, "corner 2,0");

    // Edge samples average unit vectors that disagree, so they are shorter than 1.
    for (const auto& [row, col] : std::vector<std::pair<int, int>>{{0, 1}, {1, 0}, {1, 2}, {2, 1}}) {
        expectNear(grid.normals[row][col], referenceVertexNormal(grid, row, col), 1e-12, at(row, col));
        EXPECT_LT(grid.normals[row][col].squaredLength(), 1.0 - 1e-6) << at(row, col);
    }
}

TEST(SurfaceNormalsTest, NormalsAreNotRecomputedWhileValid)
{
    VeskGrid grid = makeSurface(3, 3, [](int, int) { return 0.0f; });
    grid.heights[1][1] = 50.0f;
    grid.calculateNormals();
    expectNear(grid.normals[1][1], Vector3{0.0, 0.0, 1.0}, 0.0, "still the flat normal");
    grid.normalsValid = false;
    grid.calculateNormals();
    EXPECT_NEAR(grid.normals[1][1].x, 0.0, 1e-12); // the bump is symmetric: it tilts neither way
    EXPECT_LT(grid.normals[0][1].x, 0.0);
}

TEST(SurfaceNormalsTest, GridsWithoutCellsFaceUpAndHaveNoCells)
{
    for (const auto& [width, height] : std::vector<std::pair<int, int>>{{1, 1}, {1, 5}, {6, 1}}) {
        VeskGrid grid = makeSurface(width, height, [](int row, int col) { return float(row * 3 + col * 5); });
        ASSERT_TRUE(grid.normalsValid);
        ASSERT_EQ(grid.normals.size(), static_cast<std::size_t>(height));
        for (const auto& row : grid.normals) {
            ASSERT_EQ(row.size(), static_cast<std::size_t>(width));
            for (const Vector3& normal : row)
                expectNear(normal, Vector3{0.0, 0.0, 1.0}, 0.0, "no cells");
        }
        computeCurvatureQuietly(grid);
        EXPECT_TRUE(grid.surfaceValid);
        EXPECT_TRUE(grid.curvature.empty());
        EXPECT_TRUE(grid.slope.empty());
    }

    VeskGrid empty;
    empty.calculateNormals();
    EXPECT_TRUE(empty.normals.empty());
    computeCurvatureQuietly(empty);
    EXPECT_TRUE(empty.curvature.empty());
}

// On the saddle z = row x column every cell has the same twist and a gradient that
// grows with its position, so curvature and slope have a closed form per cell.
TEST(SurfaceCurvatureTest, SaddleMatchesClosedFormScaledToUnitMaximum)
{
    const int width = 8;
    const int height = 6;
    const float cellSize = 3.0f;
    VeskGrid grid = makeSurface(width, height, [](int row, int col) { return float(row * col); }, cellSize);

    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.calculateCurvature();
    const std::string output = messages.take();
    EXPECT_EQ(output.rfind("starting to calculate curvature\n", 0), 0u);
    EXPECT_NE(output.find("finished curvature calculation\n"), std::string::npos);

    // Cell spacing d = 2 cellSize / 3; the cell's mean gradient and twist:
    // p = (2r + 1) / 2d, q = -(2c + 1) / 2d, e = -1 / d^2, curvature 2pqe / (2(1 + p^2 + q^2))^1.5.
    const double d = 2.0 * cellSize / 3.0;
    std::vector<std::vector<double>> expected(height - 1, std::vector<double>(width - 1));
    double largest = 0.0;
    for (int r = 0; r < height - 1; ++r) {
        for (int c = 0; c < width - 1; ++c) {
            const double p = (2.0 * r + 1.0) / (2.0 * d);
            const double q = -(2.0 * c + 1.0) / (2.0 * d);
            const double e = -1.0 / (d * d);
            expected[r][c] = 2.0 * p * q * e / std::pow(2.0 * (1.0 + p * p + q * q), 1.5);
            largest = std::max(largest, std::fabs(expected[r][c]));
            EXPECT_NEAR(grid.slope[r][c], std::atan(std::sqrt(p * p + q * q)) * 2.0 / M_PI, 1e-6) << r << "," << c;
        }
    }
    char maxLine[64];
    std::snprintf(maxLine, sizeof maxLine, "max is %1.5f\n", largest);
    EXPECT_NE(output.find(maxLine), std::string::npos) << output;

    float largestStored = 0.0f;
    for (int r = 0; r < height - 1; ++r) {
        for (int c = 0; c < width - 1; ++c) {
            EXPECT_NEAR(grid.curvature[r][c], expected[r][c] / largest, 1e-5) << r << "," << c;
            EXPECT_GT(grid.curvature[r][c], 0.0f);
            EXPECT_GE(grid.slope[r][c], 0.0f);
            EXPECT_LT(grid.slope[r][c], 1.0f);
            largestStored = std::max(largestStored, std::fabs(grid.curvature[r][c]));
        }
    }
    EXPECT_FLOAT_EQ(largestStored, 1.0f);
}

TEST(SurfaceCurvatureTest, MirroredTwistFlipsTheSign)
{
    VeskGrid saddle = makeGrid(5, 5, [](int row, int col) { return float(row * col); }, 30.0f);
    VeskGrid mirrored = makeGrid(5, 5, [](int row, int col) { return -float(row * col); }, 30.0f);
    computeCurvatureQuietly(saddle);
    computeCurvatureQuietly(mirrored);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(mirrored.curvature[r][c], -saddle.curvature[r][c]);
            EXPECT_FLOAT_EQ(mirrored.slope[r][c], saddle.slope[r][c]);
        }
    }
}

TEST(SurfaceOnFirstUseTest, EnsureNormalsMakesThemOnceAndAgainWhenTheyNoLongerFit)
{
    VeskGrid grid = makeGrid(5, 4, [](int row, int col) { return float(row * row + 3 * col); });
    ASSERT_FALSE(grid.normalsValid);
    grid.ensureNormals();
    ASSERT_TRUE(grid.normalsValid);
    VeskGrid reference = makeGrid(5, 4, [](int row, int col) { return float(row * row + 3 * col); });
    reference.calculateNormals();
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 5; ++col)
            expectNear(grid.normals[row][col], reference.normals[row][col], 0.0, at(row, col));

    // Valid and fitting: kept as they are (a marker survives).
    grid.normals[0][0].set(9.0, 9.0, 9.0);
    grid.ensureNormals();
    EXPECT_EQ(grid.normals[0][0].x, 9.0);

    // Marked valid but shaped for another terrain: made again rather than read past.
    grid.normals.pop_back();
    grid.ensureNormals();
    ASSERT_EQ(grid.normals.size(), 4u);
    expectNear(grid.normals[0][0], reference.normals[0][0], 0.0, "remade");
}

TEST(SurfaceOnFirstUseTest, EnsureSurfaceAnalysisComputesOnlyWhenStaleOrMisshapen)
{
    VeskGrid grid = makeGrid(6, 5, [](int row, int col) { return float(row * col); }, 30.0f);
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.ensureSurfaceAnalysis();
    EXPECT_NE(messages.take().find("starting to calculate curvature\n"), std::string::npos);
    ASSERT_TRUE(grid.surfaceValid);
    ASSERT_EQ(grid.curvature.size(), 4u);

    messages.clear();
    grid.ensureSurfaceAnalysis();
    EXPECT_EQ(messages.take(), "") << "valid: nothing recomputed";

    grid.slope.reshape(grid.slope.rows() - 1, grid.slope.columns());
    messages.clear();
    grid.ensureSurfaceAnalysis();
    EXPECT_NE(messages.take().find("starting to calculate curvature\n"), std::string::npos);
    EXPECT_EQ(grid.slope.size(), 4u);
}
