// Cutting and pasting blocks of detail coefficients on grids.

#include "synthesis/BlockDetails.h"

#include "SynthesisTestGrids.h"
#include "diagnostics/CollectingSink.h"
#include "multires/Chaikin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

VeskGrid hillyTerrain(int side)
{
    return makeTerrain(side, side, [](int x, int y) { return 200.0f + 40.0f * hashedNoise(x, y, 7) + 0.3f * x; });
}

// The grid coarsened and refined back the given number of levels, as a paste does around its writing.
VeskGrid roundTripped(VeskGrid grid, int levels)
{
    grid.clearDetails();
    for (int level = 0; level < levels; ++level)
        reverseChaikin(grid);
    for (int level = 0; level < levels; ++level)
        subdivideChaikin(grid);
    return grid;
}

} // namespace

// Cut and paste follow the same corners: a grid's own block pasted back where it
// was cut writes every coefficient over itself, leaving exactly the round trip.
TEST(BlockDetails, AGridsOwnBlockPastedWhereItWasCutChangesNothingButTheRoundTrip)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const VeskGrid grid = hillyTerrain(98);
    const BlockDetails block = cutBlockDetails(grid, 20, 30, 40, 50, 2);
    ASSERT_EQ(block.matrices.size(), 4u);
    EXPECT_EQ(block.width, 20);
    EXPECT_EQ(block.height, 20);

    const std::optional<VeskGrid> pasted = gridWithBlockPasted(grid, block, 20, 30, 2);
    ASSERT_TRUE(pasted.has_value());
    const VeskGrid expected = roundTripped(grid, 2);
    EXPECT_TRUE(sameBits(pasted->heights, expected.heights));
    EXPECT_TRUE(pasted->details.empty());

    // Pasted one sample to the right, the same block does change the terrain.
    const std::optional<VeskGrid> shifted = gridWithBlockPasted(grid, block, 22, 30, 2);
    ASSERT_TRUE(shifted.has_value());
    EXPECT_FALSE(sameBits(shifted->heights, expected.heights));
}

TEST(BlockDetails, TheCornersMayComeInAnyOrderAndStartAtTheGridsEdge)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const VeskGrid grid = hillyTerrain(60);
    EXPECT_EQ(cutBlockDetails(grid, 40, 35, 10, 5, 2), cutBlockDetails(grid, 10, 5, 40, 35, 2));
    EXPECT_EQ(cutBlockDetails(grid, -6, -3, 12, 9, 1), cutBlockDetails(grid, 0, 0, 12, 9, 1));
}

TEST(BlockDetails, CuttingStopsAtTheFirstLevelTheGridCannotReachAndSaysSo)
{
    diagnostics::CollectingSink capture;
    diagnostics::ScopedSink captured(capture);
    const VeskGrid grid = hillyTerrain(30);
    const BlockDetails block = cutBlockDetails(grid, 2, 2, 10, 10, 3);
    EXPECT_EQ(block.matrices.size(), 4u);
    EXPECT_NE(capture.take().find("Danger, unable to coarsen!  Only 2 levels of details copied.\n"),
              std::string::npos);
}

// A paste that cannot land leaves the terrain to its caller untouched, its
// details stack included, and says that nothing was copied.
TEST(BlockDetails, APasteThatDoesNotFitGivesNoGrid)
{
    diagnostics::CollectingSink capture;
    diagnostics::ScopedSink captured(capture);
    const VeskGrid grid = hillyTerrain(40);
    const BlockDetails block = cutBlockDetails(grid, 4, 4, 12, 12, 1);
    capture.take();

    VeskGrid tiny = hillyTerrain(14);
    reverseChaikin(tiny); // 8 x 8 with its two matrices: too small for another level
    ASSERT_EQ(tiny.width, 8);
    struct Refused {
        const char* why;
        const VeskGrid& grid;
        BlockDetails block;
        int column;
        int row;
        int levels;
    };
    const Refused refusals[] = {
        {"empty block", grid, BlockDetails{}, 5, 5, 1},
        {"left of the grid", grid, block, -1, 5, 1},
        {"below the last row", grid, block, 5, 40, 1},
        {"past the last column", grid, block, 40, 5, 1},
        {"no level", grid, block, 5, 5, 0},
        {"a grid that cannot be coarsened", tiny, block, 2, 2, 1},
    };
    for (const Refused& refused : refusals) {
        capture.take();
        EXPECT_FALSE(gridWithBlockPasted(refused.grid, refused.block, refused.column, refused.row, refused.levels))
            << refused.why;
        EXPECT_EQ(capture.take(), "0 levels of details were copied\n.") << refused.why;
    }
}
