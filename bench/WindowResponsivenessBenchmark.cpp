// How long the window's GUI thread may wait while a Go runs in the worker: the longest
// gap between two beats of a 10 ms timer, in milliseconds, over a whole Go (quilting and
// the refinement after it, then the new surface put on the screen). The base is the
// sample refined twice (1606 x 1370), the example the sample refined twice and coarsened
// again, blocks of 20, as the window's cancel test uses. The gap depends on the machine
// and its load, which is why it is measured here and not asserted in a test.
//
// Run: xvfb-run -a -s "-screen 0 1600x1200x24" build/release/bench/WindowResponsivenessBenchmark

#include "AppTestSupport.h"
#include "WindowBenchmarkMain.h"
#include "GuiHeartbeat.h"

#include "app/TalvaneMainWindow.h"
#include "diagnostics/CollectingSink.h"
#include "diagnostics/Diagnostics.h"
#include "views/SurfaceFormat.h"

#include <QApplication>
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

} // namespace

BENCHMARK(BM_GuiGapDuringGo)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
