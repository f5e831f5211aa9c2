#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/Icons.h"
#include "app/UserDialogs.h"
#include "formats/GdalRasterImport.h"
#include "views/GLGrid.h"

#include <QAction>
#include <QFileInfo>
#include <QStatusBar>

TalvaneMainWindow::TalvaneMainWindow(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QMainWindow(parent, flags),
      refineIcon(makeRefineIcon()),
      coarsenIcon(makeCoarsenIcon()),
      dialogs(std::make_unique<QtUserDialogs>())
{
    setObjectName(name != nullptr ? QString::fromLatin1(name) : QStringLiteral("TalvaneMainWindow"));
    buildForm();
    languageChange();
    resize(QSize(950, 761).expandedTo(minimumSizeHint()));
    makeConnections();
    init();
}

TalvaneMainWindow::~TalvaneMainWindow() = default;

void TalvaneMainWindow::init()
{
    requestedBlockSize = 100;
    rescaleBeforeQuilting = true;
    rescaleAfterQuilting = true;
}

void TalvaneMainWindow::setUserDialogs(std::unique_ptr<UserDialogs> replacement)
{
    if (replacement)
        dialogs = std::move(replacement);
}

UserDialogs& TalvaneMainWindow::userDialogs() const
{
    return *dialogs;
}

void TalvaneMainWindow::showMessage(const QString& text)
{
    dialogs->showMessage(this, QStringLiteral("Talvane"), text);
}

int TalvaneMainWindow::schemeNumber() const
{
    if (multiresolutionChaikinAction->isChecked())
        return 1;
    if (multiresolutionTraditionalAction->isChecked())
        return 2;
    if (multiresolutionFaberAction->isChecked())
        return 3;
    return 0;
}

bool TalvaneMainWindow::openTerrainLeft(const QString& path)
{
    return openTerrain(gLGrid1, path, true);
}

bool TalvaneMainWindow::openTerrainRight(const QString& path)
{
    return openTerrain(gLGrid2, path, false);
}

bool TalvaneMainWindow::openTerrain(GLGrid* view, const QString& path, bool leftScreen)
{
    if (path.isEmpty())
        return false;
    if (hasGdalRasterExtension(path))
        return openRaster(view, path);
    {
        BusyIndicator busy(statusBar(), QStringLiteral("Loading %1 ...").arg(QFileInfo(path).fileName()));
        // The last character decides the format: an ASCII grid (.grd, or any
        // name ending in d) or a binary float grid.
        const QChar last = path.back();
        const bool asciiGrid = last == QLatin1Char('d') || last == QLatin1Char('D');
        if (leftScreen && asciiGrid)
            emit loadGRDFile1(path);
        else if (leftScreen)
            emit loadFLTFile1(path);
        else if (asciiGrid)
            emit loadGRDFile2(path);
        else
            emit loadFLTFile2(path);
    }
    if (view->grid.hasData)
        return true;
    const QString reason = view->grid.lastError.isEmpty() ? QStringLiteral("the file could not be read")
                                                          : view->grid.lastError;
    showMessage(QStringLiteral("Terrain was not loaded due to: ") + reason);
    return false;
}
