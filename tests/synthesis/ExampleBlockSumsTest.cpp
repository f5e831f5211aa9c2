#include "synthesis/ExampleBlockSums.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool sameBits(long double first, long double second)
{
    // The 80-bit value only; the padding bytes of a long double carry nothing.
    return std::memcmp(&first, &second, 10) == 0;
}

// Every block of the listed sizes at every position gives the running sum's bits.
void expectRunningSums(const FloatMatrix& heights, const ExampleBlockSums& sums, std::initializer_list<int> sizes)
{
    const int rows = static_cast<int>(heights.size());
    const int columns = static_cast<int>(heights.front().size());
    for (const int width : sizes)
        for (const int height : sizes)
            for (int y = 0; y + height <= rows; y += 3)
                for (int x = 0; x + width <= columns; x += 2)
                    ASSERT_TRUE(sameBits(sums.sum(x, y, width, height), runningBlockSum(heights, x, y, width, height)))
                        << width << " x " << height << " at " << x << ", " << y;
}

} // namespace

TEST(ExampleBlockSums, TerrainHeightsAreSummedInDoubleAndGiveTheRunningSums)
{
    // Heights with fractional parts and negative values, as a rescaled terrain has.
    const FloatMatrix heights =
        filledMatrix(61, 53, [](int x, int y) { return 800.0f * hashedNoise(x, y, 3) - 123.456f + 0.37f * x; });
    const ExampleBlockSums sums(heights, 20 * 20);
    EXPECT_TRUE(sums.sumsInDouble());
    EXPECT_FALSE(sums.usesTable());
    expectRunningSums(heights, sums, {1, 4, 7, 20});
}

TEST(ExampleBlockSums, HeightsTooManyBitsApartForADoubleUseTheTableAndGiveTheRunningSums)
{
    const FloatMatrix heights = filledMatrix(61, 53, [](int x, int y) {
        return (x * y) % 5 == 1 ? std::ldexp(1.0f + static_cast<float>(y % 7), -31)
                                : 3.0e6f * hashedNoise(x, y, 3) - 123.456f;
    });
    const ExampleBlockSums sums(heights, 20 * 20);
    EXPECT_FALSE(sums.sumsInDouble());
    EXPECT_TRUE(sums.usesTable());
    expectRunningSums(heights, sums, {1, 4, 7, 20});
}

TEST(ExampleBlockSums, ZerosAndNegativeZerosGiveZero)
{
    const FloatMatrix heights = filledMatrix(12, 12, [](int x, int y) { return (x + y) % 2 ? -0.0f : 0.0f; });
    const ExampleBlockSums sums(heights, 16);
    EXPECT_TRUE(sums.sumsInDouble());
    expectRunningSums(heights, sums, {1, 4});
}

TEST(ExampleBlockSums, HeightsOfVeryDifferentMagnitudesFallBackToTheRunningSum)
{
    // 1e6 next to 1e-12: the running sum rounds, which no table could repeat.
    const FloatMatrix heights =
        filledMatrix(30, 30, [](int x, int y) { return (x + y) % 3 == 0 ? 1.0e6f + x : 1.0e-12f * (1 + y); });
    const ExampleBlockSums sums(heights, 64);
    EXPECT_FALSE(sums.usesTable());
    expectRunningSums(heights, sums, {1, 8});
}

TEST(ExampleBlockSums, TheLargestBlockDecidesHowTheSumsAreTaken)
{
    // Heights 2^40 apart in scale: blocks of 4 samples stay below 2^53 units, blocks of
    // 2^15 below 2^63, blocks of 2^23 would not.
    const FloatMatrix heights = filledMatrix(8, 8, [](int x, int) { return x == 0 ? 1099511627776.0f : 1.0f; });
    EXPECT_TRUE(ExampleBlockSums(heights, 4).sumsInDouble());
    EXPECT_FALSE(ExampleBlockSums(heights, 1 << 15).sumsInDouble());
    EXPECT_TRUE(ExampleBlockSums(heights, 1 << 15).usesTable());
    EXPECT_FALSE(ExampleBlockSums(heights, 1 << 23).usesTable());
    EXPECT_FALSE(ExampleBlockSums(heights, 1 << 23).sumsInDouble());
    expectRunningSums(heights, ExampleBlockSums(heights, 4), {1, 2});
    expectRunningSums(heights, ExampleBlockSums(heights, 1 << 15), {1, 2, 8});
}

TEST(ExampleBlockSums, ValuesThatAreNotNumbersFallBackToTheRunningSum)
{
    FloatMatrix heights = filledMatrix(10, 10, [](int x, int y) { return static_cast<float>(x * y); });
    heights[4][5] = std::numeric_limits<float>::quiet_NaN();
    heights[7][1] = std::numeric_limits<float>::infinity();
    const ExampleBlockSums sums(heights, 9);
    EXPECT_FALSE(sums.usesTable());
    EXPECT_TRUE(std::isnan(static_cast<double>(sums.sum(3, 3, 3, 3))));
    EXPECT_TRUE(std::isinf(static_cast<double>(sums.sum(0, 6, 3, 3))));
    EXPECT_TRUE(sameBits(sums.sum(0, 0, 3, 3), runningBlockSum(heights, 0, 0, 3, 3)));
}

TEST(ExampleBlockSums, WithoutTableIsTheRunningSum)
{
    const FloatMatrix heights = filledMatrix(9, 9, [](int x, int y) { return hashedNoise(x, y); });
    const ExampleBlockSums sums = ExampleBlockSums::withoutTable(heights);
    EXPECT_FALSE(sums.usesTable());
    expectRunningSums(heights, sums, {1, 3});
}
