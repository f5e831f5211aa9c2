// Block detail transfer between two views. The cutting and pasting are
// synthesis work (synthesis/BlockDetails); the view picks the rectangle, runs
// that work as long work, sends the block and takes the pasted grid.
//
// The block travels by value: the connection is direct, so the receiver copies
// it inside the emit and the sender empties its own right after.

#include "diagnostics/Diagnostics.h"
#include "views/GLGrid.h"

#include <optional>
#include <utility>

bool GLGrid::runLongWork(const QString& step, const std::function<void()>& work)
{
    if (longWorkRunner)
        return longWorkRunner(step, work);
    work();
    return true;
}

void GLGrid::coarsenAndSendBlock()
{
    surface.settle(); // the long work copies the grid
    blockDetails = {};
    // The long work only reads the screen's heights and details; nothing changes them while it runs.
    const int levels = numDeets;
    BlockDetails cut;
    const bool finished = runLongWork(QStringLiteral("Cutting the block of details ..."), [&] {
        cut = cutBlockDetails(grid, selX1, selY1, selX2, selY2, levels);
    });
    if (!finished)
        return;

    diagnostics::reportf("Finished, sending details to left grid.\n");
    blockDetails = std::move(cut);
    emit sendBlockDetails(blockDetails);
    blockDetails = {};
}

void GLGrid::receiveBlockDetails(const BlockDetails& block)
{
    blockDetails = block;
}

void GLGrid::pasteBlockDetails()
{
    const int column = selX1;
    const int row = selY1;
    const int levels = numDeets;
    const BlockDetails block = blockDetails;

    // A surface fill in the view's worker may be making the normals being copied.
    surface.settle();
    // The paste works on a copy; the screen takes it only when the work finished
    // and the block fitted.
    std::optional<VeskGrid> pasted;
    const bool finished = runLongWork(QStringLiteral("Pasting the block of details ..."), [&] {
        pasted = gridWithBlockPasted(grid, block, column, row, levels);
    });
    if (!finished || !pasted)
        return;
    grid = std::move(*pasted);
    // Coarsening and refining back can change the size: the controls must show it.
    updateGUI();
    emit blockPasted();
}

void GLGrid::changeNumDeets(int num)
{
    numDeets = num;
    blockDetails = {};
    selX1 = -1;
    update();
}
