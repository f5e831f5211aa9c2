// Opening a raster read through GDAL (GeoTIFF, .hgt, .img, .vrt) into a screen. The
// raster is read into a grid of its own first, so a file that is refused leaves the
// screen showing what it showed.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "formats/GdalRasterImport.h"
#include "views/GLGrid.h"

#include <QFileInfo>
#include <QStatusBar>

bool TalvaneMainWindow::openRaster(GLGrid* view, const QString& path)
{
    VeskGrid loaded;
    QString reason;
    bool ok = false;
    {
        BusyIndicator busy(statusBar(), QStringLiteral("Loading %1 ...").arg(QFileInfo(path).fileName()));
        ok = loadGdalRaster(path, 1, loaded, reason);
    }
    if (!ok) {
        showMessage(QStringLiteral("Terrain was not loaded due to: ") + reason);
        return false;
    }
    // As the view's own loaders do: marks go, the picture and the controls follow.
    view->surface.settle();
    view->grid = loaded;
    view->marked = false;
    view->marks.clear();
    view->update();
    view->updateGUI();
    view->fitTerrain();
    return true;
}
