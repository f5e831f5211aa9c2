// "Go": the left screen's terrain (the base) gets the detail of the right
// screen's terrain (the example), by multifractal mapping while the fractal
// scheme is selected, otherwise by detail quilting followed by one refinement.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "diagnostics/Diagnostics.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/MultifractalMapping.h"
#include "synthesis/QuiltMatches.h"
#include "synthesis/TransferBlockSize.h"
#include "views/GLGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QStatusBar>

#include <vector>

namespace {

// The marks of a view, kept so that a refused transfer can put them back.
struct SavedMarks {
    bool marked = false;
    std::vector<int> marks;
};

SavedMarks takeMarks(GLGrid* view)
{
    SavedMarks saved{view->marked, view->marks};
    view->clearMarked();
    return saved;
}

void restoreMarks(GLGrid* view, const SavedMarks& saved)
{
    view->marked = saved.marked;
    view->marks = saved.marks;
    view->update();
}

void markRectangle(GLGrid* view, const QuiltRectangle& rectangle)
{
    view->addMarked(rectangle.x, rectangle.y, rectangle.width, rectangle.height);
}

} // namespace

void TalvaneMainWindow::doTextureTransfer()
{
    VeskGrid& base = gLGrid1->grid;
    VeskGrid& example = gLGrid2->grid;
    const SavedMarks leftMarks = takeMarks(gLGrid1);
    const SavedMarks rightMarks = takeMarks(gLGrid2);
    const int blockSize = transferBlockSize(requestedBlockSize, base.width, base.height);
    MatchSearch search;
    search.mode = refineMatchesCB->isChecked() ? MatchSearch::Mode::refined : MatchSearch::Mode::random;
    QString error;

    if (multiresolutionTraditionalAction->isChecked()) {
        const int exampleWidth = example.width;
        const int exampleHeight = example.height;
        bool mapped = false;
        {
            BusyIndicator busy(statusBar(), QStringLiteral("Mapping the example's roughness onto the left terrain ..."));
            mapped = multifractalMapping(base, example, blockSize, rescaleBeforeQuilting, rescaleAfterQuilting, error,
                                         nullptr, search);
        }
        if (!mapped) {
            restoreMarks(gLGrid1, leftMarks);
            restoreMarks(gLGrid2, rightMarks);
            showMessage(error);
            return;
        }
        gLGrid1->updateGUI();
        gLGrid1->listDirty = true;
        gLGrid1->update();
        // Mapping trims an odd side of the example for good: its screen must show the new size.
        if (example.width != exampleWidth || example.height != exampleHeight)
            gLGrid2->updateGUI();
        return;
    }

    // Quilting replaces the base's detail stack; should the refinement that follows refuse
    // that level (the example was coarsened under another scheme), the base gets it back.
    const VeskGrid baseBefore = base;
    QuiltMatches matches;
    bool quilted = false;
    {
        BusyIndicator busy(statusBar(), QStringLiteral("Quilting the example's detail onto the left terrain ..."));
        quilted = quiltDetails(base, example, blockSize, matches, rescaleBeforeQuilting, rescaleAfterQuilting, error,
                               search);
    }
    if (!quilted) {
        restoreMarks(gLGrid1, leftMarks);
        restoreMarks(gLGrid2, rightMarks);
        showMessage(error);
        return;
    }

    gLGrid1->setMarked(true);
    gLGrid2->setMarked(true);
    const auto& rectangles = matches.rectangles;
    diagnostics::reportf("markpoints are %i,%i %i,%i %i,%i %i,%i\n", rectangles[0].x, rectangles[0].y, rectangles[1].x,
                         rectangles[1].y, rectangles[2].x, rectangles[2].y, rectangles[3].x, rectangles[3].y);
    markRectangle(gLGrid1, rectangles[QuiltMatches::middleBase]);
    markRectangle(gLGrid2, rectangles[QuiltMatches::middleExample]);
    markRectangle(gLGrid1, rectangles[QuiltMatches::randomBase]);
    markRectangle(gLGrid2, rectangles[QuiltMatches::randomExample]);
    // The left screen's refinement, as refineLeft() does, but a refusal gives the base back.
    if (!refineView(gLGrid1, QStringLiteral("Refining the left terrain ..."))) {
        const QString reason = base.lastError;
        base = baseBefore;
        restoreMarks(gLGrid1, leftMarks);
        restoreMarks(gLGrid2, rightMarks);
        gLGrid1->updateGUI();
        showMessage(QStringLiteral("The left terrain was not refined with the quilted details: ") + reason.trimmed());
    }
}
