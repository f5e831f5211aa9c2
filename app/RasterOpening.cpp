// Opening a raster read through GDAL (GeoTIFF, .hgt, .img, .vrt) into a screen. The
// raster is read off the GUI thread into a grid of its own, so a file that is
// refused (or a cancelled read) leaves the screen showing what it showed; a
// raster that loads is put up and recorded for undo as any other load.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/ScreenContent.h"
#include "formats/GdalRasterImport.h"
#include "views/GLGrid.h"

#include <QFileInfo>
#include <QStatusBar>

#include <utility>

bool TalvaneMainWindow::openRaster(GLGrid* view, const QString& path, const QString& undoText)
{
    const QString step = QStringLiteral("Loading %1 ...").arg(QFileInfo(path).fileName());
    BusyIndicator busy(statusBar(), step);
    ScreenContent loaded;
    QString reason;
    bool ok = false;
    if (!runOperation(step, [&](const diagnostics::Progress&) { ok = loadGdalRaster(path, 1, loaded.grid, reason); }))
        return false;
    if (!ok) {
        showMessage(QStringLiteral("Terrain was not loaded due to: ") + reason);
        return false;
    }
    showAndRecord(undoText, view, std::move(loaded));
    return true;
}
