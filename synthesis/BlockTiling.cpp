#include "synthesis/BlockTiling.h"

namespace {

struct Span {
    int start = 0;
    int length = 0;
};

// Starts 0, step, ... while below size - blockSize, then one span that reaches the end.
std::vector<Span> spansAlong(int size, int blockSize, int step)
{
    std::vector<Span> spans;
    int start = 0;
    for (; start < size - blockSize; start += step)
        spans.push_back({start, blockSize});
    spans.push_back({start, size - start});
    return spans;
}

} // namespace

bool canTile(int gridWidth, int gridHeight, int blockSize, int overlap)
{
    return blockSize >= 1 && overlap >= 0 && blockSize - overlap >= 1 && gridWidth > blockSize
        && gridHeight > blockSize;
}

BlockTiling tileGrid(int gridWidth, int gridHeight, int blockSize, int overlap)
{
    BlockTiling tiling;
    if (!canTile(gridWidth, gridHeight, blockSize, overlap))
        return tiling;
    tiling.blockSize = blockSize;
    tiling.overlap = overlap;
    tiling.step = blockSize - overlap;
    const std::vector<Span> columns = spansAlong(gridWidth, blockSize, tiling.step);
    const std::vector<Span> rows = spansAlong(gridHeight, blockSize, tiling.step);
    tiling.blocksPerRow = static_cast<int>(columns.size());
    tiling.blocksPerColumn = static_cast<int>(rows.size());
    tiling.blocks.reserve(columns.size() * rows.size());
    for (int blockRow = 0; blockRow < tiling.blocksPerColumn; ++blockRow) {
        for (int blockColumn = 0; blockColumn < tiling.blocksPerRow; ++blockColumn) {
            const Span& column = columns[blockColumn];
            const Span& row = rows[blockRow];
            tiling.blocks.push_back({column.start, row.start, column.length, row.length, blockColumn, blockRow});
        }
    }
    return tiling;
}

int halveBlockSizeBelow(int blockSize, std::initializer_list<int> sides)
{
    for (const int side : sides) {
        while (blockSize > 0 && blockSize >= side)
            blockSize /= 2;
    }
    return blockSize;
}
