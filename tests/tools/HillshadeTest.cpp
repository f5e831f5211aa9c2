// The benchmark's hillshade: light from the north-west at 45 degrees.

#include "tools/hillshade/Hillshade.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

VeskGrid planeOf(const std::function<float(int, int)>& heightAt)
{
    VeskGrid grid;
    grid.width = grid.height = 8;
    grid.cellSize = 10.0f;
    grid.hasData = true;
    grid.heights.assign(8, std::vector<float>(8, 0.0f));
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 8; ++column)
            grid.heights[row][column] = heightAt(row, column);
    return grid;
}

} // namespace

TEST(Hillshade, LevelGroundIsSineOfTheSunsHeightAndSlopesFacingItAreBrighter)
{
    const QImage level = hillshadeOf(planeOf([](int, int) { return 5.0f; }));
    EXPECT_EQ(level.pixelColor(3, 4).value(), 180); // 255 sin 45 degrees
    // Rising towards the south-east faces the north-west light; the opposite slope turns away.
    const QImage facing = hillshadeOf(planeOf([](int row, int column) { return 3.0f * (row + column); }));
    const QImage away = hillshadeOf(planeOf([](int row, int column) { return -3.0f * (row + column); }));
    EXPECT_GT(facing.pixelColor(3, 4).value(), 180);
    EXPECT_LT(away.pixelColor(3, 4).value(), 180);
    EXPECT_EQ(facing.pixelColor(3, 4), facing.pixelColor(5, 2)); // a plane is shaded evenly
}
