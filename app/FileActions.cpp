// Opening and saving terrains and details, and saving a split. Every result the
// user must know of ends in a message box captioned "Talvane"; the grids print
// their own diagnostics. Reading and writing run in the operation runner: a save
// writes the screen's terrain through the window's document from the worker while
// nothing may change it.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/UserDialogs.h"
#include "app/WindowDocument.h"
#include "formats/TerrainFormatTable.h"

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
    if (!document->terrain(ScreenSide::left).hasData) {
        showMessage(QStringLiteral("Details were not loaded due to: ") + noDataText());
        return;
    }
    const QString step = QStringLiteral("Loading details ...");
    BusyIndicator busy(statusBar(), step);
    ScreenContent work = document->copyOf(ScreenSide::left);
    bool loaded = false;
    if (!runOperation(step, [&](const diagnostics::Progress&) { loaded = work.grid.loadDetail(path); }))
        return;
    // The grid says why it refused a file.
    if (!loaded) {
        showMessage(QStringLiteral("Details were not loaded due to: ") + work.grid.lastError);
        return;
    }
    document->replace(ScreenSide::left, std::move(work), QStringLiteral("Load Details (Left Screen)"));
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

    const TerrainFormatRow& format = formatToSave(answer, filter);
    const QString fileName = withExtension(answer.fileName, QLatin1Char('.') + format.extensions.front());
    // An empty screen would write a file of nothing: say so instead.
    if (!document->terrain(ScreenSide::left).hasData) {
        showMessage(QStringLiteral("Terrain was not saved due to: ") + noDataText());
        return;
    }
    QString reason;
    bool saved = false;
    const QString step = QStringLiteral("Saving %1 ...").arg(fileName);
    BusyIndicator busy(statusBar(), step);
    if (!runOperation(step, [&](const diagnostics::Progress&) {
            saved = document->writeTerrain(ScreenSide::left, format, fileName, reason);
        }))
        return;
    // A successful save stays silent; a failed one must not look like success.
    if (!saved)
        showMessage(QStringLiteral("Terrain was not saved due to: ") + reason);
}

void TalvaneMainWindow::saveTerrainFileRight()
{
    QString fileName;
    bool saved = false;
    if (document->terrain(ScreenSide::right).hasData) {
        const QString step = QStringLiteral("Saving the right terrain ...");
        BusyIndicator busy(statusBar(), step);
        // An empty name lets the grid choose one from its own name and size.
        if (!runOperation(step, [&](const diagnostics::Progress&) {
                saved = document->writeTerrain(ScreenSide::right, fileName);
            }))
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
    saveDetailsOf(ScreenSide::left);
}

void TalvaneMainWindow::saveDetailsFileRight()
{
    saveDetailsOf(ScreenSide::right);
}

void TalvaneMainWindow::saveDetailsOf(ScreenSide side)
{
    QString fileName;
    int count = 0;
    if (document->terrain(side).hasData) {
        const QString step = QStringLiteral("Saving details ...");
        BusyIndicator busy(statusBar(), step);
        if (!runOperation(step, [&](const diagnostics::Progress&) { document->writeDetails(side, fileName, count); }))
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
    QString leftName;
    QString rightName;
    bool saved = false;
    if (document->terrain(ScreenSide::left).hasData) {
        const QString step = QStringLiteral("Saving a split ...");
        BusyIndicator busy(statusBar(), step);
        if (!runOperation(step, [&](const diagnostics::Progress&) {
                saved = document->writeTerrainSplit(ScreenSide::left, leftName, rightName);
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
