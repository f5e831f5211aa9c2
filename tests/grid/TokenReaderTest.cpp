#include "GridFilesTestSupport.h"

#include "grid/TokenReader.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

TEST_F(TokenReaderTest, TextInMemoryGivesTheTokensOfTheSameFile)
{
    const std::string text = " ncols 4\r\n\t1.5 -2 +3\f\v4e1 last";
    writeTextFile(path("same.txt"), text);
    bool tooLong = true;
    const std::vector<std::string> fromFile = readAllTokens(path("same.txt"), tooLong);

    TokenReader reader{std::string_view(text)};
    std::vector<std::string> fromMemory;
    std::string_view token;
    while (reader.next(token))
        fromMemory.emplace_back(token);
    EXPECT_EQ(fromMemory, fromFile);
    EXPECT_EQ(fromMemory.size(), 7u);
    EXPECT_TRUE(reader.pendingBytes().empty());
    EXPECT_FALSE(reader.readFailed());
}

TEST(TokenReaderMemoryTest, UnreadHandsTheTokenBackAndPendingBytesFollowTheTokens)
{
    const std::string text = "source 12 rows";
    TokenReader reader{std::string_view(text)};
    std::string_view token;
    ASSERT_TRUE(reader.next(token));
    ASSERT_TRUE(reader.next(token));
    EXPECT_EQ(token, "12");
    EXPECT_EQ(reader.pendingBytes(), " rows");
    reader.unread(token);
    ASSERT_TRUE(reader.next(token));
    EXPECT_EQ(token, "12");
    ASSERT_TRUE(reader.next(token));
    EXPECT_EQ(token, "rows");
    // The last token ran to the end of the text: nothing is left behind it.
    EXPECT_TRUE(reader.pendingBytes().empty());
    EXPECT_FALSE(reader.next(token));
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
    EXPECT_TRUE(parseNumber("5.", number));
    EXPECT_EQ(number, 5.0);
    for (const char* bad : {"", "+", "+-5", "++5", "-+5", "12abc", "abc", "nan", "inf", "1e999", "0x10", "1,5",
                            "1e", "."})
        EXPECT_FALSE(parseNumber(bad, number)) << bad;

    long long integer = 0;
    EXPECT_TRUE(parseInteger("403", integer));
    EXPECT_EQ(integer, 403);
    EXPECT_TRUE(parseInteger("-5", integer));
    EXPECT_EQ(integer, -5);
    EXPECT_TRUE(parseInteger("+7", integer));
    EXPECT_EQ(integer, 7);
    for (const char* bad : {"403.0", "4e2", "99999999999999999999", "", "x", "+-5", "++5"})
        EXPECT_FALSE(parseInteger(bad, integer)) << bad;

    EXPECT_TRUE(sameKey("NODATA_value", "nodata_value"));
    EXPECT_FALSE(sameKey("ncol", "ncols"));
}

// The fast path must give the very double from_chars gives, for every plain decimal.
TEST(DecimalParsingTest, PlainDecimalsParseToTheDoubleFromCharsGives)
{
    std::mt19937_64 generator(2024);
    char text[40];
    for (int i = 0; i < 200000; ++i) {
        const int digits = 1 + static_cast<int>(generator() % 15);
        const int fraction = static_cast<int>(generator() % (digits + 1)) == digits ? 0 : static_cast<int>(generator() % digits);
        std::uint64_t limit = 1;
        for (int d = 0; d < digits; ++d)
            limit *= 10;
        const std::uint64_t mantissa = generator() % limit;
        std::string integerText = std::to_string(mantissa);
        integerText.insert(0, static_cast<std::size_t>(std::max(0, digits - static_cast<int>(integerText.size()))), '0');
        std::string token = (generator() % 2 ? "-" : "") + integerText.substr(0, digits - fraction);
        if (fraction > 0)
            token += "." + integerText.substr(digits - fraction);
        double fast = 0.0;
        ASSERT_TRUE(parsePlainDecimal(token, fast)) << token;
        double reference = 0.0;
        const auto result = std::from_chars(token.data(), token.data() + token.size(), reference);
        ASSERT_EQ(result.ec, std::errc()) << token;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(reference)) << token;
    }
    // Every height as the grid writer prints it ("%1.2f") comes back as the same float.
    for (float height = -500.0f; height < 9000.0f; height += 0.37f) {
        std::snprintf(text, sizeof text, "%1.2f", static_cast<double>(height));
        double fast = 0.0;
        double reference = 0.0;
        ASSERT_TRUE(parsePlainDecimal(text, fast)) << text;
        std::from_chars(text, text + std::strlen(text), reference);
        ASSERT_EQ(static_cast<float>(fast), static_cast<float>(reference)) << text;
    }
}

TEST(DecimalParsingTest, OtherFormsAreLeftToTheFullConversion)
{
    double value = 0.0;
    for (const char* other : {"1e3", ".5", "5.", "+-5", "-", "", "abc", "1.2.3", "nan", "inf", "0x10",
                              "1234567890123456", "12.345678901234567"}) {
        EXPECT_FALSE(parsePlainDecimal(other, value)) << other;
    }
    // ...and parseNumber still reads those that are numbers.
    EXPECT_TRUE(parseNumber("1234567890123456", value));
    EXPECT_EQ(value, 1234567890123456.0);
    EXPECT_TRUE(parseNumber("5.", value));
    EXPECT_EQ(value, 5.0);
    EXPECT_TRUE(parseNumber("-0.00", value));
    EXPECT_TRUE(std::signbit(value));
}
