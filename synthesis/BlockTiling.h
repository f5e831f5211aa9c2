#pragma once

#include <initializer_list>
#include <vector>

// The cover of a terrain by overlapping square blocks that block matching and
// quilting share, so the blocks the mapper matches and the blocks the paste
// loops fill are one and the same list.
//
// Rows of blocks start at y = 0, step, 2 step, ... while y < height - blockSize;
// one more row at the last y + step reaches the bottom border. Columns likewise.
// Inner blocks are blockSize square; the last column and the last row are
// narrower or lower (but always wider than the overlap), or full-sized when
// (size - overlap) is a whole multiple of the step.

struct TiledBlock {
    int x = 0;      // first column on the tiled grid
    int y = 0;      // first row on the tiled grid
    int width = 0;
    int height = 0;
    int blockColumn = 0; // 0 .. blocksPerRow - 1
    int blockRow = 0;    // 0 .. blocksPerColumn - 1
};

struct BlockTiling {
    int blockSize = 0;
    int overlap = 0;
    int step = 0;
    int blocksPerRow = 0;
    int blocksPerColumn = 0;
    // Row by row from the top, left to right within a row.
    std::vector<TiledBlock> blocks;
};

// True when tileGrid can cover a grid of this size: blockSize of at least 1,
// overlap of at least 0, a step (blockSize - overlap) of at least 1, and a grid
// larger than the block size in both directions.
bool canTile(int gridWidth, int gridHeight, int blockSize, int overlap);

// The tiling of a gridWidth x gridHeight grid; empty when canTile is false.
BlockTiling tileGrid(int gridWidth, int gridHeight, int blockSize, int overlap);

// blockSize halved (integer) while it is not smaller than the first side, then
// the second, and so on, so that it ends smaller than every side. Stops at 0
// (a side of 0 or less leaves 0).
int halveBlockSizeBelow(int blockSize, std::initializer_list<int> sides);
