#include "analysis/Distribution.h"
#include "analysis/SeamRatio.h"

#include "AnalysisTestGrids.h"

#include <gtest/gtest.h>

TEST(Distribution, WassersteinDistanceOfShiftedAndUnevenSets)
{
    EXPECT_DOUBLE_EQ(wassersteinDistance({0.0, 1.0}, {1.0, 2.0}), 1.0);
    // Half the mass moves by 2: sets of different sizes compare by their quantiles.
    EXPECT_DOUBLE_EQ(wassersteinDistance({0.0}, {0.0, 2.0}), 1.0);
    EXPECT_DOUBLE_EQ(wassersteinDistance({3.0, 1.0, 2.0}, {2.0, 3.0, 1.0}), 0.0);
    EXPECT_DOUBLE_EQ(quantileOfSorted({0.0, 10.0}, 0.25), 2.5);
}

TEST(SeamRatio, OneWithoutSeamsAboveOneWithCreasesAtTheBorders)
{
    const VeskGrid smooth = gridOf(40, 40, 1.0f, [](int row, int column) { return row * row + 2.0 * column * column; });
    EXPECT_DOUBLE_EQ(seamRatio(heightFieldOf(smooth), {8, 0}), 1.0);
    // A tent in every block of 8 columns from column 3: the slope turns at the borders.
    const VeskGrid creased =
        gridOf(40, 40, 1.0f, [](int, int column) { return std::abs((column + 5) % 8 - 3.5); });
    EXPECT_GT(seamRatio(heightFieldOf(creased), {8, 3}), 2.0);
    EXPECT_LT(seamRatio(heightFieldOf(creased), {8, 0}), 1.5); // borders a crease away from them
}
