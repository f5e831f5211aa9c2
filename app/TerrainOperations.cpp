// The operations that change what a screen shows. Each copies what it needs,
// works on the copy in the operation runner (off the GUI thread) and, only when
// the work finished and was accepted, puts the result on the screens and records
// the change in the undo history. A cancelled, failed or refused operation leaves
// both screens as they were: heights, details, marks and spin boxes.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/OperationRunner.h"
#include "app/ScreenContent.h"
#include "app/TerrainHistory.h"
#include "io/SampleLimit.h"
#include "formats/TerrainFormatTable.h"
#include "views/GLGrid.h"
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

void TalvaneMainWindow::showAndRecord(const QString& undoText, GLGrid* view, ScreenContent content)
{
    TerrainChange change;
    change.swaps.emplace_back(*view, replaceScreen(*view, std::move(content)));
    history->push(undoText, std::move(change));
}

void TalvaneMainWindow::showAndRecord(const QString& undoText, ScreenContent left, ScreenContent right)
{
    TerrainChange change;
    change.swaps.emplace_back(*gLGrid1, replaceScreen(*gLGrid1, std::move(left)));
    change.swaps.emplace_back(*gLGrid2, replaceScreen(*gLGrid2, std::move(right)));
    history->push(undoText, std::move(change));
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

bool TalvaneMainWindow::openTerrain(GLGrid* view, const QString& path, bool leftScreen)
{
    if (path.isEmpty())
        return false;
    const QString screen = leftScreen ? QStringLiteral("Left Screen") : QStringLiteral("Right Screen");
    const QString undoText = QStringLiteral("Load %1 (%2)").arg(QFileInfo(path).fileName(), screen);
    const bool opened = openTerrainFile(view, path, undoText);
    if (opened)
        rememberRecentTerrain(path);
    return opened;
}

bool TalvaneMainWindow::openTerrainFile(GLGrid* view, const QString& path, const QString& undoText)
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
    showAndRecord(undoText, view, std::move(loaded));
    return true;
}

void TalvaneMainWindow::coarsenScreen(GLGrid* view, const QString& step, const QString& undoText)
{
    const int scheme = schemeNumber();
    BusyIndicator busy(statusBar(), step);
    ScreenContent work = copyOfScreen(*view);
    bool coarsened = false;
    if (!runOperation(step, [&](const diagnostics::Progress&) {
            coarsened = unsubdivideTerrain(work.grid, work.marks, scheme);
        }))
        return;
    if (!coarsened) {
        // The scheme said why; the screen reports itself as it did.
        view->updateGUI();
        return;
    }
    showAndRecord(undoText, view, std::move(work));
}

void TalvaneMainWindow::refineScreen(GLGrid* view, const QString& step, const QString& undoText,
                                     const QString& refusal)
{
    const int scheme = schemeNumber();
    BusyIndicator busy(statusBar(), step);
    ScreenContent work = copyOfScreen(*view);
    bool refined = false;
    if (!runOperation(step, [&](const diagnostics::Progress&) {
            refined = subdivideTerrain(work.grid, work.marks, scheme);
        }))
        return;
    if (!refined) {
        view->updateGUI();
        showMessage(refusal + work.grid.lastError.trimmed());
        return;
    }
    showAndRecord(undoText, view, std::move(work));
}

void TalvaneMainWindow::resizeScreen(GLGrid* view, int width, int height, const QString& undoText)
{
    if (width == view->grid.width && height == view->grid.height)
        return;
    if (std::int64_t{width} * std::int64_t{height} > io::sampleLimit()) {
        showMessage(QStringLiteral("The size was not changed: %1 x %2 is more than the %3 samples a terrain may hold")
                        .arg(width)
                        .arg(height)
                        .arg(io::sampleLimit()));
        view->updateGUI(); // the spin boxes show the size the screen kept
        return;
    }
    const QString step = QStringLiteral("Changing the size of the terrain ...");
    BusyIndicator busy(statusBar(), step);
    ScreenContent work = copyOfScreen(*view);
    if (!runOperation(step, [&](const diagnostics::Progress&) { work.grid.adjustSize(width, height); })) {
        view->updateGUI(); // the spin boxes show the size the screen kept
        return;
    }
    showAndRecord(undoText, view, std::move(work));
}
