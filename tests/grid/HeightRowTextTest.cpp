#include "grid/HeightRowText.h"

#include <gtest/gtest.h>
#include <tbb/task_arena.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

// The height lines written band by band on every core must be the bytes printf gives
// row by row, value by value.

namespace {

std::string printfRows(const std::vector<std::vector<float>>& rows)
{
    std::string text;
    char value[64];
    for (const auto& row : rows) {
        for (const float height : row) {
            std::snprintf(value, sizeof value, "%1.2f ", static_cast<double>(height));
            text += value;
        }
        text += '\n';
    }
    return text;
}

std::string writtenRows(const std::vector<std::vector<float>>& rows)
{
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    FixedFormatWriter out(file);
    writeHeightRows(out, rows.size(), [&](std::size_t row) { return std::span<const float>(rows[row]); });
    EXPECT_TRUE(out.finish());
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(text.data(), 1, text.size(), file), text.size());
    std::fclose(file);
    return text;
}

} // namespace

TEST(HeightRowTextTest, ManyBandsGiveTheBytesOfPrintfInOrder)
{
    // 700 rows of 3000 values: some thirty bands of half a megabyte each, most of them handed out again.
    std::mt19937 generator(11);
    std::uniform_real_distribution<float> height(-600.0f, 9000.0f);
    std::vector<std::vector<float>> rows(700, std::vector<float>(3000));
    for (auto& row : rows)
        for (float& value : row)
            value = std::round(height(generator) * 100.0f) / 100.0f;
    EXPECT_EQ(writtenRows(rows), printfRows(rows));
}

TEST(HeightRowTextTest, RowsOfEveryLengthAndExtremeValuesKeepTheirText)
{
    const float largest = std::numeric_limits<float>::max();
    std::vector<std::vector<float>> rows = {
        {},
        {-0.0f, 0.005f, 0.015f, -0.004999f, 1e-30f},
        {largest, -largest, 1.5e20f, 17592186044416.0f, 123456.789f},
        {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()},
        {-9999.0f},
    };
    for (int length = 0; length < 40; ++length)
        rows.push_back(std::vector<float>(static_cast<std::size_t>(length), static_cast<float>(length) * 1.25f));
    EXPECT_EQ(writtenRows(rows), printfRows(rows));
}

TEST(HeightRowTextTest, EveryNumberOfThreadsWritesTheSameBytes)
{
    std::mt19937 generator(5);
    std::uniform_real_distribution<float> height(-100.0f, 3000.0f);
    std::vector<std::vector<float>> rows(400, std::vector<float>(2500));
    for (auto& row : rows)
        for (float& value : row)
            value = height(generator);
    std::string alone;
    tbb::task_arena(1).execute([&] { alone = writtenRows(rows); });
    EXPECT_EQ(alone, printfRows(rows));
    for (const int threads : {2, 3, 8}) {
        std::string shared;
        tbb::task_arena(threads).execute([&] { shared = writtenRows(rows); });
        EXPECT_EQ(shared, alone) << threads << " threads";
    }
}

TEST(HeightRowTextTest, NoRowsWriteNothing)
{
    EXPECT_EQ(writtenRows({}), "");
}
