// File > Recent Terrains: the files of the last terrains opened, each with the
// screens it can go to, as the Load menu offers them. The list lives in the
// settings, so it outlasts the window; a file that has gone since is reported as
// any load reports it and leaves the list.

#include "app/RecentTerrains.h"

#include "app/OperationRunner.h"
#include "app/TalvaneMainWindow.h"
#include "app/WindowDocument.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace recent_terrains {

namespace {

const QString kKey = QStringLiteral("recentTerrains");

void store(const QStringList& list)
{
    QSettings().setValue(kKey, list);
}

} // namespace

QStringList stored()
{
    return QSettings().value(kKey).toStringList();
}

QStringList withPathOnTop(QStringList list, const QString& path)
{
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kMaxRecentTerrains)
        list.removeLast();
    return list;
}

void add(const QString& path)
{
    store(withPathOnTop(stored(), QFileInfo(path).absoluteFilePath()));
}

void remove(const QString& path)
{
    QStringList list = stored();
    list.removeAll(QFileInfo(path).absoluteFilePath());
    store(list);
}

} // namespace recent_terrains

void TalvaneMainWindow::buildRecentTerrainsMenu()
{
    fileRecentTerrainsMenu = new QMenu(this);
    fileRecentTerrainsMenu->setObjectName(QStringLiteral("fileRecentTerrainsMenu"));
    fileMenu->insertMenu(fileConvert_PNGAction, fileRecentTerrainsMenu);
    // Made afresh each time, so that it shows what another window stored too.
    connect(fileRecentTerrainsMenu, &QMenu::aboutToShow, this, &TalvaneMainWindow::fillRecentTerrainsMenu);
    fillRecentTerrainsMenu();
}

void TalvaneMainWindow::fillRecentTerrainsMenu()
{
    // Later, not now: the list may change from inside one of its own entries.
    for (QAction* action : fileRecentTerrainsMenu->actions()) {
        fileRecentTerrainsMenu->removeAction(action);
        if (QMenu* entry = action->menu())
            entry->deleteLater();
    }
    const QStringList paths = recent_terrains::stored();
    fileRecentTerrainsMenu->setEnabled(!paths.isEmpty() && !runner->isBusy());
    for (const QString& path : paths) {
        QMenu* entry = fileRecentTerrainsMenu->addMenu(QFileInfo(path).fileName());
        entry->setToolTip(path);
        connect(entry->addAction(QCoreApplication::translate("TalvaneMainWindow", "&Left Screen")), &QAction::triggered,
                this, [this, path] { openRecentTerrain(ScreenSide::left, path); });
        connect(entry->addAction(QCoreApplication::translate("TalvaneMainWindow", "&Right Screen")), &QAction::triggered,
                this, [this, path] { openRecentTerrain(ScreenSide::right, path); });
    }
}

void TalvaneMainWindow::rememberRecentTerrain(const QString& path)
{
    recent_terrains::add(path);
    fillRecentTerrainsMenu();
}

bool TalvaneMainWindow::openRecentTerrain(ScreenSide side, const QString& path)
{
    const bool opened = openTerrain(side, path);
    if (!opened && !QFileInfo::exists(path)) {
        recent_terrains::remove(path);
        fillRecentTerrainsMenu();
    }
    return opened;
}
