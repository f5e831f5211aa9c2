// The process-wide normal generator: fixed start, replay, seed semantics, distribution.
// These tests move the shared generator state; each one restores what it needs first.
#include "multires/NormalDeviates.h"
#include "multires/NormalDeviatesState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

std::vector<float> draw(int count)
{
    std::vector<float> values(count);
    for (float& value : values)
        value = normalDeviate();
    return values;
}

double standardNormalCdf(double x)
{
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

} // namespace

TEST(NormalDeviates, StartsFromTheFixedStateInAFreshProcess)
{
    // The threadsafe style re-runs this test alone in a new process, so the generator
    // there has not been touched by any other test.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const bool fixedStart = normalDeviateState() == 123456789u;
            const std::vector<float> first = draw(64);
            restoreNormalDeviateState(123456789u);
            const bool replayed = draw(64) == first;
            std::exit(fixedStart && replayed ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(NormalDeviates, ARestoredStateReplaysAndAnotherStateDoesNot)
{
    restoreNormalDeviateState(987654321u);
    const std::vector<float> first = draw(1000);
    restoreNormalDeviateState(987654321u);
    EXPECT_EQ(draw(1000), first);
    restoreNormalDeviateState(987654320u);
    EXPECT_NE(draw(1000), first);
}

TEST(NormalDeviates, SeedingXorsIntoTheStateWithoutResettingIt)
{
    restoreNormalDeviateState(0x12345678u);
    seedNormalDeviates(0x0000ffffu);
    EXPECT_EQ(normalDeviateState(), 0x12345678u ^ 0x0000ffffu);
    seedNormalDeviates(0x0000ffffu);
    EXPECT_EQ(normalDeviateState(), 0x12345678u) << "the same seed twice in a row cancels";

    // Seeding with 1 before each sequence, as every fractal refinement does, does not repeat it.
    seedNormalDeviates(1);
    const std::vector<float> first = draw(100);
    seedNormalDeviates(1);
    EXPECT_NE(draw(100), first);
}

TEST(NormalDeviates, MillionDeviatesHaveStandardNormalMoments)
{
    restoreNormalDeviateState(123456789u);
    constexpr int kCount = 1000000;
    double sum = 0.0;
    double squares = 0.0;
    double fourth = 0.0;
    const double edges[] = {-3.0, -2.0, -1.0, 0.0, 1.0, 2.0, 3.0, 3.442619855899};
    std::vector<long> below(std::size(edges), 0);
    for (int i = 0; i < kCount; ++i) {
        const double x = normalDeviate();
        ASSERT_TRUE(std::isfinite(x));
        sum += x;
        squares += x * x;
        fourth += x * x * x * x;
        for (std::size_t e = 0; e < std::size(edges); ++e)
            below[e] += x < edges[e];
    }
    const double mean = sum / kCount;
    const double variance = squares / kCount - mean * mean;
    std::printf("[ normal ] %d deviates: mean %.5f, variance %.5f, fourth moment %.4f\n", kCount, mean, variance,
                fourth / kCount);
    // Five standard errors: 1/sqrt(n) for the mean, sqrt(2/n) for the variance, sqrt(96/n) for E[x^4].
    EXPECT_NEAR(mean, 0.0, 5.0 / std::sqrt(kCount));
    EXPECT_NEAR(variance, 1.0, 5.0 * std::sqrt(2.0 / kCount));
    EXPECT_NEAR(fourth / kCount, 3.0, 5.0 * std::sqrt(96.0 / kCount));
    for (std::size_t e = 0; e < std::size(edges); ++e) {
        const double p = standardNormalCdf(edges[e]);
        EXPECT_NEAR(static_cast<double>(below[e]) / kCount, p, 5.0 * std::sqrt(p * (1 - p) / kCount))
            << "P(x < " << edges[e] << ")";
    }
}

TEST(NormalDeviates, TailBeyondTheBaseStripIsSampled)
{
    restoreNormalDeviateState(42u);
    int beyond = 0;
    double largest = 0.0;
    for (int i = 0; i < 200000; ++i) {
        const double x = std::fabs(normalDeviate());
        beyond += x > 3.442619855899;
        largest = std::max(largest, x);
    }
    // P(|x| > r) = 5.76e-4: about 115 of 200000.
    EXPECT_GT(beyond, 60);
    EXPECT_LT(beyond, 180);
    EXPECT_GT(largest, 4.0);
}
