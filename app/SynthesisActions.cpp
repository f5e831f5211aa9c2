// "Go": the left screen's terrain (the base) gets the detail of the right
// screen's terrain (the example), by multifractal mapping while the fractal
// scheme is selected, otherwise by detail quilting followed by one refinement.
// Both run on copies off the GUI thread; the screens change only when the whole
// transfer is done, so a cancel or a refusal leaves both as they were.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/ScreenContent.h"
#include "diagnostics/Diagnostics.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/MatchSearch.h"
#include "synthesis/MultifractalMapping.h"
#include "synthesis/QuiltMatches.h"
#include "synthesis/TransferBlockSize.h"
#include "views/GLGrid.h"
#include "views/TerrainSteps.h"

#include <QAction>
#include <QCheckBox>
#include <QStatusBar>

#include <utility>

namespace {

void markRectangle(ScreenContent& screen, const QuiltRectangle& rectangle)
{
    addTerrainMark(screen.grid, screen.marks, rectangle.x, rectangle.y, rectangle.width, rectangle.height);
}

// A "Go" starts by clearing the marks of both screens.
ScreenContent unmarkedCopyOf(GLGrid& view)
{
    ScreenContent copy = copyOfScreen(view);
    copy.marked = false;
    copy.marks.clear();
    return copy;
}

} // namespace

void TalvaneMainWindow::doTextureTransfer()
{
    ScreenContent base = unmarkedCopyOf(*gLGrid1);
    ScreenContent example = unmarkedCopyOf(*gLGrid2);
    const int blockSize = transferBlockSize(requestedBlockSize, base.grid.width, base.grid.height);
    const bool rescaleBefore = rescaleBeforeQuilting;
    const bool rescaleAfter = rescaleAfterQuilting;
    const int scheme = schemeNumber();
    MatchSearch search;
    search.mode = refineMatchesCB->isChecked() ? MatchSearch::Mode::refined : MatchSearch::Mode::random;
    QString error;

    if (multiresolutionTraditionalAction->isChecked()) {
        const QString step = QStringLiteral("Mapping the example's roughness onto the left terrain ...");
        BusyIndicator busy(statusBar(), step);
        bool mapped = false;
        if (!runOperation(step, [&](const diagnostics::Progress& progress) {
                search.progress = progress;
                mapped = multifractalMapping(base.grid, example.grid, blockSize, rescaleBefore, rescaleAfter, error,
                                             nullptr, search);
            }))
            return;
        if (!mapped) {
            showMessage(error);
            return;
        }
        // Mapping trims an odd side of the example for good: its screen shows the new size.
        showAndRecord(QStringLiteral("Go"), std::move(base), std::move(example));
        return;
    }

    const QString step = QStringLiteral("Quilting the example's detail onto the left terrain ...");
    BusyIndicator busy(statusBar(), step);
    bool quilted = false;
    bool refined = false;
    if (!runOperation(step, [&](const diagnostics::Progress& progress) {
            // The bar follows the blocks matched; a cancel stops the matching.
            search.progress = progress;
            QuiltMatches matches;
            quilted = quiltDetails(base.grid, example.grid, blockSize, matches, rescaleBefore, rescaleAfter, error,
                                   search);
            if (!quilted || progress.cancelled())
                return;
            base.marked = true;
            example.marked = true;
            const auto& rectangles = matches.rectangles;
            diagnostics::reportf("markpoints are %i,%i %i,%i %i,%i %i,%i\n", rectangles[0].x, rectangles[0].y,
                        rectangles[1].x, rectangles[1].y, rectangles[2].x, rectangles[2].y, rectangles[3].x,
                        rectangles[3].y);
            markRectangle(base, rectangles[QuiltMatches::middleBase]);
            markRectangle(example, rectangles[QuiltMatches::middleExample]);
            markRectangle(base, rectangles[QuiltMatches::randomBase]);
            markRectangle(example, rectangles[QuiltMatches::randomExample]);
            // The left screen's refinement, as refineLeft() does.
            refined = subdivideTerrain(base.grid, base.marks, scheme);
        }))
        return;
    if (!quilted) {
        showMessage(error);
        return;
    }
    if (!refined) {
        showMessage(QStringLiteral("The left terrain was not refined with the quilted details: ")
                    + base.grid.lastError.trimmed());
        return;
    }
    showAndRecord(QStringLiteral("Go"), std::move(base), std::move(example));
}
