#pragma once

#include "synthesis/BlockMapper.h"
#include "synthesis/BlockTiling.h"

#include <QString>

// The working values of a detail quilting, fixed before anything is changed.
struct QuiltLayout {
    int overlap = 0;        // requested / 5, or blockSize / 5 when halving left blockSize <= 2 overlap
    int blockSize = 0;      // the request halved until smaller than both terrains' sides
    int candidateCount = 0; // example area / block area, at least 40
    BlockTiling tiling;     // the base's blocks, shared by the mapper and the paste loops
};

// Plans a quilting of a base by an example of the given sizes. Returns false
// (message printed, short text in `error`, `layout` untouched) when the block
// size ends below 2 or the example has no room for candidate blocks.
bool planQuiltLayout(int requestedBlockSize, int baseWidth, int baseHeight, int exampleWidth, int exampleHeight,
                     QuiltLayout& layout, QString& error);

// The two schemes that keep detail levels shape them differently: a Chaikin
// line of n coarse samples has n - 2 details, a Faber line n - 1.
enum class DetailLevelKind { chaikin, faber };

// The shapes (rows x values) of one detail level of a width x height coarse
// grid: row details on top, column details below them.
struct DetailLevelShape {
    int rowDetailRows = 0;
    int rowDetailColumns = 0;
    int columnDetailRows = 0;
    int columnDetailColumns = 0;
};

// Chaikin: height x (width - 2) and (height - 2) x (2 width - 2).
// Faber:   height x (width - 1) and (height - 1) x (2 width - 1).
DetailLevelShape detailLevelShape(DetailLevelKind kind, int width, int height);

// Where one block's detail coefficients are copied from and to.
struct DetailPaste {
    int sourceColumn = 0;
    int sourceRow = 0;
    int destinationColumn = 0;
    int destinationRow = 0;
    int width = 0;
    int height = 0;
};

// Column details live at the fine width (two columns per base column) and one
// row above the base rows; the first and last block rows give up one row so the
// band of base-height - 2 rows is covered exactly. A Faber level has one row
// and one fine column more: the last block row keeps its last row and the last
// block column pastes one fine column more.
DetailPaste columnDetailsPaste(const TiledBlock& block, BlockPosition example, const BlockTiling& tiling,
                               DetailLevelKind kind = DetailLevelKind::chaikin);

// Row details live one column left of the base columns; the first and last
// block columns give up one column so the band of base-width - 2 columns is
// covered exactly. A Faber level has one column more, which the last block
// column keeps.
DetailPaste rowDetailsPaste(const TiledBlock& block, BlockPosition example, const BlockTiling& tiling,
                            DetailLevelKind kind = DetailLevelKind::chaikin);
