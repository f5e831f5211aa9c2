#include "synthesis/WaterRouting.h"

#include "PlainWaterRouting.h"
#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

void expectSameDrainage(const Drainage& actual, const Drainage& expected)
{
    EXPECT_EQ(actual.order, expected.order);
    ASSERT_EQ(actual.cells.size(), expected.cells.size());
    for (std::size_t index = 0; index < actual.cells.size(); ++index) {
        ASSERT_EQ(actual.cells[index].receiver, expected.cells[index].receiver) << "sample " << index;
        ASSERT_EQ(std::memcmp(&actual.cells[index].waterLevel, &expected.cells[index].waterLevel, sizeof(float)), 0)
            << "sample " << index;
    }
}

} // namespace

// Heights of whole metres, so that ties are everywhere: flats, hollows filled to one
// level, both zeros side by side; and a bowl, so that the flood climbs out of a lake.
TEST(WaterRouting, TheSameOrderReceiversAndLevelsAsThePlainFloodOnATerrainFullOfTies)
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
    const Drainage plain = routeWaterPlainly(terrain);
    expectSameDrainage(drainage, plain);
    // Routed again into the same storage: the same.
    routeWater(terrain, drainage);
    expectSameDrainage(drainage, plain);

    // Smooth heights, nearly all different, over a wider range of levels.
    for (int y = 0; y < terrain.height; ++y)
        for (int x = 0; x < terrain.width; ++x)
            terrain.at(x, y) = float(300.0 * std::sin(x * 0.21) * std::cos(y * 0.17) + 9.0 * hashedNoise(x, y, 1));
    routeWater(terrain, drainage);
    expectSameDrainage(drainage, routeWaterPlainly(terrain));
}
