// "Erode Left Terrain": the left screen's terrain erodes (rivers cut, hollows fill)
// with the command line's default settings, on a copy off the GUI thread; one undo step.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/WindowDocument.h"
#include "synthesis/HydraulicErosion.h"

#include <QStatusBar>

#include <utility>

void TalvaneMainWindow::erodeLeft()
{
    const QString step = QStringLiteral("Eroding the left terrain ...");
    BusyIndicator busy(statusBar(), step);
    ScreenContent work = document->copyOf(ScreenSide::left);
    bool eroded = false;
    QString error;
    if (!runOperation(step, [&](const diagnostics::Progress& progress) {
            ErosionSettings settings;
            settings.progress = progress;
            eroded = erodeTerrain(work.grid, settings, error);
        }))
        return;
    if (!eroded) {
        showMessage(error);
        return;
    }
    document->replace(ScreenSide::left, std::move(work), QStringLiteral("Erode"));
}
