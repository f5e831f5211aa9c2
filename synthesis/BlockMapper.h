#pragma once

#include "grid/VeskGrid.h"
#include "synthesis/MatchSearch.h"

#include <QString>
#include <vector>

// A sample position on a grid: x is the column, y the row.
struct BlockPosition {
    int x = 0;
    int y = 0;
    bool operator==(const BlockPosition&) const = default;
};

// Finds, for each block of a terrain being synthesised (the tiled grid), the
// block of an example terrain whose shape is most alike, trying a number of
// random candidate positions per block. It only reads the two grids.
//
// Failures: the operations that can fail return false, print the reason on
// standard output and put a short text for a message box in `error`; they
// change nothing then (selectBlock's draws may have advanced the random
// generator; a failed or cancelled mapBlocks leaves it where it was).
class BlockMapper {
public:
    // The grids must stay alive and keep their sizes while the mapper is used.
    BlockMapper(const VeskGrid& tiledGrid, const VeskGrid& exampleGrid, int blockSize, int overlap);

    // Everything mapBlocks needs, checked without drawing anything: a block size
    // that tiles the tiled grid (step of at least 1, grid larger than a block),
    // an example with room for candidates (at least blockSize + 3 samples each
    // way, since candidates keep off row 0, column 0 and the last rows and columns)
    // and at least one candidate per block.
    bool canMap(int candidateCount, QString& error) const;

    // One example position per block of tileGrid(tiled size, blockSize, overlap),
    // in tiling order, and, when blockErrors is given, each one's blockError.
    // The random search gives exactly what selecting the blocks one after the
    // other in tiling order would, on any number of threads (RandomBlockSearch.h);
    // the refined search then improves it (RefinedBlockSearch.h). Progress counts
    // blocks; a cancel request makes it return false with "cancelledText()".
    // On failure `positions`, blockErrors and the random generator are left as they were.
    bool mapBlocks(int candidateCount, std::vector<BlockPosition>& positions, QString& error,
                   const MatchSearch& search = {}, std::vector<float>* blockErrors = nullptr);

    // The example position whose block differs least in shape from the tiled
    // block at tiledPosition; the first drawn candidate wins ties. Candidates are
    // drawn y first, then x, from [1, example height - blockHeight - 2] and
    // [1, example width - blockWidth - 2]. Fails when the block leaves the tiled
    // grid, a candidate range is empty or no candidate has a score that is a number.
    bool selectBlock(BlockPosition tiledPosition, int candidateCount, int blockWidth, int blockHeight,
                     BlockPosition& chosen, QString& error);

    // Sum of squared differences of the two blocks after each is reduced to zero
    // mean: a copy of the tiled block shifted in height scores 0. Both blocks must
    // lie inside their grids (selectBlock makes sure of it).
    float blockError(BlockPosition tiledPosition, BlockPosition examplePosition, int blockWidth,
                     int blockHeight) const;

    // The error text of a mapping stopped by its cancel request.
    static QString cancelledText();

    int blockSize = 0;
    int overlap = 0;
    int exampleWidth = 0;
    int exampleHeight = 0;
    int tiledWidth = 0;
    int tiledHeight = 0;
    const VeskGrid* exampleGrid = nullptr;
    const VeskGrid* tiledGrid = nullptr;
};
