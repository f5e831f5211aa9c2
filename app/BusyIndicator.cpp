#include "app/BusyIndicator.h"

#include <QApplication>
#include <QStatusBar>

BusyIndicator::BusyIndicator(QStatusBar* bar, const QString& text) : statusBar(bar)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The operations run in the operation runner, whose event loop paints the text.
    if (statusBar != nullptr)
        statusBar->showMessage(text);
}

BusyIndicator::~BusyIndicator()
{
    if (statusBar != nullptr)
        statusBar->clearMessage();
    QApplication::restoreOverrideCursor();
}
