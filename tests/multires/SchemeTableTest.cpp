// The one scheme table: the window's numbers and the command line's names reach the
// same scheme, and each entry's steps are that scheme's own.

#include "multires/Scheme.h"

#include "MultiresTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace multirestest;

TEST(SchemeTable, WindowNumbersAndCommandLineNamesNameTheSameSchemes)
{
    const std::vector<std::pair<int, std::string>> expected{{1, "chaikin"}, {2, "fractal"}, {3, "faber"}};
    for (const auto& [number, name] : expected) {
        const SchemeTraits* byNumber = schemeNumbered(number);
        const SchemeTraits* byName = schemeNamed(name);
        ASSERT_NE(byNumber, nullptr) << number;
        EXPECT_EQ(byNumber, byName) << name;
        EXPECT_EQ(byNumber->name, name);
        EXPECT_EQ(static_cast<int>(byNumber->scheme), number);
        EXPECT_EQ(&traitsOf(byNumber->scheme), byNumber);
    }
    for (int number : {0, 4, -1})
        EXPECT_EQ(schemeNumbered(number), nullptr) << number;
    for (const char* name : {"", "Chaikin", "traditional", "faber "})
        EXPECT_EQ(schemeNamed(name), nullptr) << name;
}

TEST(SchemeTable, CommandLineListsEverySchemeAndTheDetailKeepingOnes)
{
    EXPECT_EQ(schemeNames(), (std::vector<std::string>{"chaikin", "faber", "fractal"}));
    EXPECT_EQ(detailKeepingSchemeNames(), (std::vector<std::string>{"chaikin", "faber"}));
}

// Chaikin refines n samples to 2n - 2, Faber to 2n - 1; with the kept level each
// rebuilds the fine terrain to float rounding. A swapped step shows in the size.
TEST(SchemeTable, DetailSchemesCoarsenAndRebuildWithTheirOwnRules)
{
    const struct {
        Scheme scheme;
        int fineSide;
    } cases[] = {{Scheme::chaikin, 34}, {Scheme::faber, 33}};
    for (const auto& c : cases) {
        const SchemeTraits& traits = traitsOf(c.scheme);
        const FloatMatrix heights = roughHeights(c.fineSide, c.fineSide, 7);
        VeskGrid grid = makeGrid(heights);
        bool done = false;
        runQuietly(traits.coarsen, grid, &done);
        ASSERT_TRUE(done) << traits.name;
        EXPECT_EQ(grid.width, c.scheme == Scheme::chaikin ? 18 : 17) << traits.name;
        runQuietly(traits.refine, grid, &done);
        ASSERT_TRUE(done) << traits.name;
        EXPECT_LE(largestDifference(grid.heights, heights), roundingBound(heights, 1, 8.0)) << traits.name;
    }
}

TEST(SchemeTable, FractalSchemeDecimatesAndRefinesWithoutKeptDetail)
{
    const SchemeTraits& fractal = traitsOf(Scheme::fractal);
    EXPECT_FALSE(fractal.keepsDetails);
    VeskGrid grid = makeGrid(roughHeights(34, 34, 3));
    bool done = false;
    runQuietly(fractal.coarsen, grid, &done);
    ASSERT_TRUE(done);
    EXPECT_TRUE(grid.details.empty());
    const int coarseSide = grid.width;
    runQuietly(fractal.refine, grid, &done);
    ASSERT_TRUE(done);
    EXPECT_EQ(grid.width, 2 * coarseSide - 2);
}
