// Multiresolution on grids and details that come from files: the real DEM through the
// ASCII loader, and details levels written, read back and spliced to a larger grid.
#include "diagnostics/CollectingSink.h"
#include "multires/Chaikin.h"
#include "multires/Faber.h"

#include "MultiresTestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace multirestest;

namespace {

void quietly(bool (*operation)(VeskGrid&), VeskGrid& grid, int times = 1)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    for (int i = 0; i < times; ++i)
        ASSERT_TRUE(operation(grid)) << i;
}

} // namespace

TEST(MultiresWithFiles, LoadedDemRoundTripsThroughThreeChaikinAndFaberLevels)
{
    VeskGrid loaded;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(loaded.loadGRDFile(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.grd")));
    ASSERT_EQ(loaded.width, 403);
    ASSERT_EQ(loaded.height, 344);

    VeskGrid chaikin = loaded;
    chaikin.adjustSize(402, 338);
    const FloatMatrix chaikinStart = chaikin.heights;
    quietly(reverseChaikin, chaikin, 3);
    quietly(subdivideChaikin, chaikin, 3);
    EXPECT_LE(largestDifference(chaikin.heights, chaikinStart), 1e-3);
    EXPECT_TRUE(chaikin.details.empty());

    VeskGrid faber = loaded;
    faber.adjustSize(401, 337);
    const FloatMatrix faberStart = faber.heights;
    quietly(reverseFaber, faber, 3);
    quietly(subdivideFaber, faber, 3);
    EXPECT_LE(largestDifference(faber.heights, faberStart), 1e-3);
}

TEST(MultiresWithFiles, DetailsReadBackRefineToTheOriginalWithinTheFilePrecision)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("level.dtl"));

    const FloatMatrix original = roughHeights(40, 36, 51);
    VeskGrid grid = makeGrid(original);
    quietly(reverseChaikin, grid);
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(grid.writeDetail(grid.details[1], grid.details[0], path, grid.cellSize * 0.5f, QStringLiteral("none")));
    grid.details.clear();
    ASSERT_TRUE(grid.loadDetail(path));
    ASSERT_EQ(grid.details.size(), 2u);
    quietly(subdivideChaikin, grid);
    // Five written decimals (at most 5e-6 per value, weights summing to under 2) plus float
    // rounding of heights near 600 (6e-5 per unit in the last place).
    EXPECT_LE(largestDifference(grid.heights, original), 3e-4);
}

TEST(MultiresWithFiles, DetailsSplicedToALargerGridRefineIt)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("small.dtl"));

    VeskGrid small = makeGrid(roughHeights(22, 22, 52)); // coarsens to 12 x 12
    quietly(reverseChaikin, small);
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(small.writeDetail(small.details[1], small.details[0], path, small.cellSize * 0.5f,
                                  QStringLiteral("none")));

    VeskGrid large = makeGrid(roughHeights(20, 20, 53));
    ASSERT_TRUE(large.loadDetail(path));
    ASSERT_EQ(large.details.size(), 2u);
    EXPECT_EQ(large.details[1].front().size(), 18u);
    EXPECT_EQ(large.details[0].front().size(), 38u);
    quietly(subdivideChaikin, large);
    EXPECT_EQ(large.width, 38);
    EXPECT_EQ(large.height, 38);
    EXPECT_TRUE(large.details.empty());
}
