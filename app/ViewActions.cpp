// The View menu: "Fit Terrain" (key F): the screen under the mouse pointer, or both screens
// when the pointer is over neither, frame their whole terrain again; "Messages" shows
// or hides the messages pane.

#include "app/TalvaneMainWindow.h"

#include "views/GLGrid.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QMenuBar>

void TalvaneMainWindow::buildViewMenu()
{
    viewFit_TerrainAction = new QAction(this);
    viewFit_TerrainAction->setObjectName(QStringLiteral("viewFit_TerrainAction"));
    viewFit_TerrainAction->setText(QCoreApplication::translate("TalvaneMainWindow", "Fit Terrain"));
    viewFit_TerrainAction->setShortcut(QKeySequence(Qt::Key_F));
    connect(viewFit_TerrainAction, &QAction::triggered, this, &TalvaneMainWindow::fitTerrain);

    viewMenu = new QMenu(this);
    viewMenu->setObjectName(QStringLiteral("viewMenu"));
    viewMenu->addAction(viewFit_TerrainAction);
    viewMenu->addAction(viewMessagesAction);
    menuBar()->addMenu(viewMenu);
}

void TalvaneMainWindow::fitTerrain()
{
    const auto underPointer = [](GLGrid* view) {
        return view->isVisible() && view->rect().contains(view->mapFromGlobal(QCursor::pos()));
    };
    if (underPointer(gLGrid1)) {
        gLGrid1->fitTerrain();
    } else if (underPointer(gLGrid2)) {
        gLGrid2->fitTerrain();
    } else {
        gLGrid1->fitTerrain();
        gLGrid2->fitTerrain();
    }
}
