// The Edit menu's undo and redo, and the two changes of a screen that do not
// start from a menu or a button: a size typed into a screen's spin boxes and a
// block of detail pasted onto the left screen with the middle mouse button.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/OperationRunner.h"
#include "app/ScreenContent.h"
#include "app/TerrainHistory.h"
#include "app/WindowDocument.h"
#include "views/GLGrid.h"

#include <QAction>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QUndoStack>

void TalvaneMainWindow::buildEditMenu()
{
    QUndoStack* stack = history->stack();
    editUndoAction = stack->createUndoAction(this, QStringLiteral("&Undo"));
    editUndoAction->setObjectName(QStringLiteral("editUndoAction"));
    editUndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    editRedoAction = stack->createRedoAction(this, QStringLiteral("&Redo"));
    editRedoAction->setObjectName(QStringLiteral("editRedoAction"));
    editRedoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));

    editMenu = new QMenu(this);
    editMenu->setObjectName(QStringLiteral("editMenu"));
    editMenu->addAction(editUndoAction);
    editMenu->addAction(editRedoAction);
    editErodeLeftAction = new QAction(QStringLiteral("&Erode Left Terrain"), this);
    editErodeLeftAction->setObjectName(QStringLiteral("editErodeLeftAction"));
    connect(editErodeLeftAction, &QAction::triggered, this, &TalvaneMainWindow::erodeLeft);
    editMenu->addSeparator();
    editMenu->addAction(editErodeLeftAction);
    menuBar()->insertMenu(multiresolutionMenu->menuAction(), editMenu);
}

void TalvaneMainWindow::changeLeftWidth(int width)
{
    resizeScreen(ScreenSide::left, width, document->terrain(ScreenSide::left).height,
                 QStringLiteral("Size Change (Left Screen)"));
}

void TalvaneMainWindow::changeLeftHeight(int height)
{
    resizeScreen(ScreenSide::left, document->terrain(ScreenSide::left).width, height,
                 QStringLiteral("Size Change (Left Screen)"));
}

void TalvaneMainWindow::changeRightWidth(int width)
{
    resizeScreen(ScreenSide::right, width, document->terrain(ScreenSide::right).height,
                 QStringLiteral("Size Change (Right Screen)"));
}

void TalvaneMainWindow::changeRightHeight(int height)
{
    resizeScreen(ScreenSide::right, document->terrain(ScreenSide::right).width, height,
                 QStringLiteral("Size Change (Right Screen)"));
}

// The left view pastes a received block when the middle button is released over
// it. The window keeps the screen as the release found it and records the paste
// once the view says it took the pasted grid (a cancelled paste says nothing).
// Both views run the long part of a block transfer in the operation runner.
void TalvaneMainWindow::watchBlockTransfers()
{
    gLGrid1->installEventFilter(this);
    gLGrid2->installEventFilter(this);
    for (GLGrid* view : {gLGrid1, gLGrid2}) {
        view->longWorkRunner = [this](const QString& step, const std::function<void()>& work) {
            BusyIndicator busy(statusBar(), step);
            return runOperation(step, [&work](const diagnostics::Progress&) { work(); });
        };
    }
    connect(gLGrid1, &GLGrid::blockPasted, this, &TalvaneMainWindow::recordBlockPaste);
}

bool TalvaneMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    auto* view = qobject_cast<GLGrid*>(watched);
    if (view == nullptr || (view != gLGrid1 && view != gLGrid2))
        return QMainWindow::eventFilter(watched, event);
    if (handleDrop(view, event))
        return true;
    const bool middleButton = (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
        && static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
    // A block sent or pasted while an operation runs would change a terrain under it.
    if (middleButton && runner->isBusy())
        return true;
    if (middleButton && event->type() == QEvent::MouseButtonRelease && view == gLGrid1
        && !gLGrid1->blockDetails.empty() && document->terrain(ScreenSide::left).hasData)
        leftBeforePaste = std::make_unique<ScreenContent>(document->copyOf(ScreenSide::left));
    return QMainWindow::eventFilter(watched, event);
}

void TalvaneMainWindow::recordBlockPaste()
{
    if (!leftBeforePaste)
        return;
    document->record(ScreenSide::left, std::move(*leftBeforePaste), QStringLiteral("Block Paste"));
    leftBeforePaste.reset();
}
