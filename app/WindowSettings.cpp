// The window's place and shape, and how the splitter shares it between the two
// screens, are stored when the window closes and put back when the next one starts.

#include "app/TalvaneMainWindow.h"

#include <QCloseEvent>
#include <QSettings>
#include <QSplitter>

namespace {

const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kSplitterKey = QStringLiteral("window/splitter");

} // namespace

void TalvaneMainWindow::restoreWindowSettings()
{
    const QSettings settings;
    // A missing or unreadable value leaves the form's own size and split.
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
    splitter2->restoreState(settings.value(kSplitterKey).toByteArray());
}

void TalvaneMainWindow::closeEvent(QCloseEvent* event)
{
    QSettings settings;
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kSplitterKey, splitter2->saveState());
    QMainWindow::closeEvent(event);
}
