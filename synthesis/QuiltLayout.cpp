#include "synthesis/QuiltLayout.h"
#include "diagnostics/Diagnostics.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int smallestQuiltBlockSize = 2;
constexpr int fewestCandidates = 40;
// Room a candidate block needs inside the example: it keeps off row 0 and
// column 0 and the last two rows and columns beyond its own extent.
constexpr int candidateMargin = 3;

} // namespace

bool planQuiltLayout(int requestedBlockSize, int baseWidth, int baseHeight, int exampleWidth, int exampleHeight,
                     QuiltLayout& layout, QString& error)
{
    int overlap = requestedBlockSize / 5;
    const int blockSize =
        halveBlockSizeBelow(requestedBlockSize, {exampleWidth, exampleHeight, baseWidth, baseHeight});
    if (blockSize < smallestQuiltBlockSize) {
        diagnostics::reportf("Error, block size = %i, must be %i or greater!\n", blockSize, smallestQuiltBlockSize);
        error = QStringLiteral("The block size comes to %1 for these terrains (base %2 x %3, example %4 x %5); "
                               "it must be %6 or greater.")
                    .arg(blockSize)
                    .arg(baseWidth)
                    .arg(baseHeight)
                    .arg(exampleWidth)
                    .arg(exampleHeight)
                    .arg(smallestQuiltBlockSize);
        return false;
    }
    // Halving does not shrink the overlap by itself; once it would leave a step
    // no larger than the overlap, keep the requested proportion instead.
    if (blockSize <= 2 * overlap)
        overlap = blockSize / 5;
    if (exampleWidth < blockSize + candidateMargin || exampleHeight < blockSize + candidateMargin) {
        const int emptyExtent = std::min(exampleWidth, exampleHeight) - blockSize - 2;
        diagnostics::reportf("Error in getRand, max=%1.3f, min=%1.3f\n", static_cast<double>(emptyExtent), 1.0);
        error = QStringLiteral("The example terrain (%1 x %2) is too small for blocks of %3 samples.")
                    .arg(exampleWidth)
                    .arg(exampleHeight)
                    .arg(blockSize);
        return false;
    }
    const long long exampleArea = static_cast<long long>(exampleWidth) * exampleHeight;
    const long long blockArea = static_cast<long long>(blockSize) * blockSize;
    layout.overlap = overlap;
    layout.blockSize = blockSize;
    layout.candidateCount = static_cast<int>(std::max<long long>(exampleArea / blockArea, fewestCandidates));
    layout.tiling = tileGrid(baseWidth, baseHeight, blockSize, overlap);
    return true;
}

DetailLevelShape detailLevelShape(DetailLevelKind kind, int width, int height)
{
    // Details a line of n coarse samples carries: n - 2 (Chaikin) or n - 1 (Faber).
    const int fewerDetails = kind == DetailLevelKind::faber ? 1 : 2;
    DetailLevelShape shape;
    shape.rowDetailRows = height;
    shape.rowDetailColumns = width - fewerDetails;
    shape.columnDetailRows = height - fewerDetails;
    // The column pass runs after the row pass has refined the rows to their fine width.
    shape.columnDetailColumns = 2 * width - fewerDetails;
    return shape;
}

DetailPaste columnDetailsPaste(const TiledBlock& block, BlockPosition example, const BlockTiling& tiling,
                               DetailLevelKind kind)
{
    const bool faber = kind == DetailLevelKind::faber;
    const bool firstRow = block.blockRow == 0;
    const bool lastRow = block.blockRow == tiling.blocksPerColumn - 1;
    const bool lastColumn = block.blockColumn == tiling.blocksPerRow - 1;
    const int pasteColumns = block.blockColumn == 0 ? block.width - 1 : block.width;
    DetailPaste paste;
    paste.sourceColumn = std::max(0, 2 * example.x - 2);
    paste.sourceRow = std::max(0, example.y - 1);
    paste.destinationColumn = std::max(0, 2 * block.x - 2);
    paste.destinationRow = std::max(0, block.y - 1);
    paste.width = 2 * pasteColumns + (faber && lastColumn ? 1 : 0);
    paste.height = (firstRow || (lastRow && !faber)) ? block.height - 1 : block.height;
    return paste;
}

DetailPaste rowDetailsPaste(const TiledBlock& block, BlockPosition example, const BlockTiling& tiling,
                            DetailLevelKind kind)
{
    const bool faber = kind == DetailLevelKind::faber;
    const bool firstColumn = block.blockColumn == 0;
    const bool lastColumn = block.blockColumn == tiling.blocksPerRow - 1;
    DetailPaste paste;
    paste.sourceColumn = std::max(0, example.x - 1);
    paste.sourceRow = example.y;
    paste.destinationColumn = std::max(0, block.x - 1);
    paste.destinationRow = block.y;
    paste.width = (firstColumn || (lastColumn && !faber)) ? block.width - 1 : block.width;
    paste.height = block.height;
    return paste;
}
