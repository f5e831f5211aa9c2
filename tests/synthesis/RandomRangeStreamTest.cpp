#include "synthesis/RandomRange.h"

#include <gtest/gtest.h>

#include <vector>

// These tests move the process-wide generator: each one resets it first.

TEST(RandomRangeStream, DrawsWhatGetRandDrawsWithoutMovingTheGenerator)
{
    resetRandomRangeGenerator();
    RandomRangeStream stream = RandomRangeStream::current();
    std::vector<float> fromStream;
    for (int i = 0; i < 1000; ++i)
        fromStream.push_back(stream.draw(1.0f, static_cast<float>(1 + i % 37)));
    EXPECT_EQ(RandomRangeStream::current(), RandomRangeStream::current().skipped(0));
    std::vector<float> fromGetRand;
    for (int i = 0; i < 1000; ++i)
        fromGetRand.push_back(*getRand(1.0f, static_cast<float>(1 + i % 37)));
    EXPECT_EQ(fromStream, fromGetRand);
    EXPECT_EQ(stream, RandomRangeStream::current());
}

TEST(RandomRangeStream, ARangeOfOneValueDrawsNothing)
{
    resetRandomRangeGenerator();
    RandomRangeStream stream = RandomRangeStream::current();
    EXPECT_EQ(stream.draw(1.0f, 1.0f), 1.0f);
    EXPECT_EQ(stream, RandomRangeStream::current());
}

TEST(RandomRangeStream, SkippingEqualsDrawingOneByOne)
{
    resetRandomRangeGenerator();
    const RandomRangeStream start = RandomRangeStream::current();
    for (const std::uint64_t draws : {0ull, 1ull, 2ull, 3ull, 17ull, 1000ull, 65537ull}) {
        resetRandomRangeGenerator();
        for (std::uint64_t i = 0; i < draws; ++i)
            nextRandom15();
        EXPECT_EQ(start.skipped(draws), RandomRangeStream::current()) << draws;
    }
    // Skips add up, also past the 2^32 period.
    const std::uint64_t large = (1ull << 33) + 12345;
    EXPECT_EQ(start.skipped(large).skipped(99), start.skipped(large + 99));
    EXPECT_EQ(start.skipped(1ull << 32), start);
}

TEST(RandomRangeStream, MakeCurrentMovesTheProcessWideGenerator)
{
    resetRandomRangeGenerator();
    const RandomRangeStream ahead = RandomRangeStream::current().skipped(5);
    ahead.makeCurrent();
    resetRandomRangeGenerator();
    for (int i = 0; i < 5; ++i)
        nextRandom15();
    const int expected = nextRandom15();
    ahead.makeCurrent();
    EXPECT_EQ(nextRandom15(), expected);
}
