// The window's autosave for recovery with two 4,097 x 4,097 screens holding one detail
// level each (the level a Chaikin coarsening pushes): from the change until the recovery
// file is whole on the disk (writeMs; the snapshot on the GUI thread, then the write and
// fsync in the worker), and the longest gap between two beats of a 10 ms timer on the GUI
// thread meanwhile (longestGuiGapMs), which the snapshot's copy makes. The window is not
// shown, so no painting of the large surfaces mixes into the gap.
//
// Run: xvfb-run -a -s "-screen 0 1600x1200x24" build/release/bench/AutosaveBenchmark

#include "AppTestSupport.h"
#include "WindowBenchmarkMain.h"
#include "FreshMemory.h"
#include "GuiHeartbeat.h"
#include "QuietDiagnostics.h"
#include "TerrainsWithDetails.h"

#include "app/RecoveryAutosave.h"
#include "app/WindowDocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

void BM_AutosaveOfTwoLargeScreens(benchmark::State& state)
{
    QuietDiagnostics quiet;
    TalvaneMainWindow window;
    // Put up unrecorded, so that no autosave starts before the one measured.
    window.windowDocument().show(ScreenSide::left, ScreenContent{terrainWithDetails(4097, 1, 1), false, {}});
    window.windowDocument().show(ScreenSide::right, ScreenContent{terrainWithDetails(4097, 1, 2), false, {}});
    RecoveryAutosave& autosave = *window.recoveryAutosave();
    autosave.setMinimumInterval(0);
    for (auto _ : state) {
        state.PauseTiming();
        returnFreedMemoryToTheSystem();
        state.ResumeTiming();
        GuiHeartbeat heartbeat;
        QElapsedTimer clock;
        clock.start();
        autosave.terrainChanged();
        if (!QTest::qWaitFor([&] { return autosave.writtenChange() == autosave.changeCount(); }, 60000)) {
            state.SkipWithError("the autosave did not come");
            return;
        }
        state.counters["writeMs"] = static_cast<double>(clock.elapsed());
        state.counters["longestGuiGapMs"] = static_cast<double>(heartbeat.longestGap);
    }
}

} // namespace

BENCHMARK(BM_AutosaveOfTwoLargeScreens)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv);
}
