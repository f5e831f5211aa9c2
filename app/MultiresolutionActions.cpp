// Scheme toggles, refine and coarsen of either screen, and the quilting options.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "views/GLGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QStatusBar>

void TalvaneMainWindow::refineLeft()
{
    if (!refineView(gLGrid1, QStringLiteral("Refining the left terrain ...")))
        showMessage(QStringLiteral("The left terrain was not refined: ") + gLGrid1->grid.lastError.trimmed());
}

void TalvaneMainWindow::refineRight()
{
    if (!refineView(gLGrid2, QStringLiteral("Refining the right terrain ...")))
        showMessage(QStringLiteral("The right terrain was not refined: ") + gLGrid2->grid.lastError.trimmed());
}

// Every refinement changes the width (to 2W - 2 or 2W - 1); an unchanged width means the
// scheme refused (details that do not fit, a grid too small or empty) and said why.
bool TalvaneMainWindow::refineView(GLGrid* view, const QString& busyText)
{
    const int widthBefore = view->grid.width;
    BusyIndicator busy(statusBar(), busyText);
    view->subdivide(schemeNumber());
    return view->grid.width != widthBefore;
}

void TalvaneMainWindow::coarsenLeft()
{
    BusyIndicator busy(statusBar(), QStringLiteral("Coarsening the left terrain ..."));
    gLGrid1->unsubdivide(schemeNumber());
}

void TalvaneMainWindow::coarsenRight()
{
    BusyIndicator busy(statusBar(), QStringLiteral("Coarsening the right terrain ..."));
    gLGrid2->unsubdivide(schemeNumber());
}

// The toggles are set explicitly, so choosing the entry that is already on
// leaves it on: exactly one scheme is on afterwards.
void TalvaneMainWindow::toggleOnChaikin()
{
    multiresolutionTraditionalAction->setChecked(false);
    multiresolutionFaberAction->setChecked(false);
    multiresolutionChaikinAction->setChecked(true);
}

void TalvaneMainWindow::toggleOnTraditional()
{
    multiresolutionChaikinAction->setChecked(false);
    multiresolutionTraditionalAction->setChecked(true);
    multiresolutionFaberAction->setChecked(false);
}

void TalvaneMainWindow::toggleOnFaber()
{
    multiresolutionChaikinAction->setChecked(false);
    multiresolutionTraditionalAction->setChecked(false);
    multiresolutionFaberAction->setChecked(true);
}

// Rescaling back afterwards only makes sense after rescaling for the match.
void TalvaneMainWindow::quiltingrescalebefore(bool on)
{
    rescaleBeforeQuilting = on;
    if (!on) {
        rescaleAfterCB->setChecked(false);
        rescaleAfterQuilting = false;
    }
}

void TalvaneMainWindow::quiltingrescaleafter(bool on)
{
    rescaleAfterQuilting = on;
}

void TalvaneMainWindow::changeRequestedBlockSize(int size)
{
    requestedBlockSize = size;
}
