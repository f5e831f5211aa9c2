#include "grid/FloatRowsReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// Rows read a band at a time on another thread must reach the caller as reading them
// one by one would: in order, each with the complete floats the data holds for it, in
// this machine's byte order, none after the first short or refused row.

namespace {

constexpr std::size_t kColumns = 1000; // 4,000 bytes a row: a band holds some 260 rows
constexpr int kRows = 1000;

std::vector<float> someHeights(std::size_t count)
{
    std::vector<float> values(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = static_cast<float>(i % 7919) * 0.25f - 300.0f;
    return values;
}

std::string bytesOf(const std::vector<float>& values, bool bigEndian)
{
    std::string bytes(values.size() * 4, '\0');
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto word = std::bit_cast<std::uint32_t>(values[i]);
        if (bigEndian != (std::endian::native == std::endian::big))
            word = __builtin_bswap32(word);
        std::memcpy(&bytes[i * 4], &word, 4);
    }
    return bytes;
}

struct Handed {
    std::vector<int> rows;
    std::vector<std::size_t> completes;
    std::vector<float> values; // every complete value handed over, in turn
    FloatRowsOutcome outcome;
};

// Reads kRows rows from `bytes`; `refuseAt` is a row the caller refuses.
Handed readRows(const std::string& bytes, bool bigEndian, int refuseAt = -1)
{
    std::FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    std::vector<float> heights(kColumns * kRows, -1.0f);
    Handed handed;
    handed.outcome = readFloatRows(file, heights.data(), kRows, kColumns, bigEndian,
                                   [&](int row, float* values, std::size_t complete) {
                                       EXPECT_EQ(values, heights.data() + static_cast<std::size_t>(row) * kColumns);
                                       handed.rows.push_back(row);
                                       handed.completes.push_back(complete);
                                       handed.values.insert(handed.values.end(), values, values + complete);
                                       return row != refuseAt;
                                   });
    std::fclose(file);
    return handed;
}

std::vector<int> rowsUpTo(int last)
{
    std::vector<int> rows;
    for (int row = 0; row <= last; ++row)
        rows.push_back(row);
    return rows;
}

} // namespace

TEST(FloatRowsReaderTest, RowsOfManyBandsComeInOrderWithTheirValuesInEitherByteOrder)
{
    const std::vector<float> heights = someHeights(kColumns * kRows);
    for (const bool bigEndian : {false, true}) {
        const Handed handed = readRows(bytesOf(heights, bigEndian), bigEndian);
        EXPECT_EQ(handed.rows, rowsUpTo(kRows - 1));
        EXPECT_EQ(handed.completes, std::vector<std::size_t>(kRows, kColumns));
        EXPECT_TRUE(handed.values == heights);
        EXPECT_FALSE(handed.outcome.readFailed);
    }
}

TEST(FloatRowsReaderTest, DataEndingInALaterBandEndsWithItsShortRow)
{
    const std::vector<float> heights = someHeights(kColumns * kRows);
    // 700 rows, 300 floats and half a float: row 700 is short and the last.
    const std::vector<float> held(heights.begin(), heights.begin() + 700 * kColumns + 300);
    Handed handed = readRows(bytesOf(held, false) + "ab", false);
    EXPECT_EQ(handed.rows, rowsUpTo(700));
    EXPECT_EQ(handed.completes.back(), 300u);
    EXPECT_TRUE(handed.values == held);
    EXPECT_FALSE(handed.outcome.readFailed);
    // Ending with a whole row: the next is handed over empty, and is the last.
    const std::vector<float> wholeRows(heights.begin(), heights.begin() + 523 * kColumns);
    handed = readRows(bytesOf(wholeRows, false), false);
    EXPECT_EQ(handed.rows, rowsUpTo(523));
    EXPECT_EQ(handed.completes.back(), 0u);
    EXPECT_TRUE(handed.values == wholeRows);
}

TEST(FloatRowsReaderTest, ARefusedRowIsTheLastHandedOver)
{
    const std::vector<float> heights = someHeights(kColumns * kRows);
    const Handed handed = readRows(bytesOf(heights, false), false, 611);
    EXPECT_EQ(handed.rows, rowsUpTo(611));
    EXPECT_TRUE(std::equal(handed.values.begin(), handed.values.end(), heights.begin()));
}
