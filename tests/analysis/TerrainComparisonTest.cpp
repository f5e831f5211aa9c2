// compare's figures on terrains whose answers are known.

#include "AnalysisTestGrids.h"

#include "analysis/D8Drainage.h"
#include "analysis/TerrainComparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

VeskGrid sampleDem()
{
    VeskGrid grid;
    EXPECT_TRUE(grid.loadGRDFile(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.grd")));
    return grid;
}

} // namespace

TEST(TerrainComparison, IdenticalTerrainsGiveZeroDistancesAndRatiosOfOne)
{
    const VeskGrid dem = sampleDem();
    TerrainComparison comparison;
    QString error;
    ASSERT_TRUE(compareTerrains(dem, dem, BlockBorders{20, 7}, comparison, error)) << error.toStdString();
    EXPECT_EQ(comparison.spectrumError, 0.0);
    EXPECT_EQ(comparison.spectrumErrorOctaves, kSpectrumErrorOctaves);
    EXPECT_EQ(comparison.slopeDistance, 0.0);
    EXPECT_EQ(comparison.curvatureDistance, 0.0);
    EXPECT_EQ(comparison.roughnessRatio, 1.0);
    EXPECT_EQ(comparison.pitRatio, 1.0);
    EXPECT_EQ(comparison.channelRatio, 1.0);
    EXPECT_EQ(comparison.flatExcess, 0.0);
    // A real terrain has some of each, so the ratios above divided real numbers.
    EXPECT_GT(comparison.reference.pitShare, 0.0);
    EXPECT_GT(comparison.reference.channelShare, 0.0);
    EXPECT_LT(comparison.reference.exceedanceSlope, 0.0);
    EXPECT_NEAR(*comparison.terrain.seamRatio, 1.0, 0.1); // no blocks in a real DEM
}

TEST(TerrainComparison, TiltedPlaneHasOneSlopeAndNoPitsOrFlats)
{
    // Whole-number heights, so every central difference is exact.
    const VeskGrid plane = gridOf(40, 30, 10.0f, [](int row, int column) { return 2.0 * column + 3.0 * row; });
    TerrainComparison comparison;
    QString error;
    ASSERT_TRUE(compareTerrains(plane, plane, std::nullopt, comparison, error)) << error.toStdString();
    const double expectedDegrees = std::atan(std::hypot(0.2, 0.3)) * 180.0 / std::numbers::pi;
    for (const double quantile : comparison.terrain.slopeQuantiles)
        EXPECT_DOUBLE_EQ(quantile, expectedDegrees);
    for (const double quantile : comparison.terrain.curvatureQuantiles)
        EXPECT_EQ(quantile, 0.0);
    EXPECT_EQ(comparison.terrain.pitShare, 0.0);
    EXPECT_EQ(comparison.terrain.flatShare, 0.0);
    EXPECT_FALSE(comparison.terrain.seamRatio.has_value());
}

TEST(TerrainComparison, BowlDrainsEverythingToOnePit)
{
    const int side = 41;
    const VeskGrid bowl = gridOf(side, side, 30.0f, [](int row, int column) {
        return (row - 20.0) * (row - 20.0) + (column - 20.0) * (column - 20.0);
    });
    const HeightField field = heightFieldOf(bowl);
    const DrainageNetwork network = d8Drainage(field);
    const long long inner = (side - 2LL) * (side - 2LL);
    EXPECT_EQ(network.drainageAreas[field.indexOf(20, 20)], inner);
    // The pit passes it all on to where the bowl spills over its rim.
    const std::int32_t spill = network.receivers[field.indexOf(20, 20)];
    ASSERT_GE(spill, 0);
    EXPECT_EQ(network.drainageAreas[spill], inner + 1);
    EXPECT_EQ(network.receivers[spill], -1);

    TerrainComparison comparison;
    QString error;
    ASSERT_TRUE(compareTerrains(bowl, bowl, std::nullopt, comparison, error)) << error.toStdString();
    EXPECT_DOUBLE_EQ(comparison.terrain.pitShare, 1.0 / inner);
}

TEST(TerrainComparison, RefusesWhatCannotBeComparedAndSaysWhy)
{
    const VeskGrid good = gridOf(32, 32, 10.0f, [](int row, int column) { return row * column; });
    VeskGrid empty;
    VeskGrid small = gridOf(15, 40, 10.0f, [](int, int) { return 1.0; });
    VeskGrid notANumber = good;
    notANumber.heights[3][4] = std::nanf("");
    VeskGrid noCellSize = good;
    noCellSize.cellSize = 0.0f;
    VeskGrid farCoarser = gridOf(32, 32, 1000.0f, [](int row, int column) { return row + column; });

    struct Case {
        const VeskGrid& reference;
        const VeskGrid& terrain;
        std::optional<BlockBorders> blockBorders;
        const char* phrase;
    };
    const Case cases[] = {
        {empty, good, std::nullopt, "has no heights"},
        {good, small, std::nullopt, "too small to compare"},
        {good, notANumber, std::nullopt, "not a number at column 4, row 3"},
        {noCellSize, good, std::nullopt, "no usable cell size"},
        {good, good, BlockBorders{2, 0}, "block step of 2"},
        {good, good, BlockBorders{31, 0}, "block step of 31"},
        {good, good, BlockBorders{8, 8}, "offset (8)"},
        {good, farCoarser, std::nullopt, "share no octave"},
    };
    for (const Case& refused : cases) {
        TerrainComparison comparison;
        comparison.spectrumError = 42.0;
        QString error;
        EXPECT_FALSE(compareTerrains(refused.reference, refused.terrain, refused.blockBorders, comparison, error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(refused.phrase))) << error.toStdString();
        EXPECT_EQ(comparison.spectrumError, 42.0); // untouched
    }
}
