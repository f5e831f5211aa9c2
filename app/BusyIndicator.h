#pragma once

#include <QString>

class QStatusBar;

// For the length of one long operation: a wait cursor over the whole
// application and a text in the window's status bar saying what runs. Both are
// shown before the work starts and taken away when the indicator goes out of
// scope, whatever way the operation ends.
class BusyIndicator {
public:
    BusyIndicator(QStatusBar* statusBar, const QString& text);
    ~BusyIndicator();
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

private:
    QStatusBar* statusBar;
};
