// Scheme toggles, refine and coarsen of either screen, and the quilting options.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "views/GLGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QStatusBar>

void TalvaneMainWindow::refineLeft()
{
    BusyIndicator busy(statusBar(), QStringLiteral("Refining the left terrain ..."));
    gLGrid1->subdivide(schemeNumber());
}

void TalvaneMainWindow::refineRight()
{
    BusyIndicator busy(statusBar(), QStringLiteral("Refining the right terrain ..."));
    gLGrid2->subdivide(schemeNumber());
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
