// The four Chaikin line rules on short lines worked out by hand, and the round trip
// of rules 2 and 3 followed by rule 4 on lines of many lengths.
#include "diagnostics/CollectingSink.h"
#include "multires/Chaikin.h"
#include "multires/ChaikinLines.h"

#include "MultiresTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

using multirestest::makeGrid;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

namespace {

std::vector<float> appliedToLine(const StencilList& stencils, const std::vector<float>& line)
{
    std::vector<float> result(stencils.size());
    applyToLine(stencils, line.data(), result.data());
    return result;
}

std::vector<float> plainRefine(const std::vector<float>& coarse)
{
    return appliedToLine(chaikinRefineStencils(static_cast<int>(coarse.size())), coarse);
}

std::vector<float> coarseValues(const std::vector<float>& fine)
{
    return appliedToLine(chaikinCoarseStencils(static_cast<int>(fine.size())), fine);
}

// Rule 3 through the public operation: one row, with the grid as wide as the line.
std::vector<float> detailValues(const std::vector<float>& fine)
{
    VeskGrid grid;
    grid.width = static_cast<int>(fine.size());
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const FloatMatrix details = chaikinDetails(grid, FloatMatrix{fine}, true);
    return details.empty() ? std::vector<float>{} : details.front();
}

std::vector<float> unitImpulse(int length, int position)
{
    std::vector<float> line(length, 0.0f);
    line[position] = 1.0f;
    return line;
}

} // namespace

TEST(ChaikinPlainRule, RefinesTheDocumentedLine)
{
    EXPECT_THAT(plainRefine({0, 4, 8, 12}), ElementsAre(0, 2, 5, 7, 10, 12));
}

TEST(ChaikinPlainRule, KeepsEndPointsAndCutsEveryCorner)
{
    // 3 samples: end points kept, end edges replaced by their midpoints.
    EXPECT_THAT(plainRefine({2, 6, 10}), ElementsAre(2, 4, 8, 10));
    EXPECT_THAT(plainRefine({1, 1, 1, 1, 1, 1}), ElementsAreArray(std::vector<float>(10, 1.0f)));
    EXPECT_TRUE(plainRefine({1, 2}).empty()) << "two samples cannot be refined by this rule";
}

TEST(ChaikinCoarseRule, WeighsAnImpulseAsWritten)
{
    // f[3] = 1 in a line of 10: c[1] = -1/4 f[3], c[2] = 3/4 f[3] (k = 2 reads f[2..5]).
    EXPECT_THAT(coarseValues(unitImpulse(10, 3)), ElementsAre(0, -0.25f, 0.75f, 0, 0, 0));
    // f[1] = 1: c[1] = f[1] with weight 1.
    EXPECT_THAT(coarseValues(unitImpulse(10, 1)), ElementsAre(0, 1, 0, 0, 0, 0));
    // End formula: c[N/2-1] = -1/4 f[N-4] + 3/4 f[N-3] + f[N-2] - 1/2 f[N-1], c[N/2] = f[N-1].
    EXPECT_THAT(coarseValues(unitImpulse(10, 9)), ElementsAre(0, 0, 0, 0, -0.5f, 1));
}

TEST(ChaikinDetailRule, SecondDetailHasTheOppositeSignOfTheInteriorFormula)
{
    // f[3] = 1: d[0] = 1/4 f[3]; d[1] = +3/4 f[3], where the interior formula at j = 1 would give -3/4.
    EXPECT_THAT(detailValues(unitImpulse(10, 3)), ElementsAre(0.25f, 0.75f, 0, 0));
    // f[5] = 1 at N = 10: d[1] = 1/4 f[5], d[2] (interior, j = 2) = -3/4 f[5].
    EXPECT_THAT(detailValues(unitImpulse(10, 5)), ElementsAre(0, 0.25f, -0.75f, 0));
    // The last detail comes from the last four samples: -1/2 f[N-1].
    EXPECT_THAT(detailValues(unitImpulse(10, 9)), ElementsAre(0, 0, 0, -0.5f));
}

TEST(ChaikinDetailRule, OddAndShortLinesTakeTheLastFourSamplesForTheLastDetail)
{
    // N = 7: two details; the end formula stands in for d[1] and reads f[3..6].
    EXPECT_THAT(detailValues(unitImpulse(7, 6)), ElementsAre(0, -0.5f));
    EXPECT_THAT(detailValues(unitImpulse(7, 3)), ElementsAre(0.25f, 0.25f));
    // N = 6: f[2..5] for the last detail.
    EXPECT_THAT(detailValues(unitImpulse(6, 2)), ElementsAre(-0.75f, 0.25f));
    // N = 9: floor(9/2) - 1 = 3 details, the last from f[5..8].
    EXPECT_THAT(detailValues(unitImpulse(9, 8)), ElementsAre(0, 0, -0.5f));
}

TEST(ChaikinDetailRule, RefusesLinesShorterThanSixAndRowsShorterThanTheGrid)
{
    EXPECT_TRUE(detailValues(std::vector<float>(5, 1.0f)).empty());

    VeskGrid grid;
    grid.width = 8;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    const FloatMatrix details = chaikinDetails(grid, FloatMatrix{std::vector<float>(7, 1.0f)}, true);
    const std::string output = messages.take();
    EXPECT_TRUE(details.empty());
    EXPECT_THAT(output, HasSubstr("Error"));
}

TEST(ChaikinDetailRule, PrintsTheDetailMatrixColumnsThenRows)
{
    VeskGrid grid;
    grid.width = 10;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    const FloatMatrix columnDetails = chaikinDetails(grid, FloatMatrix(12, std::vector<float>(10, 3.0f)), false);
    EXPECT_EQ(messages.take(), "d is 10 X 5\n");
    EXPECT_EQ(columnDetails.size(), 5u);
    EXPECT_EQ(columnDetails.front().size(), 10u);
}

TEST(ChaikinRefineLineRule, DisplacesByTheWrittenWeights)
{
    const std::vector<float> flat(5, 0.0f);
    EXPECT_THAT(chaikinRefineLine(flat, {1, 0, 0}), ElementsAre(0, 0.5f, -0.75f, -0.25f, 0, 0, 0, 0));
    EXPECT_THAT(chaikinRefineLine(flat, {0, 1, 0}), ElementsAre(0, 0, 0.25f, 0.75f, -0.75f, -0.25f, 0, 0));
    EXPECT_THAT(chaikinRefineLine(flat, {0, 0, 1}), ElementsAre(0, 0, 0, 0, -0.25f, -0.75f, 0.5f, 0));
    // Interior displacement (j = 2 .. n-4) for n = 6.
    EXPECT_THAT(chaikinRefineLine(std::vector<float>(6, 0.0f), {0, 0, 1, 0}),
                ElementsAre(0, 0, 0, 0, -0.25f, -0.75f, 0.75f, 0.25f, 0, 0));
    // Zero details: the plain rule.
    EXPECT_THAT(chaikinRefineLine({0, 4, 8, 12, 16}, {0, 0, 0}), ElementsAre(0, 2, 5, 7, 9, 11, 14, 16));
}

TEST(ChaikinRefineLineRule, RefusesShortLinesAndMissingDetailsAndIgnoresSurplusDetails)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    EXPECT_TRUE(chaikinRefineLine({0, 1, 2, 3}, {0, 0}).empty());
    EXPECT_TRUE(chaikinRefineLine({0, 1, 2, 3, 4}, {0, 0}).empty());
    EXPECT_EQ(chaikinRefineLine({0, 4, 8, 12, 16}, {1, 2, 3, 99, 99}), chaikinRefineLine({0, 4, 8, 12, 16}, {1, 2, 3}));
}

TEST(ChaikinLineRoundTrip, CoarseAndDetailsRebuildEveryEvenLine)
{
    std::mt19937 random(17);
    std::uniform_real_distribution<float> heights(-1000.0f, 3000.0f);
    for (int length = 8; length <= 64; length += 2) {
        std::vector<float> fine(length);
        for (float& value : fine)
            value = heights(random);
        const std::vector<float> coarse = coarseValues(fine);
        const std::vector<float> details = detailValues(fine);
        ASSERT_EQ(coarse.size(), static_cast<std::size_t>(length / 2 + 1));
        ASSERT_EQ(details.size(), static_cast<std::size_t>(length / 2 - 1));
        const std::vector<float> rebuilt = chaikinRefineLine(coarse, details);
        ASSERT_EQ(rebuilt.size(), fine.size());
        for (int k = 0; k < length; ++k)
            EXPECT_NEAR(rebuilt[k], fine[k], 4e-4) << "length " << length << ", sample " << k;
    }
}

TEST(ChaikinLineRoundTrip, PlainlyRefinedLineHasZeroDetailsAndItsCoarseLineBack)
{
    const std::vector<float> coarse{3, -1, 4, 1, -5, 9, 2, 6};
    const std::vector<float> fine = plainRefine(coarse);
    for (const float detail : detailValues(fine))
        EXPECT_NEAR(detail, 0.0f, 1e-6);
    const std::vector<float> back = coarseValues(fine);
    ASSERT_EQ(back.size(), coarse.size());
    for (std::size_t k = 0; k < coarse.size(); ++k)
        EXPECT_NEAR(back[k], coarse[k], 1e-6);
}
