#pragma once

#include "diagnostics/Progress.h"

#include <QObject>
#include <QString>

#include <functional>

class QProgressDialog;
class QWidget;

// Runs the window's long operations off the GUI thread, one at a time.
//
// run() hands the work to a worker thread and keeps the GUI thread's event loop
// going until the work has ended, so the window repaints, its timers fire and the
// caller's code reads on in order. After half a second a window-modal progress
// dialog shows the step with the fraction the work reports through its Progress
// (a busy bar while it reports none) and a Cancel button that sets the Progress's
// cancel flag. The work touches only what it was given: the caller puts the
// result on the screens on the GUI thread, or throws it away when cancelled.
class OperationRunner : public QObject {
    Q_OBJECT

public:
    enum class Outcome { Finished, Cancelled, Failed };

    explicit OperationRunner(QWidget* window);

    Outcome run(const QString& step, const std::function<void(const diagnostics::Progress&)>& work);

    bool isBusy() const { return busy; }
    // The dialog of the operation that runs now, or null.
    QProgressDialog* progressDialog() const { return dialog; }
    // Why the last operation failed (it ran out of memory, say).
    QString failure() const { return failureText; }

    // How long an operation runs before its dialog shows.
    static constexpr int dialogDelayMilliseconds = 500;

signals:
    void busyChanged(bool busy);

private:
    QWidget* window;
    QProgressDialog* dialog = nullptr;
    QString failureText;
    bool busy = false;
};
