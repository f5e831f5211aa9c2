#include "GridFilesTestSupport.h"

#include "grid/TokenReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

// The block reader behind the grid loaders: every token comes back whole, wherever
// the read blocks (1 MiB) happen to cut the file.

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;

std::vector<std::string> readAllTokens(const QString& fileName, bool& tooLong)
{
    std::FILE* file = std::fopen(fileName.toLocal8Bit().constData(), "rb");
    EXPECT_NE(file, nullptr);
    std::vector<std::string> tokens;
    TokenReader reader(file);
    std::string_view token;
    while (reader.next(token))
        tokens.emplace_back(token);
    tooLong = reader.tokenTooLong();
    std::fclose(file);
    return tokens;
}

} // namespace

class TokenReaderTest : public GridFilesTempDirTest {};

TEST_F(TokenReaderTest, TokensCutByBlockBoundariesComeBackWhole)
{
    std::mt19937 generator(23);
    std::uniform_int_distribution<int> length(1, 30);
    std::uniform_int_distribution<int> gap(1, 4);
    const std::string separators = " \t\r\n";
    std::vector<std::string> expected;
    std::string text;
    // Words until three block boundaries are passed, with one word forced across each.
    for (std::size_t boundary = kBlock; boundary <= 3 * kBlock; boundary += kBlock) {
        while (text.size() + 40 < boundary) {
            std::string word(static_cast<std::size_t>(length(generator)), 'a');
            for (char& c : word)
                c = static_cast<char>('0' + generator() % 10);
            expected.push_back(word);
            text += word;
            for (int i = gap(generator); i > 0; --i)
                text += separators[generator() % separators.size()];
        }
        text.append(boundary - 7 - text.size(), ' ');
        expected.emplace_back("12345678901234");
        text += expected.back() + "\n";
    }
    ASSERT_NE(text[kBlock - 1], ' ');
    ASSERT_NE(text[kBlock], ' ');
    writeTextFile(path("words.txt"), text.substr(0, text.size() - 1)); // the last word ends the file

    bool tooLong = true;
    EXPECT_EQ(readAllTokens(path("words.txt"), tooLong), expected);
    EXPECT_FALSE(tooLong);
}

TEST_F(TokenReaderTest, WordLongerThanABlockStopsTheReader)
{
    writeTextFile(path("long.txt"), "1 2 " + std::string(kBlock + 10, '9') + " 3");
    bool tooLong = false;
    EXPECT_EQ(readAllTokens(path("long.txt"), tooLong), (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(tooLong);
}

TEST(NumberTokenTest, WholeTokensOnly)
{
    double number = 0.0;
    EXPECT_TRUE(parseNumber("+5", number));
    EXPECT_EQ(number, 5.0);
    EXPECT_TRUE(parseNumber("-1e3", number));
    EXPECT_EQ(number, -1000.0);
    EXPECT_TRUE(parseNumber(".5", number));
    EXPECT_EQ(number, 0.5);
    for (const char* bad : {"", "+", "+-5", "12abc", "abc", "nan", "inf", "1e999", "0x10", "1,5"})
        EXPECT_FALSE(parseNumber(bad, number)) << bad;

    long long integer = 0;
    EXPECT_TRUE(parseInteger("403", integer));
    EXPECT_EQ(integer, 403);
    EXPECT_TRUE(parseInteger("-5", integer));
    EXPECT_EQ(integer, -5);
    for (const char* bad : {"403.0", "4e2", "99999999999999999999", "", "x"})
        EXPECT_FALSE(parseInteger(bad, integer)) << bad;

    EXPECT_TRUE(sameKey("NODATA_value", "nodata_value"));
    EXPECT_FALSE(sameKey("ncol", "ncols"));
}
