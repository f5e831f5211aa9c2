// Scheme toggles, refine and coarsen of either screen, and the quilting options.

#include "app/TalvaneMainWindow.h"

#include "app/WindowDocument.h"

#include <QAction>
#include <QCheckBox>

void TalvaneMainWindow::refineLeft()
{
    refineScreen(ScreenSide::left, QStringLiteral("Refining the left terrain ..."),
                 QStringLiteral("Refine (Left Screen)"), QStringLiteral("The left terrain was not refined: "));
}

void TalvaneMainWindow::refineRight()
{
    refineScreen(ScreenSide::right, QStringLiteral("Refining the right terrain ..."),
                 QStringLiteral("Refine (Right Screen)"), QStringLiteral("The right terrain was not refined: "));
}

void TalvaneMainWindow::coarsenLeft()
{
    coarsenScreen(ScreenSide::left, QStringLiteral("Coarsening the left terrain ..."),
                  QStringLiteral("Coarsen (Left Screen)"));
}

void TalvaneMainWindow::coarsenRight()
{
    coarsenScreen(ScreenSide::right, QStringLiteral("Coarsening the right terrain ..."),
                  QStringLiteral("Coarsen (Right Screen)"));
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
