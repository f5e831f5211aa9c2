// The operations that change what a screen shows. Each copies what it needs,
// works on the copy in the operation runner (off the GUI thread) and, only when
// the work finished and was accepted, puts the result on the screens and records
// the change in the undo history. A cancelled, failed or refused operation leaves
// both screens as they were: heights, details, marks and spin boxes.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/OperationRunner.h"
#include "app/TerrainHistory.h"
#include "app/WindowDocument.h"
#include "io/SampleLimit.h"
#include "formats/TerrainFormatTable.h"
#include "views/TerrainSteps.h"

#include <QAction>
#include <QMenu>
#include <QFileInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QUndoStack>

#include <cstdint>
#include <utility>

bool TalvaneMainWindow::runOperation(const QString& step,
                                     const std::function<void(const diagnostics::Progress&)>& work)
{
    // The status text and wait cursor stay until the caller has put the result up.
    const OperationRunner::Outcome outcome = runner->run(step, work);
    if (outcome == OperationRunner::Outcome::Failed)
        showMessage(runner->failure());
    return outcome == OperationRunner::Outcome::Finished;
}

// While an operation runs, nothing that reads or changes a terrain may start;
// the camera, the rendering choice and the scheme toggles stay free.
void TalvaneMainWindow::setOperationRunning(bool running)
{
    const bool enabled = !running;
    for (QAction* action : {fileSaveTerrainLeft_ScreenAction, fileSaveTerrainRight_ScreenAction,
                            fileSaveDetailsLeft_ScreenAction, fileSaveDetailsRight_ScreenAction,
                            fileLoadTerrainLeft_ScreenAction, fileLoadTerrainRight_ScreenAction,
                            fileLoadDetailsLeft_ScreenAction, fileConvert_PNGAction, fileSaveAs_GeoTIFFAction,
                            fileOpenSessionAction, fileSaveSessionAction})
        action->setEnabled(enabled);
    fileRecentTerrainsMenu->setEnabled(enabled && !fileRecentTerrainsMenu->isEmpty());
    editUndoAction->setEnabled(enabled && history->stack()->canUndo());
    editRedoAction->setEnabled(enabled && history->stack()->canRedo());
    for (QWidget* control : std::initializer_list<QWidget*>{
             refineLeftButton, coarsenLeftButton, refineRightButton, coarsenRightButton, pushButton6,
             savesplitButton, grid1WidthSpinBox, grid1HeightSpinBox, grid2WidthspinBox, grid2HeightSpinBox})
        control->setEnabled(enabled);
}

bool TalvaneMainWindow::openTerrain(ScreenSide side, const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString undoText = QStringLiteral("Load %1 (%2)").arg(QFileInfo(path).fileName(), screenName(side));
    const bool opened = openTerrainFile(side, path, undoText);
    if (opened)
        rememberRecentTerrain(path);
    return opened;
}

bool TalvaneMainWindow::openTerrainFile(ScreenSide side, const QString& path, const QString& undoText)
{
    const TerrainFormatRow* format = terrainFormatOfFile(path);
    if (!format || !format->read) {
        showMessage(QStringLiteral("Terrain was not loaded due to: %1: cannot read this format (use %2)")
                        .arg(path, readableExtensionsText()));
        return false;
    }
    const QString step = QStringLiteral("Loading %1 ...").arg(QFileInfo(path).fileName());
    BusyIndicator busy(statusBar(), step);
    ScreenContent loaded;
    QString reason;
    bool read = false;
    if (!runOperation(step, [&](const diagnostics::Progress&) {
            read = readTerrainFile(*format, path, TerrainReading{}, loaded.grid, reason);
        }))
        return false;
    if (!read) {
        showMessage(QStringLiteral("Terrain was not loaded due to: ") + reason);
        return false;
    }
    document->replace(side, std::move(loaded), undoText);
    return true;
}

void TalvaneMainWindow::coarsenScreen(ScreenSide side, const QString& step, const QString& undoText)
{
    const int scheme = schemeNumber();
    BusyIndicator busy(statusBar(), step);
    ScreenContent work = document->copyOf(side);
    bool coarsened = false;
    if (!runOperation(step, [&](const diagnostics::Progress&) {
            coarsened = unsubdivideTerrain(work.grid, work.marks, scheme);
        }))
        return;
    if (!coarsened) {
        // The scheme said why; the screen reports itself as it did.
        document->refresh(side);
        return;
    }
    document->replace(side, std::move(work), undoText);
}

void TalvaneMainWindow::refineScreen(ScreenSide side, const QString& step, const QString& undoText,
                                     const QString& refusal)
{
    const int scheme = schemeNumber();
    BusyIndicator busy(statusBar(), step);
    ScreenContent work = document->copyOf(side);
    bool refined = false;
    if (!runOperation(step, [&](const diagnostics::Progress&) {
            refined = subdivideTerrain(work.grid, work.marks, scheme);
        }))
        return;
    if (!refined) {
        document->refresh(side);
        showMessage(refusal + work.grid.lastError.trimmed());
        return;
    }
    document->replace(side, std::move(work), undoText);
}

void TalvaneMainWindow::resizeScreen(ScreenSide side, int width, int height, const QString& undoText)
{
    const VeskGrid& shown = document->terrain(side);
    if (width == shown.width && height == shown.height)
        return;
    if (std::int64_t{width} * std::int64_t{height} > io::sampleLimit()) {
        showMessage(QStringLiteral("The size was not changed: %1 x %2 is more than the %3 samples a terrain may hold")
                        .arg(width)
                        .arg(height)
                        .arg(io::sampleLimit()));
        document->refresh(side); // the spin boxes show the size the screen kept
        return;
    }
    const QString step = QStringLiteral("Changing the size of the terrain ...");
    BusyIndicator busy(statusBar(), step);
    ScreenContent work = document->copyOf(side);
    if (!runOperation(step, [&](const diagnostics::Progress&) { work.grid.adjustSize(width, height); })) {
        document->refresh(side); // the spin boxes show the size the screen kept
        return;
    }
    document->replace(side, std::move(work), undoText);
}
