#include "diagnostics/CollectingSink.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/HydraulicErosion.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <vector>
#include <cmath>

namespace {

// A slope falling to the west with bumps and hollows of up to 3 m on it, and a
// bowl 40 m deep in the middle.
VeskGrid bumpySlopeWithABowl()
{
    return makeTerrain(90, 70, [](int x, int y) {
        const double bowl = std::hypot(x - 45.0, y - 35.0) < 6.0 ? 40.0 : 0.0;
        return float(2.0 * x + 3.0 * hashedNoise(x, y) - bowl);
    });
}

// Samples lower than all eight neighbours, outside the bowl (whose floor keeps its bumps under the lake).
int pitsOf(const VeskGrid& grid)
{
    int pits = 0;
    for (int y = 1; y + 1 < grid.height; ++y)
        for (int x = 1; x + 1 < grid.width; ++x) {
            if (std::hypot(x - 45.0, y - 35.0) < 7.0)
                continue;
            bool lowest = true;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx != 0 || dy != 0) && grid.heights[y + dy][x + dx] <= grid.heights[y][x])
                        lowest = false;
            pits += lowest ? 1 : 0;
        }
    return pits;
}

bool erode(VeskGrid& grid, const ErosionSettings& settings)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    QString error;
    return erodeTerrain(grid, settings, error);
}

} // namespace

TEST(HydraulicErosion, ShallowOrSmallHollowsFillWhileLakesStayAndRiversOnlyCutDown)
{
    const VeskGrid before = bumpySlopeWithABowl();
    ASSERT_GT(pitsOf(before), 10);
    const auto lowestOfBowl = [](const VeskGrid& grid) {
        float lowest = grid.heights[35][45];
        for (int y = 29; y <= 41; ++y)
            for (int x = 39; x <= 51; ++x)
                lowest = std::min(lowest, grid.heights[y][x]);
        return lowest;
    };
    ErosionSettings settings;
    // The bumps' hollows (under 3 m) fill, the 40 m bowl stays a lake with its bottom where it was.
    settings.lakeDepth = 10.0;
    VeskGrid eroded = before;
    ASSERT_TRUE(erode(eroded, settings));
    EXPECT_EQ(pitsOf(eroded), 0);
    EXPECT_EQ(lowestOfBowl(eroded), lowestOfBowl(before));
    // Standing water does not cut: the lake's bed, rising to the east with the slope, stays whole.
    for (int y = 31; y <= 39; ++y)
        for (int x = 41; x <= 49; ++x) {
            if (std::hypot(x - 45.0, y - 35.0) < 4.0) {
                EXPECT_EQ(eroded.heights[y][x], before.heights[y][x]) << x << ", " << y;
            }
        }
    // Deep enough to fill, but wider than lakeArea: it stays too.
    settings.lakeDepth = 100.0;
    settings.lakeArea = 50;
    VeskGrid wide = before;
    ASSERT_TRUE(erode(wide, settings));
    EXPECT_EQ(lowestOfBowl(wide), lowestOfBowl(before));
    settings.lakeArea = 0;
    VeskGrid filled = before;
    ASSERT_TRUE(erode(filled, settings));
    EXPECT_GT(lowestOfBowl(filled), lowestOfBowl(before) + 30.0f);

    // With nothing to fill, water only cuts: no sample rises, and the rivers lower some.
    VeskGrid cut = before;
    settings.lakeDepth = 0.0;
    ASSERT_TRUE(erode(cut, settings));
    int lowered = 0;
    for (int y = 0; y < before.height; ++y)
        for (int x = 0; x < before.width; ++x) {
            EXPECT_LE(cut.heights[y][x], before.heights[y][x]);
            lowered += cut.heights[y][x] < before.heights[y][x] ? 1 : 0;
        }
    EXPECT_GT(lowered, before.width * before.height / 10);
    // The border is where water leaves: it stays.
    for (int x = 0; x < before.width; ++x)
        EXPECT_EQ(cut.heights[0][x], before.heights[0][x]);
}

// Sediment settles where water stands and on level ground, not on a slope gentler
// than the lake drop: such a slope has nothing to fill and keeps every sample.
TEST(HydraulicErosion, SettlingLeavesAGentleSlopeAlone)
{
    const VeskGrid before = makeTerrain(40, 30, [](int x, int y) { return float(0.004 * x + 0.001 * y); });
    VeskGrid settled = before;
    ErosionSettings settings;
    settings.iterations = 1;
    settings.strength = 0.0;
    settings.lakeDrop = 0.01;
    ASSERT_TRUE(erode(settled, settings));
    EXPECT_TRUE(sameBits(settled.heights, before.heights));
}

TEST(HydraulicErosion, TheSameOnAnyNumberOfThreads)
{
    VeskGrid one = bumpySlopeWithABowl();
    VeskGrid two = one;
    ErosionSettings settings;
    settings.creep = 0.2;
    settings.threads = 1;
    ASSERT_TRUE(erode(one, settings));
    settings.threads = 2;
    ASSERT_TRUE(erode(two, settings));
    EXPECT_TRUE(sameBits(one.heights, two.heights));

    settings.tileSide = 16;
    settings.tileMargin = 4;
    VeskGrid tiledOnOne = bumpySlopeWithABowl();
    VeskGrid tiledOnTwo = tiledOnOne;
    settings.threads = 1;
    ASSERT_TRUE(erode(tiledOnOne, settings));
    settings.threads = 2;
    ASSERT_TRUE(erode(tiledOnTwo, settings));
    EXPECT_TRUE(sameBits(tiledOnOne.heights, tiledOnTwo.heights));
}

// In tiles, a sample's result depends on its tile and the tile's margin alone; with
// one tile as large as the terrain, erosion is the whole terrain's.
TEST(HydraulicErosion, TilesSeeNoFartherThanTheirMargin)
{
    const VeskGrid before = bumpySlopeWithABowl();
    // East of x = 40 the bumps change: upstream of the west, whose rivers they feed.
    const VeskGrid changedEast = makeTerrain(90, 70, [&](int x, int y) {
        return before.heights[y][x] + (x >= 40 ? float(2.0 * hashedNoise(x + 7, y)) : 0.0f);
    });
    // 90 x 70 in tiles of at most 30: the first covers x 0 to 29 and y 0 to 22, its
    // margin of 4 reaches x 33.
    const auto firstTileSame = [](const VeskGrid& a, const VeskGrid& b) {
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 30; ++x)
                if (std::bit_cast<std::uint32_t>(a.heights[y][x]) != std::bit_cast<std::uint32_t>(b.heights[y][x]))
                    return false;
        return true;
    };
    // Both terrains eroded with the settings; false if either erosion fails.
    const auto erodedPair = [&](const ErosionSettings& settings, VeskGrid& plain, VeskGrid& changed) {
        plain = before;
        changed = changedEast;
        return erode(plain, settings) && erode(changed, settings);
    };
    ErosionSettings settings;
    settings.lakeArea = 20;
    VeskGrid whole;
    VeskGrid wholeChanged;
    ASSERT_TRUE(erodedPair(settings, whole, wholeChanged));
    ASSERT_FALSE(firstTileSame(whole, wholeChanged));

    settings.tileSide = 30;
    settings.tileMargin = 4;
    VeskGrid tiled;
    VeskGrid tiledChanged;
    ASSERT_TRUE(erodedPair(settings, tiled, tiledChanged));
    EXPECT_TRUE(firstTileSame(tiled, tiledChanged));
    EXPECT_FALSE(sameBits(tiled.heights, whole.heights));

    settings.tileSide = 90;
    VeskGrid oneTile = before;
    ASSERT_TRUE(erode(oneTile, settings));
    EXPECT_TRUE(sameBits(oneTile.heights, whole.heights));
}

// A step in tiles reports each tile and stops between tiles at a cancel, leaving the terrain.
TEST(HydraulicErosion, ACancelStopsAStepInTilesBetweenTiles)
{
    const VeskGrid before = bumpySlopeWithABowl();
    VeskGrid grid = before;
    std::atomic<bool> cancel{false};
    std::vector<std::int64_t> reports;
    ErosionSettings settings;
    settings.iterations = 1;
    settings.tileSide = 16;
    settings.threads = 1;
    settings.progress = diagnostics::Progress(
        [&](std::int64_t done, std::int64_t total) {
            reports.push_back(done);
            EXPECT_EQ(total, 30); // 90 x 70 in tiles of at most 16: 6 x 5
            if (done == 3)
                cancel = true;
        },
        &cancel);
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    QString error;
    EXPECT_FALSE(erodeTerrain(grid, settings, error));
    EXPECT_EQ(error, BlockMapper::cancelledText());
    EXPECT_EQ(reports, (std::vector<std::int64_t>{0, 1, 2, 3}));
    EXPECT_TRUE(sameBits(grid.heights, before.heights));
}

TEST(HydraulicErosion, RefusesBadSettingsAndEmptyTerrainsLeavingThemAsTheyWere)
{
    const VeskGrid before = bumpySlopeWithABowl();
    VeskGrid grid = before;
    ErosionSettings settings;
    settings.creep = 1.5;
    EXPECT_FALSE(erode(grid, settings));
    settings = {};
    settings.strength = -1.0;
    EXPECT_FALSE(erode(grid, settings));
    settings = {};
    settings.tileSide = 8;
    EXPECT_FALSE(erode(grid, settings));
    EXPECT_TRUE(sameBits(grid.heights, before.heights));
    VeskGrid empty;
    EXPECT_FALSE(erode(empty, ErosionSettings{}));
    EXPECT_FALSE(empty.hasData);
}
