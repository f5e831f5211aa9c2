#include "grid/HeightTextReader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

// The heights read block by block on every core must be those, in that order and with
// that stopping point, that the one-token-at-a-time loop reads.

namespace {

struct Reading {
    std::vector<std::uint64_t> bits; // the doubles, compared bit for bit
    HeightTextOutcome::Status status = HeightTextOutcome::Status::Complete;
    std::string badToken;
};

std::FILE* fileWith(const std::string& text)
{
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    return file;
}

// The yardstick: every token in turn through parseNumber.
Reading readOneByOne(const std::string& text, long long expected)
{
    Reading reading;
    std::FILE* file = fileWith(text);
    TokenReader reader(file);
    std::string_view token;
    while (static_cast<long long>(reading.bits.size()) < expected) {
        if (!reader.next(token)) {
            reading.status = reader.tokenTooLong() ? HeightTextOutcome::Status::TokenTooLong
                                                   : HeightTextOutcome::Status::PrematureEnd;
            break;
        }
        double value = 0.0;
        if (!parseNumber(token, value)) {
            reading.status = HeightTextOutcome::Status::NotANumber;
            reading.badToken = std::string(token);
            break;
        }
        reading.bits.push_back(std::bit_cast<std::uint64_t>(value));
    }
    std::fclose(file);
    return reading;
}

// Skips `headerTokens` tokens with a TokenReader first, as the loader reads its header.
// The runs handed over in any order, put at the indices they come with, must be those
// handed over in file order, each value once.
Reading readInBlocks(const std::string& text, long long expected, int headerTokens = 0)
{
    Reading reading;
    std::FILE* file = fileWith(text);
    TokenReader reader(file);
    std::string_view token;
    for (int i = 0; i < headerTokens; ++i)
        reader.next(token);
    std::vector<std::uint64_t> placed(static_cast<std::size_t>(expected), ~std::uint64_t{0});
    std::atomic<long long> placedCount = 0;
    std::atomic<bool> placedOutside = false;
    const HeightTextOutcome outcome = readHeightText(
        reader, file, expected,
        [&](const double* values, std::size_t count) {
            for (std::size_t i = 0; i < count; ++i)
                reading.bits.push_back(std::bit_cast<std::uint64_t>(values[i]));
        },
        [&](const double* values, std::size_t count, long long first) {
            if (first < 0 || first + static_cast<long long>(count) > expected) {
                placedOutside = true;
                return;
            }
            for (std::size_t i = 0; i < count; ++i)
                placed[static_cast<std::size_t>(first) + i] = std::bit_cast<std::uint64_t>(values[i]);
            placedCount += static_cast<long long>(count);
        });
    std::fclose(file);
    EXPECT_EQ(outcome.heightsRead, static_cast<long long>(reading.bits.size()));
    EXPECT_FALSE(placedOutside);
    EXPECT_EQ(placedCount, outcome.heightsRead);
    placed.resize(reading.bits.size());
    EXPECT_TRUE(placed == reading.bits);
    reading.status = outcome.status;
    reading.badToken = outcome.badToken;
    return reading;
}

void expectSameReading(const Reading& blocks, const Reading& reference)
{
    EXPECT_EQ(blocks.status, reference.status);
    EXPECT_EQ(blocks.badToken, reference.badToken);
    ASSERT_EQ(blocks.bits.size(), reference.bits.size());
    EXPECT_TRUE(blocks.bits == reference.bits);
}

// Some megabytes of heights in varied spellings and separators, so that tokens fall
// across the block boundaries.
std::string manyHeights(int count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> height(-9999.0, 9000.0);
    const char* separators[] = {" ", "\n", "\t", "  ", " \r\n"};
    const char* formats[] = {"%1.2f", "%.7g", "%e", "%+.3f", "%.0f"};
    std::string text;
    char value[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(value, sizeof value, formats[generator() % 5], height(generator));
        text += value;
        text += separators[generator() % 5];
    }
    return text;
}

} // namespace

TEST(HeightTextReaderTest, ManyBlocksGiveTheValuesOfTheOneByOneLoop)
{
    const std::string text = manyHeights(600000, 3);
    ASSERT_GT(text.size(), std::size_t{4} << 20);
    expectSameReading(readInBlocks(text, 600000), readOneByOne(text, 600000));
    // Fewer wanted than present: the rest is not read.
    expectSameReading(readInBlocks(text, 123457), readOneByOne(text, 123457));
}

TEST(HeightTextReaderTest, TheLastHeightNeedsNoWhitespaceAfterIt)
{
    const std::string text = manyHeights(300000, 4) + "17.25";
    expectSameReading(readInBlocks(text, 300001), readOneByOne(text, 300001));
}

TEST(HeightTextReaderTest, ShortTextEndsPrematurelyAfterEveryValueItHolds)
{
    const std::string text = manyHeights(250000, 5);
    const Reading blocks = readInBlocks(text, 250001);
    EXPECT_EQ(blocks.status, HeightTextOutcome::Status::PrematureEnd);
    expectSameReading(blocks, readOneByOne(text, 250001));
}

TEST(HeightTextReaderTest, TheFirstBadTokenStopsTheReadingWhereverItIs)
{
    std::string text = manyHeights(400000, 6);
    // Bad tokens in a late block and an earlier one: the earlier one is reported.
    text.insert(text.size() * 3 / 4, " 12abc ");
    text.insert(text.size() / 3, " nan ");
    const Reading blocks = readInBlocks(text, 400002);
    EXPECT_EQ(blocks.status, HeightTextOutcome::Status::NotANumber);
    EXPECT_EQ(blocks.badToken, "nan");
    expectSameReading(blocks, readOneByOne(text, 400002));
}

TEST(HeightTextReaderTest, ATokenLongerThanAnyHeightIsRefusedAfterTheValuesBeforeIt)
{
    const std::string text = manyHeights(200000, 7) + std::string(std::size_t{3} << 20, '7') + " 5 ";
    const Reading blocks = readInBlocks(text, 200002);
    EXPECT_EQ(blocks.status, HeightTextOutcome::Status::TokenTooLong);
    expectSameReading(blocks, readOneByOne(text, 200002));
}

TEST(HeightTextReaderTest, TakesOverTheBytesTheHeaderReaderHadBuffered)
{
    const std::string text = "ncols 3 nrows 2 " + manyHeights(300000, 8);
    const Reading blocks = readInBlocks(text, 299996, 4);
    Reading reference = readOneByOne(text.substr(16), 299996);
    expectSameReading(blocks, reference);
}

TEST(HeightTextReaderTest, EverySpellingNearTheShortFormGivesTheValueOfTheOneByOneLoop)
{
    // Spellings at the edges of the quick scan (seven digits either side of the point, a
    // sign, a point with no digits on one side, exponents, leading zeros), each at many
    // offsets so that they meet the block boundaries and the end of the text.
    const char* spellings[] = {"5", "-5", "+5", "5.", ".5", "-.5", "0.0", "-0.0", "1234567", "12345678",
                               "1234567.1234567", "1234567.12345678", "12345678.1234567", "00000000.5",
                               "0000000.5", "9999999.9999999", "1e3", "-1.5E-2", "7.25e+1", "3.4e38",
                               "123456789012345", "1234567890123456", "0.000000000000001", "764.45",
                               "-9999", "1234.567", "-123.4567", "9.999999", "+12.34567"};
    std::string text;
    long long count = 0;
    for (int round = 0; round < 40000; ++round) {
        for (const char* spelling : spellings) {
            text += spelling;
            text += (round + count) % 3 == 0 ? "\n" : " ";
            ++count;
        }
    }
    ASSERT_GT(text.size(), std::size_t{8} << 20);
    expectSameReading(readInBlocks(text, count), readOneByOne(text, count));
    for (const char* last : {"9999999.9999999", "-0.0", "5.", "12345678"}) {
        const std::string ending = text + last;
        expectSameReading(readInBlocks(ending, count + 1), readOneByOne(ending, count + 1));
    }
    const std::string bad = text.substr(0, text.size() / 2) + " 5.5.5 " + text.substr(text.size() / 2);
    const Reading blocks = readInBlocks(bad, count + 1);
    EXPECT_EQ(blocks.badToken, "5.5.5");
    expectSameReading(blocks, readOneByOne(bad, count + 1));
}
