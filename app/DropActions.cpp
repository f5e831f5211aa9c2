// Files dropped on the window. A terrain file dropped on a screen loads there as
// the Load menu loads it (any format the table of formats reads, one undoable change;
// a file that cannot be read gives its message box and leaves the screen as it was;
// a file of no format read is not taken). A session dropped anywhere opens whole, both
// screens, as File > Open Session does. A PNG
// dropped anywhere on the window is converted as "Convert PNG" does, asking where
// to save the grid. The work starts after the drop has been delivered, so the
// source of the drag is never held by a running operation.

#include "app/TalvaneMainWindow.h"

#include "app/OperationRunner.h"
#include "app/WindowDocument.h"
#include "formats/TerrainFormatTable.h"
#include "views/GLGrid.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace {

// The one local file a drop carries, or an empty path.
QString droppedFile(const QMimeData* mime)
{
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().front();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

bool isPng(const QString& path)
{
    return terrainFormatOfFile(path) == &terrainFormatRow(TerrainFormat::Png);
}

bool isSession(const QString& path)
{
    return terrainFormatOfFile(path) == &terrainFormatRow(TerrainFormat::Session);
}

// What a drop on a screen may bring: any format read (PNG, converted, aside).
bool isReadableTerrain(const QString& path)
{
    const TerrainFormatRow* format = terrainFormatOfFile(path);
    return format != nullptr && format->read != nullptr;
}

// A PNG dropped anywhere is converted and a session opened; any other terrain loads on the
// screen it falls on.
bool isWelcome(const QString& path, bool onAScreen)
{
    return isPng(path) || isSession(path) || (onAScreen && isReadableTerrain(path));
}

} // namespace

void TalvaneMainWindow::acceptDroppedFiles()
{
    setAcceptDrops(true);
    gLGrid1->setAcceptDrops(true);
    gLGrid2->setAcceptDrops(true);
}

bool TalvaneMainWindow::handleDrop(GLGrid* view, QEvent* event)
{
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const QString path = droppedFile(drag->mimeData());
        if (!path.isEmpty() && !runner->isBusy() && isWelcome(path, view != nullptr))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    if (event->type() != QEvent::Drop)
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const QString path = droppedFile(drop->mimeData());
    if (path.isEmpty() || runner->isBusy() || !isWelcome(path, view != nullptr)) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (isPng(path)) {
        QTimer::singleShot(0, this, [this, path] { convertPng(path); });
    } else if (isSession(path)) {
        QTimer::singleShot(0, this, [this, path] { openSessionFile(path); });
    } else {
        const ScreenSide side = view == gLGrid1 ? ScreenSide::left : ScreenSide::right;
        QTimer::singleShot(0, this, [this, side, path] { openTerrain(side, path); });
    }
    return true;
}

void TalvaneMainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    handleDrop(nullptr, event);
}

void TalvaneMainWindow::dragMoveEvent(QDragMoveEvent* event)
{
    handleDrop(nullptr, event);
}

void TalvaneMainWindow::dropEvent(QDropEvent* event)
{
    handleDrop(nullptr, event);
}
