// Block detail transfer: the sending view coarsens a copy of its grid, cuts a selected
// block out of every detail matrix it produced and sends the blocks; the
// receiving view keeps them and pastes them into its own details where the
// user releases the middle button, then refines back to full resolution.
//
// How the block list travels. The signal sendBlockDetails(float*, int, int)
// keeps the argument list of the window's connection, but its pointer is not
// an array of floats: it is the address of the sender's blockDetails (a
// std::vector<FloatMatrix>, two matrices per level: column-details block, then
// row-details block) converted to float*. The connection is direct, so
// receiveBlockDetails runs inside the emit, converts the pointer back and
// copies the whole list before the sender empties it. The list is only alive
// while the emit runs, so the receiver accepts exactly the address that a
// view is sending at that moment and ignores any other pointer.
//
// Position mapping. Both sides follow a sample position (column c, row r) from
// one level to the next with the same integer steps:
//   before a column-details matrix: c - 1 (clamped to 0), r / 2
//   before a row-details matrix:    c / 2,                r + 1
//   after a row-details matrix:     c + 1,                r - 1

#include "diagnostics/Diagnostics.h"
#include "views/GLGrid.h"

#include "multires/Chaikin.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// The list being sent right now, or none.
const std::vector<FloatMatrix>* blockListInFlight = nullptr;

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
    FloatMatrix block;
    const int lastRow = std::min(y2, static_cast<int>(matrix.size()));
    for (int row = y1; row < lastRow; ++row) {
        const std::vector<float>& source = matrix[static_cast<std::size_t>(row)];
        const int lastColumn = std::min(x2, static_cast<int>(source.size()));
        std::vector<float> values;
        for (int column = x1; column < lastColumn; ++column)
            values.push_back(source[static_cast<std::size_t>(column)]);
        block.push_back(std::move(values));
    }
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
        std::vector<float>& target = matrix[static_cast<std::size_t>(targetRow)];
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

} // namespace

bool GLGrid::runLongWork(const QString& step, const std::function<void()>& work)
{
    if (longWorkRunner)
        return longWorkRunner(step, work);
    work();
    return true;
}

void GLGrid::coarsenAndSendBlock()
{
    surface.settle(); // the grid is coarsened and refined back below
    // The release orders the corners; a selection reaching left of or above
    // the grid starts at its edge.
    int x1 = std::max(0, std::min(selX1, selX2));
    int x2 = std::max(0, std::max(selX1, selX2));
    int y1 = std::max(0, std::min(selY1, selY2));
    int y2 = std::max(0, std::max(selY1, selY2));

    diagnostics::reportf("original block is: %i,%i - %i,%i -> c is %i X %i\n", x1, y1, x2, y2, grid.width,
                grid.height);
    blockDetails.clear();
    const int sentWidth = x2 - x1;
    const int sentHeight = y2 - y1;

    // The levels are cut from a coarsened copy: coarsening the sender's own grid
    // and refining it back would leave the rounding of both steps in its heights.
    // The copy is made and coarsened in the long work, which reads the screen's
    // heights and details only; nothing changes them while it runs.
    const int levels = numDeets;
    std::vector<FloatMatrix> cut;
    const bool finished = runLongWork(QStringLiteral("Cutting the block of details ..."), [&] {
        VeskGrid coarse = grid;
        for (int level = 0; level < levels; ++level) {
            const std::size_t columnDetailsIndex = coarse.details.size();
            if (!coarsenOneLevel(coarse)) {
                diagnostics::reportf("Danger, unable to coarsen!  Only %i levels of details copied.\n", level);
                break;
            }
            const FloatMatrix& columnDetails = coarse.details[columnDetailsIndex];
            stepBeforeColumnDetails(x1, y1);
            stepBeforeColumnDetails(x2, y2);
            diagnostics::reportf("col details: %i,%i - %i,%i -> d is %i X %i\n", x1, y1, x2, y2,
                        firstRowLength(columnDetails), static_cast<int>(columnDetails.size()));
            cut.push_back(cutBlock(columnDetails, x1, y1, x2, y2));

            const FloatMatrix& rowDetails = coarse.details[columnDetailsIndex + 1];
            stepBeforeRowDetails(x1, y1);
            stepBeforeRowDetails(x2, y2);
            diagnostics::reportf("row details: %i,%i - %i,%i -> d is %i X %i\n", x1, y1, x2, y2,
                        firstRowLength(rowDetails), static_cast<int>(rowDetails.size()));
            cut.push_back(cutBlock(rowDetails, x1, y1, x2, y2));

            stepAfterRowDetails(x1, y1);
            stepAfterRowDetails(x2, y2);
        }
    });
    if (!finished)
        return;

    diagnostics::reportf("Finished, sending details to left grid.\n");
    blockDetails = std::move(cut);
    blockListInFlight = &blockDetails;
    emit sendBlockDetails(reinterpret_cast<float*>(&blockDetails), sentWidth, sentHeight);
    blockListInFlight = nullptr;
    blockDetails.clear();
}

void GLGrid::receiveBlockDetails(float* details, int width, int height)
{
    const auto* list = reinterpret_cast<const std::vector<FloatMatrix>*>(details);
    if (list == nullptr || list != blockListInFlight) {
        diagnostics::reportf("Error - block details ignored: no view is sending a block at this address\n");
        return;
    }
    blockDetails = *list;
    blockWidth = width;
    blockHeight = height;
}

void GLGrid::pasteBlockDetails()
{
    int column = selX1;
    int row = selY1;
    const int levels = numDeets;
    const std::vector<FloatMatrix> block = blockDetails;

    // A surface fill in the view's worker may be making the normals being copied.
    surface.settle();
    // The paste works on a copy; the screen takes it only when the work finished.
    VeskGrid pasted;
    const bool finished = runLongWork(QStringLiteral("Pasting the block of details ..."), [&] {
        pasted = grid;
        pasted.clearDetails();
        // A grid too small for another level stays as it is, so stop at the first refusal.
        int levelsCoarsened = 0;
        while (levelsCoarsened < levels && coarsenOneLevel(pasted))
            ++levelsCoarsened;

        std::size_t entry = 0;
        for (; entry < block.size() && entry < pasted.details.size(); ++entry) {
            const bool columnDetails = entry % 2 == 0;
            if (columnDetails)
                stepBeforeColumnDetails(column, row);
            else
                stepBeforeRowDetails(column, row);
            pasteBlock(pasted.details[entry], block[entry], column, row);
            if (!columnDetails)
                stepAfterRowDetails(column, row);
        }
        diagnostics::reportf("%i levels of details were copied\n.", static_cast<int>(entry / 2));

        // Refine back only what was coarsened: a grid that could not be coarsened
        // must not grow by refinements without details.
        for (int level = 0; level < levelsCoarsened; ++level)
            subdivideChaikin(pasted);
    });
    if (!finished)
        return;
    grid = std::move(pasted);
    // Coarsening and refining back can change the size: the controls must show it.
    updateGUI();
    emit blockPasted();
}

void GLGrid::changeNumDeets(int num)
{
    numDeets = num;
    blockDetails.clear();
    selX1 = -1;
    update();
}
