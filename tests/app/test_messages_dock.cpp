// The "Messages" pane: hidden until View, Messages shows it, it holds every line an
// operation reports while the same lines still reach the sink below it (standard
// output when nothing else is in place), and reports from worker threads arrive whole.

#include "AppTestSupport.h"

#include "app/MessagesDock.h"
#include "diagnostics/CollectingSink.h"
#include "views/GLGrid.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <thread>
#include <vector>

class MessagesDockTest : public QObject {
    Q_OBJECT

private slots:
    void hiddenUntilTheViewMenuShowsIt()
    {
        ScriptedWindow scripted;
        QVERIFY(scripted.exposed);
        MessagesDock* dock = scripted->messagesDock;
        QVERIFY(!dock->isVisible());
        QVERIFY(dock->messagesText->isReadOnly());
        QVERIFY(scripted->viewMessagesAction->isCheckable());
        QVERIFY(!scripted->viewMessagesAction->isChecked());
        scripted->viewMessagesAction->trigger();
        QTRY_VERIFY(dock->isVisible());
        QVERIFY(scripted->viewMessagesAction->isChecked());
        scripted->viewMessagesAction->trigger();
        QTRY_VERIFY(!dock->isVisible());
    }

    // The sink below the window's stands for standard output here: the default sink
    // writes there, and the recorded window session checks those bytes.
    void aCoarseningShowsItsMessagesInThePaneAndPassesThemOn()
    {
        diagnostics::CollectingSink below;
        diagnostics::ScopedSink belowScope(below);
        ScriptedWindow scripted;
        QVERIFY(scripted.exposed);
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(scripted->openTerrainLeft(sample.grd()));
        scripted->coarsenLeftButton->click();

        const std::string passedOn = below.text();
        QVERIFY(passedOn.find("Performing one level of REVERSE subdivision\n") != std::string::npos);
        QTRY_VERIFY(scripted->messagesDock->messagesText->toPlainText().contains(
            QStringLiteral("Performing one level of REVERSE subdivision\nC is 402 X 344\n")));
        QVERIFY(scripted->messagesDock->messagesText->toPlainText().contains(
            QStringLiteral("Loaded File: ") + sample.grd()));
    }

    void messagesFromWorkerThreadsArriveWholeAndInTheirThreadsOrder()
    {
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        ScriptedWindow scripted;
        constexpr int threads = 4;
        constexpr int linesEach = 200;
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([t] {
                for (int line = 0; line < linesEach; ++line)
                    diagnostics::reportf("worker %d line %d\n", t, line);
            });
        for (std::thread& worker : workers)
            worker.join();

        QPlainTextEdit* text = scripted->messagesDock->messagesText;
        QTRY_COMPARE(text->toPlainText().count(QLatin1Char('\n')), threads * linesEach);
        const QStringList lines = text->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        std::vector<int> nextLine(threads, 0);
        for (const QString& line : lines) {
            const QStringList words = line.split(QLatin1Char(' '));
            QCOMPARE(words.size(), 4);
            const int thread = words.at(1).toInt();
            QCOMPARE(words.at(3).toInt(), nextLine[thread]);
            ++nextLine[thread];
        }
    }

    void aClosedWindowNoLongerTakesMessages()
    {
        diagnostics::CollectingSink below;
        diagnostics::ScopedSink belowScope(below);
        {
            ScriptedWindow scripted;
        }
        diagnostics::report("after the window\n");
        QCOMPARE(below.text(), std::string("after the window\n"));
    }
};

TALVANE_APP_TEST_MAIN(MessagesDockTest)

#include "test_messages_dock.moc"
