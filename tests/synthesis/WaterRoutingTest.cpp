#include "synthesis/WaterRouting.h"

#include "PlainWaterRouting.h"
#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// The water levels are the plain flood's bit for bit; every inner sample drains to a
// neighbour, lower or on the same flat, border samples drain off; the groups hold
// every sample once, each after the one it drains to in the same group (so there
// are no loops, and water never leaves a group), whose step receiverSteps names.
void expectSoundDrainage(const SampleRaster& terrain, const Drainage& drainage)
{
    const Drainage plain = routeWaterPlainly(terrain);
    const int width = terrain.width;
    const int height = terrain.height;
    ASSERT_EQ(drainage.cells.size(), plain.cells.size());
    // Each sample's group and place in it.
    std::vector<std::pair<int, int>> place(drainage.cells.size(), {-1, -1});
    ASSERT_EQ(drainage.receiverSteps.size(), drainage.groups.size());
    for (std::size_t group = 0; group < drainage.groups.size(); ++group)
        for (std::size_t step = 0; step < drainage.groups[group].size(); ++step) {
            const int index = drainage.groups[group][step];
            ASSERT_EQ(place[std::size_t(index)].first, -1) << "sample listed twice";
            place[std::size_t(index)] = {int(group), int(step)};
        }
    for (int index = 0; index < width * height; ++index) {
        const DrainageCell& cell = drainage.cells[std::size_t(index)];
        ASSERT_EQ(cell.waterLevel, plain.cells[std::size_t(index)].waterLevel) << "sample " << index;
        ASSERT_NE(place[std::size_t(index)].first, -1) << "sample " << index << " missing";
        const int x = index % width;
        const int y = index / width;
        const auto [group, step] = place[std::size_t(index)];
        const int receiverStep = drainage.receiverSteps[std::size_t(group)].at(std::size_t(step));
        if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
            ASSERT_EQ(cell.receiver, Drainage::noReceiver) << "sample " << index;
            ASSERT_EQ(receiverStep, -1) << "sample " << index;
            continue;
        }
        ASSERT_EQ(drainage.groups[std::size_t(group)].at(std::size_t(receiverStep)), cell.receiver) << "sample " << index;
        ASSERT_GE(cell.receiver, 0) << "sample " << index;
        const int dx = cell.receiver % width - x;
        const int dy = cell.receiver / width - y;
        ASSERT_TRUE(std::abs(dx) <= 1 && std::abs(dy) <= 1 && (dx != 0 || dy != 0)) << "sample " << index;
        ASSERT_LE(drainage.cells[std::size_t(cell.receiver)].waterLevel, cell.waterLevel) << "sample " << index;
        ASSERT_EQ(place[std::size_t(cell.receiver)].first, place[std::size_t(index)].first) << "sample " << index;
        ASSERT_LT(place[std::size_t(cell.receiver)].second, place[std::size_t(index)].second) << "sample " << index;
    }
}

} // namespace

// Heights of whole metres, so that ties are everywhere: flats, hollows filled to one
// level, both zeros side by side; and a bowl, so that water climbs out of a lake.
TEST(WaterRouting, ThePlainFloodsLevelsAndASoundOrderOnATerrainFullOfTies)
{
    SampleRaster terrain(97, 61);
    for (int y = 0; y < terrain.height; ++y)
        for (int x = 0; x < terrain.width; ++x) {
            const float bowl = std::hypot(x - 40.0, y - 30.0) < 9.0 ? 6.0f : 0.0f;
            const float height = std::floor(5.0f * hashedNoise(x, y)) + 0.1f * float(x / 16) - bowl;
            terrain.at(x, y) = height == 0.0f && x % 2 == 0 ? -0.0f : height;
        }
    Drainage drainage;
    routeWater(terrain, drainage);
    expectSoundDrainage(terrain, drainage);
    // The bowl's floor is a lake: its water drains across it, one sample at a time.
    const int floor = 30 * terrain.width + 40;
    EXPECT_GT(drainage.cells[std::size_t(floor)].waterLevel, terrain.at(40, 30));
    // Routed again into the same storage: the same.
    const Drainage first = drainage;
    routeWater(terrain, drainage);
    EXPECT_EQ(drainage.groups, first.groups);

    // Smooth heights, nearly all different, over a wider range of levels.
    for (int y = 0; y < terrain.height; ++y)
        for (int x = 0; x < terrain.width; ++x)
            terrain.at(x, y) = float(300.0 * std::sin(x * 0.21) * std::cos(y * 0.17) + 9.0 * hashedNoise(x, y, 1));
    routeWater(terrain, drainage);
    expectSoundDrainage(terrain, drainage);

    // A terrain all one level: one flat, drained to the border.
    terrain.values.assign(terrain.values.size(), 2.0f);
    routeWater(terrain, drainage);
    expectSoundDrainage(terrain, drainage);
}

// Water takes the steepest way down, fall over distance: on a plane falling 3 m a cell
// to the west and 1 m to the north, west (3 m a cell) is steeper than north-west (4 m
// over 1.41 cells), though north-west is lower. The lowest neighbour would send every
// river along the diagonals.
TEST(WaterRouting, WaterTakesTheSteepestWayNotTheLowestNeighbour)
{
    SampleRaster terrain(30, 20);
    for (int y = 0; y < terrain.height; ++y)
        for (int x = 0; x < terrain.width; ++x)
            terrain.at(x, y) = float(3 * x + y);
    Drainage drainage;
    routeWater(terrain, drainage);
    expectSoundDrainage(terrain, drainage);
    for (int y = 1; y + 1 < terrain.height; ++y)
        for (int x = 1; x + 1 < terrain.width; ++x)
            ASSERT_EQ(drainage.cells[std::size_t(y * terrain.width + x)].receiver, y * terrain.width + x - 1)
                << x << ", " << y;
}
