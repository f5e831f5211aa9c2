// How long the window's GUI thread may wait while a Go runs in the worker: the longest
// gap between two beats of a 10 ms timer, in milliseconds, over a whole Go (quilting and
// the refinement after it, then the new surface put on the screen). The base is the
// sample refined twice (1606 x 1370), the example the sample refined twice and coarsened
// again, blocks of 20, as the window's cancel test uses. The gap depends on the machine
// and its load, which is why it is measured here and not asserted in a test.
//
//
// A large terrain in the window: with TALVANE_BENCH_TERRAIN naming a terrain file (a
// 16,385² one from `talvane-fbm 16385 huge`, say), the left screen loads it, its chunks
// come in, and the camera turns through 36 poses, each painted: the longest gap of the
// GUI thread over all of it, and the process's peak resident memory (VmHWM) at the end.
// Over that gap, the time the GUI thread ran and the time it was runnable but waited for
// a core (Linux's schedstat; the rest it was blocked), and when the gap ended.
//
// Run: xvfb-run -a -s "-screen 0 1600x1200x24" build/release/bench/WindowResponsivenessBenchmark

#include "AppTestSupport.h"
#include "WindowBenchmarkMain.h"
#include "GuiHeartbeat.h"
#include "ThreadCpuWait.h"

#include "app/TalvaneMainWindow.h"
#include "diagnostics/CollectingSink.h"
#include "diagnostics/Diagnostics.h"
#include "views/SurfaceFormat.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <benchmark/benchmark.h>

namespace {

void BM_GuiGapDuringGo(benchmark::State& state)
{
    diagnostics::SilentSink quiet;
    diagnostics::ScopedSink scope(quiet);
    for (auto _ : state) {
        state.PauseTiming();
        ScriptedWindow scripted;
        SampleFolder sample;
        TalvaneMainWindow* window = scripted.window.get();
        if (!scripted.exposed || !sample.isValid() || !window->openTerrainLeft(sample.grd())
            || !window->openTerrainRight(sample.grd())) {
            state.SkipWithError("the window or the sample terrain could not be set up");
            return;
        }
        window->refineLeftButton->click();
        window->refineLeftButton->click();
        window->refineRightButton->click();
        window->refineRightButton->click();
        window->coarsenRightButton->click();
        window->blocksizeSlider->setValue(20);
        processEventsFor(300);
        state.ResumeTiming();

        GuiHeartbeat heartbeat;
        window->pushButton6->click(); // returns once the Go has ended
        state.counters["longestGapMs"] = static_cast<double>(heartbeat.longestGap);
        state.counters["beats"] = heartbeat.beats;
    }
}

// The process's peak resident memory so far, in megabytes (0 where /proc does not say).
double peakResidentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    return 0.0;
}

void BM_LargeTerrainLoadedAndTurned(benchmark::State& state)
{
    const QString path = QString::fromLocal8Bit(qgetenv("TALVANE_BENCH_TERRAIN"));
    diagnostics::SilentSink quiet;
    diagnostics::ScopedSink scope(quiet);
    for (auto _ : state) {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        // Over the longest gap: how long the GUI thread ran, how long it waited for a core,
        // and when the gap ended.
        ThreadCpuWait previous = ThreadCpuWait::now();
        ThreadCpuWait overLongestGap;
        qint64 longestSoFar = 0;
        qint64 gapEndsAt = 0;
        GuiHeartbeat heartbeat;
        heartbeat.timer.callOnTimeout([&] {
            const ThreadCpuWait reading = ThreadCpuWait::now();
            if (heartbeat.longestGap > longestSoFar) {
                longestSoFar = heartbeat.longestGap;
                overLongestGap = {reading.runningMs - previous.runningMs, reading.waitingMs - previous.waitingMs};
                gapEndsAt = heartbeat.clock.elapsed();
            }
            previous = reading;
        });
        if (!scripted.exposed || !window->openTerrainLeft(path)) {
            state.SkipWithError("the window or the terrain could not be set up");
            return;
        }
        processEventsFor(5000); // the hierarchy and the first chunks come in
        for (int pose = 0; pose < 36; ++pose) {
            // A turn may run past the 250 ms: one more turn first, as a slider moved by hand
            // comes as an input event in a turn that also runs the timers due; otherwise the
            // next pose's paint would follow without a beat between.
            QCoreApplication::processEvents();
            window->slider1->setValue((window->slider1->value() + 10) % 360);
            processEventsFor(250);
        }
        state.counters["longestGapMs"] = static_cast<double>(heartbeat.longestGap);
        state.counters["gapRunningMs"] = overLongestGap.runningMs;
        state.counters["gapWaitingMs"] = overLongestGap.waitingMs;
        state.counters["gapEndsAtMs"] = static_cast<double>(gapEndsAt);
        state.counters["beats"] = heartbeat.beats;
    }
    state.counters["peakResidentMB"] = peakResidentMegabytes();
}

} // namespace

// Only with a terrain named: there is none to ship of that size.
const bool largeTerrainRegistered = !qEnvironmentVariableIsEmpty("TALVANE_BENCH_TERRAIN")
    && benchmark::RegisterBenchmark("BM_LargeTerrainLoadedAndTurned", BM_LargeTerrainLoadedAndTurned)
           ->Unit(benchmark::kMillisecond)
           ->Iterations(1);
BENCHMARK(BM_GuiGapDuringGo)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
