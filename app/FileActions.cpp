// Opening and saving terrains and details, and saving a split. Every result the
// user must know of ends in a message box captioned "Talvane"; the grids print
// their own diagnostics. Reading and writing run in the operation runner: a save
// reads the screen's grid from the worker while nothing may change it.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/ScreenContent.h"
#include "app/UserDialogs.h"
#include "formats/TerrainFormatTable.h"
#include "views/GLGrid.h"

#include <QStatusBar>

namespace {

// The last file chosen by each open dialog, for the next dialog of the same
// kind to start at; shared by every window of the process.
QString& lastTerrainPathLeft()
{
    static QString path;
    return path;
}

QString& lastTerrainPathRight()
{
    static QString path;
    return path;
}

QString& lastDetailsPath()
{
    static QString path;
    return path;
}

QString noDataText()
{
    return QStringLiteral("Grid has no data");
}

QString notSavedText(const QString& reason)
{
    return QStringLiteral("Details were not saved due to: ") + reason;
}

FileDialogRequest terrainOpenRequest(const QString& startPath)
{
    return {QStringLiteral("Open File"), QStringLiteral("Open File"), openDialogFilter(), startPath};
}

// The format of the filter chosen, else of the name's extension, else of the dialog's
// first filter (the one a dialog selects unless told otherwise).
const TerrainFormatRow& formatToSave(const SaveDialogAnswer& answer, const QString& offeredFilters)
{
    if (const TerrainFormatRow* chosen = terrainFormatOfFilter(answer.selectedFilter))
        return *chosen;
    const TerrainFormatRow* named = terrainFormatByExtension(answer.fileName);
    if (named && named->write)
        return *named;
    const TerrainFormatRow* first = terrainFormatOfFilter(offeredFilters.section(QStringLiteral(";;"), 0, 0));
    return first ? *first : terrainFormatRow(TerrainFormat::AsciiGrid);
}

// Appends an extension unless the name already holds it somewhere.
QString withExtension(const QString& name, const QString& extension)
{
    return name.contains(extension) ? name : name + extension;
}

} // namespace

void TalvaneMainWindow::openFileGrid1()
{
    const QString path = dialogs->askOpenFileName(this, terrainOpenRequest(lastTerrainPathLeft()));
    if (path.isEmpty())
        return;
    lastTerrainPathLeft() = path;
    openTerrainLeft(path);
}

void TalvaneMainWindow::openFileGrid2()
{
    const QString path = dialogs->askOpenFileName(this, terrainOpenRequest(lastTerrainPathRight()));
    if (path.isEmpty())
        return;
    lastTerrainPathRight() = path;
    openTerrainRight(path);
}

void TalvaneMainWindow::openDetailsFile()
{
    const FileDialogRequest request{QStringLiteral("Open File"), QStringLiteral("Open Details File"),
                                    QStringLiteral("Details File (*.dtl)"), lastDetailsPath()};
    const QString path = dialogs->askOpenFileName(this, request);
    if (path.isEmpty())
        return;
    lastDetailsPath() = path;

    // The view ignores details for an empty screen.
    if (!gLGrid1->grid.hasData) {
        showMessage(QStringLiteral("Details were not loaded due to: ") + noDataText());
        return;
    }
    const QString step = QStringLiteral("Loading details ...");
    BusyIndicator busy(statusBar(), step);
    ScreenContent work = copyOfScreen(*gLGrid1);
    bool loaded = false;
    if (!runOperation(step, [&](const diagnostics::Progress&) { loaded = work.grid.loadDetail(path); }))
        return;
    // The grid says why it refused a file.
    if (!loaded) {
        showMessage(QStringLiteral("Details were not loaded due to: ") + work.grid.lastError);
        return;
    }
    showAndRecord(QStringLiteral("Load Details (Left Screen)"), gLGrid1, std::move(work));
}

void TalvaneMainWindow::saveTerrainFileLeft()
{
    saveLeftTerrain(QStringLiteral("Save File"), saveDialogFilter());
}

void TalvaneMainWindow::saveTerrainGeoTiffLeft()
{
    saveLeftTerrain(QStringLiteral("Save As GeoTIFF"), dialogFilterOf(terrainFormatRow(TerrainFormat::GeoTiff)));
}

void TalvaneMainWindow::saveLeftTerrain(const QString& caption, const QString& filter)
{
    const FileDialogRequest request{QStringLiteral("Save File"), caption, filter, QString()};
    SaveDialogAnswer answer;
    if (!dialogs->askSaveFileName(this, request, answer))
        return;

    VeskGrid& grid = gLGrid1->grid;
    const TerrainFormatRow& format = formatToSave(answer, filter);
    const QString fileName = withExtension(answer.fileName, QLatin1Char('.') + format.extensions.front());
    // An empty screen would write a file of nothing: say so instead.
    if (!grid.hasData) {
        showMessage(QStringLiteral("Terrain was not saved due to: ") + noDataText());
        return;
    }
    QString reason;
    bool saved = false;
    const QString step = QStringLiteral("Saving %1 ...").arg(fileName);
    BusyIndicator busy(statusBar(), step);
    if (!runOperation(step, [&](const diagnostics::Progress&) { saved = format.write(grid, fileName, reason); }))
        return;
    // A successful save stays silent; a failed one must not look like success.
    if (!saved)
        showMessage(QStringLiteral("Terrain was not saved due to: ") + reason);
}

void TalvaneMainWindow::saveTerrainFileRight()
{
    VeskGrid& grid = gLGrid2->grid;
    QString fileName;
    bool saved = false;
    if (grid.hasData) {
        const QString step = QStringLiteral("Saving the right terrain ...");
        BusyIndicator busy(statusBar(), step);
        // An empty name lets the grid choose one from its own name and size.
        if (!runOperation(step, [&](const diagnostics::Progress&) { saved = grid.writeTerrain(fileName); }))
            return;
    } else {
        fileName = noDataText();
    }
    if (saved)
        showMessage(QStringLiteral("Success, %1 has been saved.\n").arg(fileName));
    else
        showMessage(notSavedText(fileName));
}

void TalvaneMainWindow::saveDetailsFileLeft()
{
    saveDetailsOf(gLGrid1);
}

void TalvaneMainWindow::saveDetailsFileRight()
{
    saveDetailsOf(gLGrid2);
}

void TalvaneMainWindow::saveDetailsOf(GLGrid* view)
{
    VeskGrid& grid = view->grid;
    QString fileName;
    int count = 0;
    if (grid.hasData) {
        const QString step = QStringLiteral("Saving details ...");
        BusyIndicator busy(statusBar(), step);
        if (!runOperation(step, [&](const diagnostics::Progress&) { grid.writeDetails(fileName, count); }))
            return;
    } else {
        fileName = noDataText();
    }
    if (count <= 0)
        showMessage(notSavedText(fileName));
    else
        showMessage(QStringLiteral("Success, %1 set(s) of details have been saved.\nLast filename was %2")
                        .arg(count)
                        .arg(fileName));
}

void TalvaneMainWindow::saveSplit()
{
    VeskGrid& grid = gLGrid1->grid;
    QString leftName;
    QString rightName;
    bool saved = false;
    if (grid.hasData) {
        const QString step = QStringLiteral("Saving a split ...");
        BusyIndicator busy(statusBar(), step);
        if (!runOperation(step, [&](const diagnostics::Progress&) {
                saved = grid.writeTerrainSplit(leftName, rightName);
            }))
            return;
    } else {
        leftName = noDataText();
    }
    if (saved)
        showMessage(QStringLiteral("Success, a split of the terrain has been saved in:\n%1\n%2\n").arg(leftName, rightName));
    else
        showMessage(notSavedText(leftName));
}
