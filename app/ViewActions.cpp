// The View menu: "Fit Terrain" (key F): the screen under the mouse pointer, or both screens
// when the pointer is over neither, frame their whole terrain again; "Screen Error" sets
// how far (pixels) both screens may draw a large terrain from its full surface, from
// "Full Resolution" (every sample) to 4 pixels; "Messages" shows or hides the messages pane.

#include "app/TalvaneMainWindow.h"

#include "views/GLGrid.h"

#include <QAction>
#include <QActionGroup>
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
    viewMenu->addMenu(buildScreenErrorMenu());
    viewMenu->addAction(viewMessagesAction);
    menuBar()->addMenu(viewMenu);
}

QMenu* TalvaneMainWindow::buildScreenErrorMenu()
{
    viewScreen_ErrorMenu = new QMenu(QCoreApplication::translate("TalvaneMainWindow", "Screen &Error"), this);
    viewScreen_ErrorMenu->setObjectName(QStringLiteral("viewScreen_ErrorMenu"));
    auto* choices = new QActionGroup(viewScreen_ErrorMenu);
    const struct {
        double pixels;
        const char* text;
    } errors[] = {{0.0, "&Full Resolution"}, {0.5, "0.5 Pixel"}, {1.0, "&1 Pixel"}, {2.0, "&2 Pixels"}, {4.0, "&4 Pixels"}};
    for (const auto& error : errors) {
        QAction* action = viewScreen_ErrorMenu->addAction(QCoreApplication::translate("TalvaneMainWindow", error.text));
        action->setCheckable(true);
        action->setChecked(error.pixels == static_cast<double>(gLGrid1->surface.maxScreenError()));
        choices->addAction(action);
        const double pixels = error.pixels;
        connect(action, &QAction::triggered, this, [this, pixels] {
            gLGrid1->setScreenError(pixels);
            gLGrid2->setScreenError(pixels);
        });
    }
    return viewScreen_ErrorMenu;
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
