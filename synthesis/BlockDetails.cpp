#include "synthesis/BlockDetails.h"

#include "diagnostics/Diagnostics.h"
#include "multires/Chaikin.h"

#include <algorithm>
#include <utility>

namespace {

void stepBeforeColumnDetails(int& column, int& row)
{
    column -= 1;
    if (column < 0)
        column = 0;
    row /= 2;
}

void stepBeforeRowDetails(int& column, int& row)
{
    column /= 2;
    row += 1;
}

void stepAfterRowDetails(int& column, int& row)
{
    column += 1;
    row -= 1;
}

int firstRowLength(const FloatMatrix& matrix)
{
    return matrix.empty() ? 0 : static_cast<int>(matrix.front().size());
}

// Rows y1 .. y2-1, values x1 .. x2-1 of the matrix, clipped to what the matrix
// holds: rows past its end are left out, and each row keeps only the values
// its matrix row has. The block's first value stays at (x1, y1).
FloatMatrix cutBlock(const FloatMatrix& matrix, int x1, int y1, int x2, int y2)
{
    const int rows = std::max(0, std::min(y2, static_cast<int>(matrix.rows())) - y1);
    const int columns = std::max(0, std::min(x2, static_cast<int>(matrix.columns())) - x1);
    FloatMatrix block = FloatMatrix::uninitialized(rows, columns);
    for (int row = 0; row < rows; ++row)
        std::copy_n(matrix[static_cast<std::size_t>(y1 + row)].data() + x1, columns, block[row].data());
    return block;
}

// Overwrites the matrix with the block whose first value goes to (column, row);
// what falls outside the matrix is dropped.
void pasteBlock(FloatMatrix& matrix, const FloatMatrix& block, int column, int row)
{
    for (std::size_t i = 0; i < block.size(); ++i) {
        const long long targetRow = static_cast<long long>(row) + static_cast<long long>(i);
        if (targetRow < 0)
            continue;
        if (targetRow >= static_cast<long long>(matrix.size()))
            break;
        FloatRow& target = matrix[static_cast<std::size_t>(targetRow)];
        for (std::size_t j = 0; j < block[i].size(); ++j) {
            const long long targetColumn = static_cast<long long>(column) + static_cast<long long>(j);
            if (targetColumn < 0)
                continue;
            if (targetColumn >= static_cast<long long>(target.size()))
                break;
            target[static_cast<std::size_t>(targetColumn)] = block[i][j];
        }
    }
}

// One Chaikin coarsening that is known to have pushed its two matrices.
bool coarsenOneLevel(VeskGrid& grid)
{
    const std::size_t before = grid.details.size();
    reverseChaikin(grid);
    return grid.details.size() >= before + 2;
}

void reportCopiedLevels(int levels)
{
    diagnostics::reportf("%i levels of details were copied\n.", levels);
}

} // namespace

BlockDetails cutBlockDetails(const VeskGrid& grid, int x1, int y1, int x2, int y2, int levels)
{
    int left = std::max(0, std::min(x1, x2));
    int right = std::max(0, std::max(x1, x2));
    int top = std::max(0, std::min(y1, y2));
    int bottom = std::max(0, std::max(y1, y2));
    diagnostics::reportf("original block is: %i,%i - %i,%i -> c is %i X %i\n", left, top, right, bottom, grid.width,
                         grid.height);
    BlockDetails block;
    block.width = right - left;
    block.height = bottom - top;

    // Cut from a coarsened copy: coarsening the grid itself and refining it back would
    // leave the rounding of both steps in its heights.
    VeskGrid coarse = grid;
    for (int level = 0; level < levels; ++level) {
        const std::size_t columnDetailsIndex = coarse.details.size();
        if (!coarsenOneLevel(coarse)) {
            diagnostics::reportf("Danger, unable to coarsen!  Only %i levels of details copied.\n", level);
            break;
        }
        const FloatMatrix& columnDetails = coarse.details[columnDetailsIndex];
        stepBeforeColumnDetails(left, top);
        stepBeforeColumnDetails(right, bottom);
        diagnostics::reportf("col details: %i,%i - %i,%i -> d is %i X %i\n", left, top, right, bottom,
                             firstRowLength(columnDetails), static_cast<int>(columnDetails.size()));
        block.matrices.push_back(cutBlock(columnDetails, left, top, right, bottom));

        const FloatMatrix& rowDetails = coarse.details[columnDetailsIndex + 1];
        stepBeforeRowDetails(left, top);
        stepBeforeRowDetails(right, bottom);
        diagnostics::reportf("row details: %i,%i - %i,%i -> d is %i X %i\n", left, top, right, bottom,
                             firstRowLength(rowDetails), static_cast<int>(rowDetails.size()));
        block.matrices.push_back(cutBlock(rowDetails, left, top, right, bottom));

        stepAfterRowDetails(left, top);
        stepAfterRowDetails(right, bottom);
    }
    return block;
}

std::optional<VeskGrid> gridWithBlockPasted(const VeskGrid& grid, const BlockDetails& block, int column, int row,
                                            int levels)
{
    const bool inside = column >= 0 && column < grid.width && row >= 0 && row < grid.height;
    if (block.empty() || !inside || levels < 1) {
        reportCopiedLevels(0);
        return std::nullopt;
    }
    VeskGrid pasted = grid;
    pasted.clearDetails();
    // A grid too small for another level stays as it is, so stop at the first refusal.
    int levelsCoarsened = 0;
    while (levelsCoarsened < levels && coarsenOneLevel(pasted))
        ++levelsCoarsened;
    if (levelsCoarsened == 0) {
        reportCopiedLevels(0);
        return std::nullopt;
    }

    std::size_t entry = 0;
    for (; entry < block.matrices.size() && entry < pasted.details.size(); ++entry) {
        const bool columnDetails = entry % 2 == 0;
        if (columnDetails)
            stepBeforeColumnDetails(column, row);
        else
            stepBeforeRowDetails(column, row);
        pasteBlock(pasted.details[entry], block.matrices[entry], column, row);
        if (!columnDetails)
            stepAfterRowDetails(column, row);
    }
    reportCopiedLevels(static_cast<int>(entry / 2));

    // Refine back only what was coarsened: a grid that could not be coarsened as
    // often as asked must not grow by refinements without details.
    for (int level = 0; level < levelsCoarsened; ++level)
        subdivideChaikin(pasted);
    return pasted;
}
