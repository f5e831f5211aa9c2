#include "diagnostics/CollectingSink.h"
#include "synthesis/QuiltLayout.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

QuiltLayout plan(int requested, int baseWidth, int baseHeight, int exampleWidth, int exampleHeight)
{
    QuiltLayout layout;
    QString error;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const bool planned = planQuiltLayout(requested, baseWidth, baseHeight, exampleWidth, exampleHeight, layout, error);
    EXPECT_TRUE(planned) << error.toStdString();
    return layout;
}

// How many pastes write each cell of a rows x columns destination.
using Coverage = std::vector<std::vector<int>>;

Coverage coverageOf(const QuiltLayout& layout, int rows, int columns, bool columnDetails, bool& inside)
{
    Coverage coverage(rows, std::vector<int>(columns, 0));
    inside = true;
    for (const TiledBlock& block : layout.tiling.blocks) {
        const BlockPosition example{5, 5};
        const DetailPaste paste = columnDetails ? columnDetailsPaste(block, example, layout.tiling)
                                                : rowDetailsPaste(block, example, layout.tiling);
        for (int i = 0; i < paste.height; ++i) {
            for (int j = 0; j < paste.width; ++j) {
                const int row = paste.destinationRow + i;
                const int column = paste.destinationColumn + j;
                if (row < 0 || row >= rows || column < 0 || column >= columns) {
                    inside = false;
                    continue;
                }
                ++coverage[row][column];
            }
        }
    }
    return coverage;
}

void expectPastesCoverExactly(const QuiltLayout& layout, int baseWidth, int baseHeight)
{
    bool inside = false;
    const Coverage columnCoverage = coverageOf(layout, baseHeight - 2, 2 * baseWidth - 2, true, inside);
    EXPECT_TRUE(inside) << "column details paste leaves the matrix";
    const Coverage rowCoverage = coverageOf(layout, baseHeight, baseWidth - 2, false, inside);
    EXPECT_TRUE(inside) << "row details paste leaves the matrix";
    for (const auto& row : columnCoverage)
        for (const int count : row)
            ASSERT_GT(count, 0) << "a column detail is never pasted";
    for (const auto& row : rowCoverage)
        for (const int count : row)
            ASSERT_GT(count, 0) << "a row detail is never pasted";
}

} // namespace

TEST(QuiltLayout, RequestOfHundredOnSixtyFour)
{
    const QuiltLayout layout = plan(100, 64, 64, 128, 128);
    EXPECT_EQ(layout.overlap, 20);
    EXPECT_EQ(layout.blockSize, 50);
    EXPECT_EQ(layout.tiling.step, 30);
    EXPECT_EQ(layout.tiling.blocksPerRow, 2);
    EXPECT_EQ(layout.tiling.blocksPerColumn, 2);
    // Last-column width (64 - 20) mod 30 + 20 = 34.
    EXPECT_EQ(layout.tiling.blocks[1].x, 30);
    EXPECT_EQ(layout.tiling.blocks[1].width, 34);
    EXPECT_EQ(layout.candidateCount, 40);
    expectPastesCoverExactly(layout, 64, 64);
}

TEST(QuiltLayout, RequestOfTwentyOnSixtyFour)
{
    const QuiltLayout layout = plan(20, 64, 64, 128, 128);
    EXPECT_EQ(layout.overlap, 4);
    EXPECT_EQ(layout.blockSize, 20);
    EXPECT_EQ(layout.tiling.step, 16);
    EXPECT_EQ(layout.tiling.blocksPerRow, 4);
    EXPECT_EQ(layout.tiling.blocksPerColumn, 4);
    EXPECT_EQ(layout.tiling.blocks.back().width, 16);
    EXPECT_EQ(layout.tiling.blocks.back().height, 16);
    EXPECT_GE(layout.candidateCount, 40);
    EXPECT_EQ(plan(20, 64, 64, 403, 344).candidateCount, 403 * 344 / 400);
    expectPastesCoverExactly(layout, 64, 64);
}

TEST(QuiltLayout, PastesMatchTheWorkedGeometry)
{
    const QuiltLayout layout = plan(20, 64, 64, 128, 128);
    const BlockTiling& tiling = layout.tiling;
    const BlockPosition example{10, 12};
    // First block: one column and one row short, from the matrices' corners.
    DetailPaste paste = columnDetailsPaste(tiling.blocks[0], example, tiling);
    EXPECT_EQ(paste.sourceColumn, 18);
    EXPECT_EQ(paste.sourceRow, 11);
    EXPECT_EQ(paste.destinationColumn, 0);
    EXPECT_EQ(paste.destinationRow, 0);
    EXPECT_EQ(paste.width, 38);
    EXPECT_EQ(paste.height, 19);
    // An inner block (row 1, column 1 at 16, 16).
    paste = columnDetailsPaste(tiling.blocks[5], example, tiling);
    EXPECT_EQ(paste.destinationColumn, 30);
    EXPECT_EQ(paste.destinationRow, 15);
    EXPECT_EQ(paste.width, 40);
    EXPECT_EQ(paste.height, 20);
    paste = rowDetailsPaste(tiling.blocks[5], example, tiling);
    EXPECT_EQ(paste.sourceColumn, 9);
    EXPECT_EQ(paste.sourceRow, 12);
    EXPECT_EQ(paste.destinationColumn, 15);
    EXPECT_EQ(paste.destinationRow, 16);
    EXPECT_EQ(paste.width, 20);
    EXPECT_EQ(paste.height, 20);
    // The corner block: last-column width 16 (15 in the row pass), last-row height 16 (15 in the column pass).
    paste = columnDetailsPaste(tiling.blocks[15], example, tiling);
    EXPECT_EQ(paste.width, 32);
    EXPECT_EQ(paste.height, 15);
    paste = rowDetailsPaste(tiling.blocks[15], example, tiling);
    EXPECT_EQ(paste.width, 15);
    EXPECT_EQ(paste.height, 16);
}

TEST(QuiltLayout, LastColumnOfWholeSteps)
{
    // (68 - 4) mod 16 = 0: the last column is a full block, pasted in full.
    const QuiltLayout layout = plan(20, 68, 68, 128, 128);
    EXPECT_EQ(layout.tiling.blocksPerRow, 4);
    EXPECT_EQ(layout.tiling.blocks[3].width, 20);
    expectPastesCoverExactly(layout, 68, 68);
}

TEST(QuiltLayout, HalvingBelowTwiceTheOverlapKeepsTheProportion)
{
    // 100 halves to 25 for a 40-sample example; an overlap of 20 would leave a step of 5.
    const QuiltLayout layout = plan(100, 64, 64, 40, 40);
    EXPECT_EQ(layout.blockSize, 25);
    EXPECT_EQ(layout.overlap, 5);
    EXPECT_EQ(layout.tiling.step, 20);
    expectPastesCoverExactly(layout, 64, 64);
    // No larger than the overlap: 100 -> 12 for a 20-sample example.
    const QuiltLayout small = plan(100, 64, 64, 20, 20);
    EXPECT_EQ(small.blockSize, 12);
    EXPECT_EQ(small.overlap, 2);
    expectPastesCoverExactly(small, 64, 64);
}

TEST(QuiltLayout, EveryConfigurationIsCoveredExactly)
{
    for (int requested = 2; requested <= 100; requested += 7) {
        for (int baseSize = 9; baseSize <= 70; baseSize += 5) {
            QuiltLayout layout;
            QString error;
            diagnostics::SilentSink silence;
            diagnostics::ScopedSink silenced(silence);
            const bool planned = planQuiltLayout(requested, baseSize, baseSize + 1, 60, 57, layout, error);
            if (!planned)
                continue;
            ASSERT_GE(layout.tiling.step, 1);
            ASSERT_GT(layout.tiling.step, layout.overlap);
            expectPastesCoverExactly(layout, baseSize, baseSize + 1);
        }
    }
}

TEST(QuiltLayoutRefusal, BlockSizeBelowTwo)
{
    QuiltLayout layout;
    layout.blockSize = 77;
    QString error;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_FALSE(planQuiltLayout(1, 64, 64, 64, 64, layout, error));
    EXPECT_FALSE(planQuiltLayout(20, 1, 64, 64, 64, layout, error));
    const std::string output = messages.take();
    EXPECT_TRUE(contains(output, "Error, block size = 1, must be 2 or greater!\n"));
    EXPECT_TRUE(contains(output, "Error, block size = 0, must be 2 or greater!\n"));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(layout.blockSize, 77);
}

TEST(QuiltLayoutRefusal, ExampleWithoutRoomForCandidates)
{
    QuiltLayout layout;
    QString error;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    // 6 stays below 7, but a block of 6 needs an example of at least 9.
    EXPECT_FALSE(planQuiltLayout(6, 64, 64, 7, 30, layout, error));
    const std::string output = messages.take();
    EXPECT_TRUE(contains(output, "Error in getRand, max=-1.000, min=1.000\n")) << output;
    EXPECT_TRUE(error.contains(QStringLiteral("too small")));
}
