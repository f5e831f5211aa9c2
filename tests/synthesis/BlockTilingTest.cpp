#include "synthesis/BlockTiling.h"

#include <gtest/gtest.h>

#include <vector>

TEST(BlockTiling, SixtyFourByBlocksOfTwentyWithOverlapFour)
{
    const BlockTiling tiling = tileGrid(64, 64, 20, 4);
    EXPECT_EQ(tiling.step, 16);
    EXPECT_EQ(tiling.blocksPerRow, 4);
    EXPECT_EQ(tiling.blocksPerColumn, 4);
    ASSERT_EQ(tiling.blocks.size(), 16u);
    const std::vector<int> starts{0, 16, 32, 48};
    const std::vector<int> extents{20, 20, 20, 16};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const TiledBlock& block = tiling.blocks[row * 4 + column];
            EXPECT_EQ(block.x, starts[column]);
            EXPECT_EQ(block.y, starts[row]);
            EXPECT_EQ(block.width, extents[column]);
            EXPECT_EQ(block.height, extents[row]);
            EXPECT_EQ(block.blockColumn, column);
            EXPECT_EQ(block.blockRow, row);
        }
    }
}

// Every tiling: blocks step evenly, reach the far border, and edge blocks are
// wider than the overlap but no wider than a block; with an overlap smaller than
// the step, the count per row is width / step, plus 1 when the rest exceeds the overlap.
TEST(BlockTiling, BlocksCoverTheGridInEveryConfiguration)
{
    for (int size = 5; size <= 90; size += 7) {
        for (int blockSize = 1; blockSize < size; blockSize += 3) {
            for (int overlap = 0; overlap < blockSize; ++overlap) {
                const BlockTiling tiling = tileGrid(size, size + 3, blockSize, overlap);
                ASSERT_FALSE(tiling.blocks.empty());
                const int step = blockSize - overlap;
                ASSERT_EQ(tiling.blocks.size(),
                          static_cast<std::size_t>(tiling.blocksPerRow) * tiling.blocksPerColumn);
                for (int column = 0; column < tiling.blocksPerRow; ++column) {
                    const TiledBlock& block = tiling.blocks[column];
                    EXPECT_EQ(block.x, column * step);
                    if (column + 1 < tiling.blocksPerRow) {
                        EXPECT_EQ(block.width, blockSize);
                    } else {
                        EXPECT_EQ(block.x + block.width, size);
                        EXPECT_GT(block.width, overlap);
                        EXPECT_LE(block.width, blockSize);
                    }
                }
                const TiledBlock& corner = tiling.blocks.back();
                EXPECT_EQ(corner.y + corner.height, size + 3);
                if (overlap < step) {
                    const int expectedPerRow = size / step + (size % step > overlap ? 1 : 0);
                    EXPECT_EQ(tiling.blocksPerRow, expectedPerRow) << size << " " << blockSize << " " << overlap;
                }
            }
        }
    }
}

TEST(BlockTiling, LastBlockIsFullWhenTheRestIsAWholeStep)
{
    // (68 - 4) is four steps of 16: the row ends with a full block at 48.
    const BlockTiling tiling = tileGrid(68, 40, 20, 4);
    EXPECT_EQ(tiling.blocksPerRow, 4);
    EXPECT_EQ(tiling.blocks[3].x, 48);
    EXPECT_EQ(tiling.blocks[3].width, 20);
}

TEST(BlockTiling, RefusesWhatCannotBeTiled)
{
    EXPECT_FALSE(canTile(64, 64, 20, 20)); // step 0
    EXPECT_FALSE(canTile(64, 64, 20, 25)); // step below 0
    EXPECT_FALSE(canTile(20, 64, 20, 4));  // not larger than a block
    EXPECT_FALSE(canTile(64, 20, 20, 4));
    EXPECT_FALSE(canTile(64, 64, 0, 0));
    EXPECT_FALSE(canTile(64, 64, 10, -1));
    EXPECT_TRUE(tileGrid(64, 64, 20, 20).blocks.empty());
    EXPECT_TRUE(canTile(21, 21, 20, 19));
}

TEST(BlockTiling, HalvingEndsBelowEverySide)
{
    EXPECT_EQ(halveBlockSizeBelow(100, {128, 128, 64, 64}), 50);
    EXPECT_EQ(halveBlockSizeBelow(20, {128, 128, 64, 64}), 20);
    EXPECT_EQ(halveBlockSizeBelow(64, {64}), 32);
    EXPECT_EQ(halveBlockSizeBelow(100, {40, 200}), 25);
    // A side of 0 ends at 0 instead of halving for ever.
    EXPECT_EQ(halveBlockSizeBelow(100, {0, 50}), 0);
    EXPECT_EQ(halveBlockSizeBelow(-8, {10}), -8);
}
