#pragma once

#include "diagnostics/Diagnostics.h"

#include <QDockWidget>

#include <memory>

class QPlainTextEdit;

// The "Messages" pane: every line the system reports while the window lives, shown
// as it is written to standard output, so a user can see why something happened
// without a terminal. Hidden until the View menu shows it.
//
// While it exists its sink is the current one: each message goes on to the sink
// that was current before (standard output, unless a test put another in place)
// exactly as before, and a copy is queued to the GUI thread for the pane, so
// operations that report from worker threads are safe.
class MessagesDock : public QDockWidget {
    Q_OBJECT

public:
    explicit MessagesDock(QWidget* parent);
    ~MessagesDock() override;

    QPlainTextEdit* messagesText = nullptr;

private:
    class Sink;
    std::unique_ptr<Sink> sink;
    std::unique_ptr<diagnostics::ScopedSink> installed; // goes first, so no write arrives after
};
