#include "app/BusyIndicator.h"

#include <QApplication>
#include <QStatusBar>

BusyIndicator::BusyIndicator(QStatusBar* bar, const QString& text) : statusBar(bar)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (statusBar != nullptr) {
        statusBar->showMessage(text);
        // The work blocks the event loop: paint the text now or it is never seen.
        statusBar->repaint();
    }
}

BusyIndicator::~BusyIndicator()
{
    if (statusBar != nullptr)
        statusBar->clearMessage();
    QApplication::restoreOverrideCursor();
}
