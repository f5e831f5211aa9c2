#include "grid/FloatMatrix.h"
#include "grid/LargeBlock.h"
#include "grid/LargeBlockAllocator.h"
#include "grid/VeskGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

// The one-block matrix behaves as rows of floats: views that read and write the block,
// copies that are deep, blocks reused and large blocks on 2 MiB boundaries.

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;

FloatMatrix counting(std::size_t rows, std::size_t columns)
{
    FloatMatrix matrix = FloatMatrix::uninitialized(rows, columns);
    std::iota(matrix.data(), matrix.data() + matrix.valueCount(), 0.0f);
    return matrix;
}

} // namespace

TEST(FloatMatrixTest, RowsAreViewsOfOneBlockRowAfterRow)
{
    FloatMatrix matrix = counting(3, 4);
    ASSERT_EQ(matrix.size(), 3u);
    for (std::size_t row = 0; row < matrix.size(); ++row) {
        EXPECT_EQ(matrix[row].size(), 4u);
        EXPECT_EQ(matrix[row].data(), matrix.data() + row * 4);
        EXPECT_EQ(matrix[row].end() - matrix[row].begin(), 4);
    }
    matrix[2][1] = -5.0f;
    EXPECT_EQ(matrix.data()[9], -5.0f);
    float sum = 0.0f;
    for (const FloatRow& row : matrix)
        for (const float value : row)
            sum += value;
    EXPECT_EQ(sum, 66.0f - 9.0f - 5.0f);
}

TEST(FloatMatrixTest, ARowCopiedOutOrAssignedCarriesValuesNotTheView)
{
    FloatMatrix matrix = counting(2, 3);
    std::vector<float> copy = matrix[0];
    copy[0] = 99.0f;
    EXPECT_EQ(matrix[0][0], 0.0f);
    matrix[0] = matrix[1];
    EXPECT_EQ(matrix[0], (std::vector<float>{3.0f, 4.0f, 5.0f}));
    matrix[1][0] = 7.0f;
    EXPECT_EQ(matrix[0][0], 3.0f);
    matrix[1] = std::vector<float>{1.0f, 2.0f, 3.0f};
    EXPECT_EQ(matrix, (FloatMatrix{{3.0f, 4.0f, 5.0f}, {1.0f, 2.0f, 3.0f}}));
}

TEST(FloatMatrixTest, ACopyIsDeepAndAGridCopiedByValueToo)
{
    const FloatMatrix original = counting(4, 5);
    FloatMatrix copy = original;
    copy[1][1] = -1.0f;
    EXPECT_EQ(original[1][1], 6.0f);
    EXPECT_NE(copy.data(), original.data());

    VeskGrid grid;
    grid.resize(5, 4);
    grid.details.push_back(original);
    VeskGrid copied = grid;
    copied.heights[0][0] = 3.0f;
    copied.details[0][0][0] = 3.0f;
    EXPECT_EQ(grid.heights[0][0], 0.0f);
    EXPECT_EQ(grid.details[0][0][0], 0.0f);
}

TEST(FloatMatrixTest, ReplacingByAMatrixOfNoLargerShapeKeepsTheBlock)
{
    FloatMatrix matrix = counting(6, 6);
    const float* block = matrix.data();
    const FloatMatrix other = counting(6, 6);
    matrix = other;
    EXPECT_EQ(matrix.data(), block);
    matrix.reshape(4, 5);
    EXPECT_EQ(matrix.data(), block);
    EXPECT_EQ(matrix.size(), 4u);
    EXPECT_EQ(matrix[3].size(), 5u);
    EXPECT_EQ(matrix[3].data(), block + 15);
    matrix.assign(2, 2, 1.5f);
    EXPECT_EQ(matrix, FloatMatrix(2, 2, 1.5f));
}

TEST(FloatMatrixTest, MovedAndClearedMatricesAreEmpty)
{
    FloatMatrix matrix = counting(2, 2);
    FloatMatrix moved = std::move(matrix);
    EXPECT_TRUE(matrix.empty());
    EXPECT_EQ(moved[1][1], 3.0f);
    moved.clear();
    EXPECT_TRUE(moved.empty());
    EXPECT_EQ(moved.valueCount(), 0u);
}

TEST(FloatMatrixTest, LargeBlocksStartOnAHugePageSmallOnesNeedNot)
{
    const FloatMatrix large(1025, 1025);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(large.data()) % kHugePage, 0u);
    EXPECT_EQ(large[1024][1024], 0.0f);
    const FloatMatrix small(3, 3, 2.0f);
    EXPECT_EQ(small[2][2], 2.0f);
}

TEST(FloatMatrixTest, LargeVectorsKeepTheirValuesFromHeapToSystemBlocksAndBack)
{
    LargeVector<int> values;
    for (int value = 0; value < (1 << 20); ++value)
        values.push_back(value);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(values.data()) % kHugePage, 0u);
    const LargeVector<int> copy = values;
    values.resize(1000);
    values.shrink_to_fit();
    EXPECT_EQ(copy.size(), std::size_t(1) << 20);
    EXPECT_EQ(copy.back(), (1 << 20) - 1);
    EXPECT_TRUE(std::equal(values.begin(), values.end(), copy.begin()));
    EXPECT_EQ(LargeVector<float>(std::size_t(1) << 20).back(), 0.0f);
}

TEST(FloatMatrixTest, ABlockGivenBackIsKeptForTheNextOfItsSizeAndAMatrixOnItStartsCleared)
{
    const std::size_t bytes = std::size_t(1031) * 2049 * sizeof(float);
    const LargeBlock given = allocateLargeBlock(bytes);
    std::fill_n(static_cast<float*>(given.data), bytes / sizeof(float), 7.0f);
    releaseLargeBlock(given.data, given.bytes);
    const LargeBlock kept = allocateLargeBlock(bytes);
    EXPECT_EQ(kept.data, given.data);
    EXPECT_FALSE(kept.zeroed);
    releaseLargeBlock(kept.data, kept.bytes);

    const FloatMatrix again(1031, 2049);
    EXPECT_EQ(std::count(again.data(), again.data() + again.valueCount(), 0.0f), std::ptrdiff_t(again.valueCount()));
}
