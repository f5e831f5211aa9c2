#include "app/TalvaneMainWindow.h"

#include "app/Icons.h"
#include "app/OperationRunner.h"
#include "app/RecoveryAutosave.h"
#include "app/RecoveryFolder.h"
#include "app/ScreenContent.h"
#include "app/TerrainHistory.h"
#include "app/UserDialogs.h"
#include "app/WindowDocument.h"
#include "formats/GdalRasterImport.h"
#include "multires/Scheme.h"
#include "views/GLGrid.h"

#include <QAction>
#include <QSettings>
#include <QStatusBar>

TalvaneMainWindow::TalvaneMainWindow(QWidget* parent, const char* name, Qt::WindowFlags flags)
    : QMainWindow(parent, flags),
      refineIcon(makeRefineIcon()),
      coarsenIcon(makeCoarsenIcon()),
      dialogs(std::make_unique<QtUserDialogs>()),
      runner(new OperationRunner(this)),
      history(new TerrainHistory(this))
{
    setObjectName(name != nullptr ? QString::fromLatin1(name) : QStringLiteral("TalvaneMainWindow"));
    buildForm();
    document = std::make_unique<WindowDocument>(*gLGrid1, *gLGrid2, *history);
    buildEditMenu();
    buildRecentTerrainsMenu();
    languageChange();
    resize(QSize(950, 761).expandedTo(minimumSizeHint()));
    makeConnections();
    watchBlockTransfers();
    acceptDroppedFiles();
    showCursorReadouts();
    connect(runner, &OperationRunner::busyChanged, this, &TalvaneMainWindow::setOperationRunning);
    // Queued: the operation's own status text is taken away first.
    connect(
        history, &TerrainHistory::dropped, this, [this](const QString& text) { statusBar()->showMessage(text); },
        Qt::QueuedConnection);
    history->setLimitBytes(QSettings().value(QStringLiteral("undo/limitBytes"), QVariant::fromValue<qlonglong>(TerrainHistory::defaultLimitBytes))
                               .toLongLong());
    restoreWindowSettings();
    startRecoveryAutosave();
    init();
}

// Closing the window is a clean exit: its recovery file goes (a kill or crash never gets here).
TalvaneMainWindow::~TalvaneMainWindow()
{
    autosave->removeFile();
}

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
        return static_cast<int>(Scheme::chaikin);
    if (multiresolutionTraditionalAction->isChecked())
        return static_cast<int>(Scheme::fractal);
    if (multiresolutionFaberAction->isChecked())
        return static_cast<int>(Scheme::faber);
    return 0;
}

bool TalvaneMainWindow::openTerrainLeft(const QString& path)
{
    return openTerrain(ScreenSide::left, path);
}

bool TalvaneMainWindow::openTerrainRight(const QString& path)
{
    return openTerrain(ScreenSide::right, path);
}
