#include "app/OperationRunner.h"

#include "views/BackgroundPriority.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <exception>
#include <new>

namespace {

// The dialog's bar counts in thousandths.
constexpr int barSteps = 1000;
// How often the bar follows what the worker reported.
constexpr int barUpdateMilliseconds = 50;

// What the worker last reported, read by the GUI thread's timer.
struct ReportedFraction {
    std::atomic<std::int64_t> done{0};
    std::atomic<std::int64_t> total{0};
};

} // namespace

OperationRunner::OperationRunner(QWidget* parentWindow) : QObject(parentWindow), window(parentWindow) {}

OperationRunner::Outcome OperationRunner::run(const QString& step,
                                              const std::function<void(const diagnostics::Progress&)>& work)
{
    if (busy)
        return Outcome::Cancelled;
    busy = true;
    failureText.clear();
    emit busyChanged(true);

    std::atomic<bool> cancelRequested{false};
    ReportedFraction reported;
    const diagnostics::Progress progress(
        [&reported](std::int64_t done, std::int64_t total) {
            reported.done.store(done, std::memory_order_relaxed);
            reported.total.store(total, std::memory_order_relaxed);
        },
        &cancelRequested);

    QProgressDialog progressBox(step, QStringLiteral("Cancel"), 0, 0, window);
    progressBox.setObjectName(QStringLiteral("operationProgressDialog"));
    progressBox.setWindowTitle(QStringLiteral("Talvane"));
    progressBox.setWindowModality(Qt::WindowModal);
    progressBox.setAutoClose(false);
    progressBox.setAutoReset(false);
    progressBox.setMinimumDuration(dialogDelayMilliseconds);
    progressBox.setValue(0); // starts the delay after which the dialog shows
    dialog = &progressBox;
    connect(&progressBox, &QProgressDialog::canceled, this, [&cancelRequested, &progressBox, step] {
        cancelRequested.store(true);
        // Work that cannot stop early still runs to its end; its result is dropped.
        progressBox.setLabelText(step + QStringLiteral(" (cancelling)"));
    });

    QTimer barTimer;
    barTimer.setInterval(barUpdateMilliseconds);
    connect(&barTimer, &QTimer::timeout, this, [&reported, &progressBox] {
        // Given a fraction, the dialog would guess the time left and show at once for
        // anything it guesses long; held back, it shows when its delay is up.
        if (!progressBox.isVisible())
            return;
        const std::int64_t total = reported.total.load(std::memory_order_relaxed);
        if (total <= 0)
            return;
        const std::int64_t done = reported.done.load(std::memory_order_relaxed);
        if (progressBox.maximum() != barSteps)
            progressBox.setRange(0, barSteps);
        progressBox.setValue(static_cast<int>(done * barSteps / total));
    });
    barTimer.start();

    bool outOfMemory = false;
    QEventLoop loop;
    QFutureWatcher<void> watcher;
    connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(background_priority::runInBackground([&work, &progress, &outOfMemory] {
        try {
            work(progress);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
    }));
    // Input still reaches the window until the dialog shows (and the dialog's
    // Cancel needs it): the window disables what would conflict while busy.
    loop.exec();

    barTimer.stop();
    dialog = nullptr;
    progressBox.hide();
    busy = false;
    emit busyChanged(false);
    if (outOfMemory) {
        failureText = QStringLiteral("There was not enough memory for: ") + step;
        return Outcome::Failed;
    }
    return cancelRequested.load() ? Outcome::Cancelled : Outcome::Finished;
}
