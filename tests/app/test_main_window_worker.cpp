// Long operations run off the GUI thread: the event loop keeps going while they
// run, the controls that would conflict are disabled, a progress dialog follows
// the work, and Cancel leaves both screens exactly as they were.

#include "AppTestSupport.h"
#include "GuiHeartbeat.h"
#include "ScreenStates.h"

#include "app/MessagesDock.h"
#include "app/OperationRunner.h"
#include "app/TerrainHistory.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>


namespace {

QPushButton* cancelButtonOf(QProgressDialog* dialog)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Cancel"))
            return button;
    return nullptr;
}

} // namespace

class MainWindowWorkerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { IsolatedSettings::clear(); }

    // The base is the sample refined twice (1606 x 1370), the example the sample refined
    // twice and coarsened again (a detail level on 804 x 686), quilted with blocks of 20:
    // 8,686 blocks of up to 20 x 20 samples, each scored against 1,378 candidates, so half
    // way is some 2.4 billion squared differences, seconds even on an idle two-core machine.
    // The plain search keeps the bar in step with the time (the refined one's sweeps are
    // four fifths of its bar and far less of its time).
    void cancellingGoHalfWayLeavesBothScreensAsTheyWere()
    {
        ScriptedWindow scripted;
        QVERIFY(scripted.exposed);
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        window->refineLeftButton->click();
        window->refineLeftButton->click();
        QCOMPARE(window->gLGrid1->grid.width, 1606);
        QVERIFY(window->openTerrainRight(sample.grd()));
        window->refineRightButton->click();
        window->refineRightButton->click();
        window->coarsenRightButton->click();
        window->blocksizeSlider->setValue(20);
        // The screens' first paints of the new terrains are done before the clock starts.
        processEventsFor(300);
        const WindowState before = stateOf(*window);
        const int changes = window->terrainHistory()->stack()->count();

        OperationRunner* runner = window->operationRunner();
        qint64 dialogShownAt = -1;
        int valueWhenShown = -1;
        bool cancelled = false;
        bool controlsWereDisabled = true;
        int valueAtCancel = -1;
        QString label;
        qint64 cancelledAt = 0;
        GuiHeartbeat heartbeat([&] {
            if (!runner->isBusy())
                return;
            controlsWereDisabled = controlsWereDisabled && !window->pushButton6->isEnabled()
                && !window->refineLeftButton->isEnabled() && !window->fileLoadTerrainLeft_ScreenAction->isEnabled()
                && !window->editUndoAction->isEnabled() && !window->grid1WidthSpinBox->isEnabled();
            QProgressDialog* dialog = runner->progressDialog();
            if (cancelled || dialog == nullptr || !dialog->isVisible() || dialog->maximum() <= 0)
                return;
            if (dialogShownAt < 0) {
                dialogShownAt = heartbeat.clock.elapsed();
                valueWhenShown = dialog->value() * 100 / dialog->maximum();
            }
            if (dialog->value() * 2 < dialog->maximum())
                return;
            valueAtCancel = dialog->value() * 100 / dialog->maximum();
            label = dialog->labelText();
            QPushButton* cancel = cancelButtonOf(dialog);
            QVERIFY(cancel != nullptr);
            cancelledAt = heartbeat.clock.elapsed();
            QTest::mouseClick(cancel, Qt::LeftButton);
            cancelled = true;
        });
        window->pushButton6->click(); // returns once the "Go" has ended
        const qint64 ended = heartbeat.clock.elapsed();
        heartbeat.timer.stop();
        qInfo("dialog with a fraction seen after %lld ms at %d %%, cancelled at %d %% after %lld ms, ended after "
              "%lld ms, %d beats, longest gap %lld ms",
              static_cast<long long>(dialogShownAt), valueWhenShown, valueAtCancel,
              static_cast<long long>(cancelledAt), static_cast<long long>(ended), heartbeat.beats,
              static_cast<long long>(heartbeat.longestGap));

        QVERIFY(cancelled);
        // Cancelled while the matching still ran (how far past half way depends on the load).
        QVERIFY2(valueAtCancel < 100, qPrintable(QString::number(valueAtCancel)));
        QVERIFY(label.startsWith(QStringLiteral("Quilting")));
        QVERIFY(controlsWereDisabled);
        // The dialog waited for its half second (Qt's coarse timers may fire 5 % early).
        QVERIFY2(dialogShownAt >= OperationRunner::dialogDelayMilliseconds * 95 / 100,
                 qPrintable(QString::number(dialogShownAt)));
        // How long half way took depends on the machine and its load: it is logged above.
        // What is fixed is the size of the work, read back from the matcher's own lines.
        QTRY_VERIFY(window->messagesDock->messagesText->toPlainText().contains(
            QStringLiteral("Block feature mapping cancelled.")));
        QVERIFY(window->messagesDock->messagesText->toPlainText().contains(
            QStringLiteral("Performing mapping (bheight = 1370, bs=20, ol=4, #cand=1378)")));
        // The GUI thread went on processing events all along.
        // How long a beat may wait depends on the load; bench/WindowResponsivenessBenchmark
        // measures it. That the GUI thread beat at all while the Go ran does not.
        QVERIFY(heartbeat.beats > 10);
        QCOMPARE(differenceBetween(before, stateOf(*window)), QString());
        QCOMPARE(window->terrainHistory()->stack()->count(), changes);
        QVERIFY(scripted.log.messages.isEmpty());
        QVERIFY(window->pushButton6->isEnabled());
        QVERIFY(!runner->isBusy());
    }
};

TALVANE_APP_TEST_MAIN(MainWindowWorkerTest)
#include "test_main_window_worker.moc"
