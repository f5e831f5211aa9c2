#include "app/MessagesDock.h"

#include <QMetaObject>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include <string_view>

namespace {

// Repaints report a line or two each; keep the pane to the recent past.
constexpr int kKeptLines = 20000;

// Messages may end mid-line ("Draw Grid . . . " then "Done\n"), so text is
// appended where the last one stopped, not as a paragraph of its own.
void appendAtEnd(QPlainTextEdit* edit, const QString& text)
{
    QScrollBar* scroll = edit->verticalScrollBar();
    const bool followingTheEnd = scroll->value() == scroll->maximum();
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    if (followingTheEnd)
        scroll->setValue(scroll->maximum());
}

} // namespace

class MessagesDock::Sink final : public diagnostics::Sink {
public:
    Sink(diagnostics::Sink& next, QPlainTextEdit* edit) : next(next), edit(edit) {}

    // Runs on whichever thread reported, under the diagnostics lock. Always queued,
    // also from the GUI thread, so the pane keeps the order of the messages.
    void write(std::string_view text) override
    {
        next.write(text);
        const QString copy = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
        QPlainTextEdit* target = edit;
        QMetaObject::invokeMethod(target, [target, copy] { appendAtEnd(target, copy); }, Qt::QueuedConnection);
    }

private:
    diagnostics::Sink& next;
    QPlainTextEdit* edit;
};

MessagesDock::MessagesDock(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QStringLiteral("messagesDock"));
    setWindowTitle(QStringLiteral("Messages"));
    messagesText = new QPlainTextEdit(this);
    messagesText->setObjectName(QStringLiteral("messagesText"));
    messagesText->setReadOnly(true);
    messagesText->setLineWrapMode(QPlainTextEdit::NoWrap);
    messagesText->setMaximumBlockCount(kKeptLines);
    setWidget(messagesText);
    hide();

    sink = std::make_unique<Sink>(diagnostics::currentSink(), messagesText);
    installed = std::make_unique<diagnostics::ScopedSink>(*sink);
}

MessagesDock::~MessagesDock()
{
    // The previous sink is current again before the pane goes: a worker that reports
    // now waits for the swap and then writes to standard output only.
    installed.reset();
}
