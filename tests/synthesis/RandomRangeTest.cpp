#include "diagnostics/CollectingSink.h"
#include "synthesis/RandomRange.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

// These tests depend on the process-wide generator's state: each one resets it first.

TEST(RandomRange, FreshGeneratorGivesTheCStandardExampleSequence)
{
    resetRandomRangeGenerator();
    // The first ten values of the C standard's example rand() started from seed 1.
    const std::vector<int> expected{16838, 5758, 10113, 17515, 31051, 5627, 23010, 7419, 16212, 4086};
    std::vector<int> drawn;
    for (std::size_t i = 0; i < expected.size(); ++i)
        drawn.push_back(nextRandom15());
    EXPECT_EQ(drawn, expected);
}

TEST(RandomRange, DrawsStayInsideTheRangeAndReachBothEnds)
{
    resetRandomRangeGenerator();
    const float min = 1.0f;
    const float max = 50.0f;
    bool reachedMin = false;
    bool reachedMax = false;
    bool reachedTruncatedMax = false;
    double sum = 0.0;
    const int draws = 400000;
    for (int i = 0; i < draws; ++i) {
        const auto value = getRand(min, max);
        ASSERT_TRUE(value.has_value());
        ASSERT_GE(*value, min);
        ASSERT_LE(*value, max);
        reachedMin = reachedMin || *value == min;
        reachedMax = reachedMax || *value == max;
        // Candidate positions truncate the draw: the last position must be reachable too.
        reachedTruncatedMax = reachedTruncatedMax || static_cast<int>(*value) == 50;
        sum += *value;
    }
    EXPECT_TRUE(reachedMin);
    EXPECT_TRUE(reachedMax);
    EXPECT_TRUE(reachedTruncatedMax);
    EXPECT_NEAR(sum / draws, (min + max) / 2.0, 0.2);
}

TEST(RandomRange, RawValuesCoverFifteenBits)
{
    resetRandomRangeGenerator();
    int smallest = 32768;
    int largest = -1;
    for (int i = 0; i < 1000000; ++i) {
        const int value = nextRandom15();
        smallest = std::min(smallest, value);
        largest = std::max(largest, value);
    }
    EXPECT_EQ(smallest, 0);
    EXPECT_EQ(largest, 32767);
}

TEST(RandomRange, ResetReplaysTheSameSequence)
{
    resetRandomRangeGenerator();
    std::vector<float> first;
    for (int i = 0; i < 100; ++i)
        first.push_back(*getRand(-3.0f, 7.5f));
    resetRandomRangeGenerator();
    std::vector<float> second;
    for (int i = 0; i < 100; ++i)
        second.push_back(*getRand(-3.0f, 7.5f));
    EXPECT_EQ(first, second);
}

TEST(RandomRange, EqualBoundsGiveTheBoundWithoutDrawing)
{
    resetRandomRangeGenerator();
    EXPECT_EQ(getRand(4.0f, 4.0f), 4.0f);
    // The generator did not advance: the next raw value is still the first one.
    EXPECT_EQ(nextRandom15(), 16838);
}

TEST(RandomRangeRefusal, EmptyRangeGivesNoValueAndSaysSo)
{
    resetRandomRangeGenerator();
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    const auto value = getRand(5.0f, 1.0f);
    const std::string output = messages.take();
    EXPECT_FALSE(value.has_value());
    EXPECT_EQ(output, "Error in getRand, max=1.000, min=5.000\n");
    EXPECT_EQ(nextRandom15(), 16838);
}

TEST(RandomRangeRefusal, BoundThatIsNotANumberGivesNoValue)
{
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    const float notANumber = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(getRand(0.0f, notANumber).has_value());
    EXPECT_FALSE(getRand(notANumber, 1.0f).has_value());
    const std::string output = messages.take();
    EXPECT_TRUE(contains(output, "Error in getRand"));
}
