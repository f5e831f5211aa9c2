// Session files of two 4,097 x 4,097 terrains with two detail levels each (the levels of two
// Chaikin coarsenings): how large the file is against the raw floats it holds, and how long
// writing and opening take. Opening is timed with the file in the page cache (state 0) and
// with its pages dropped from it first (state 1, posix_fadvise DONTNEED after a sync), which
// is the read from the disk a next-day open does.
//
// Run: build/release/bench/SessionFileBenchmark

#include "FreshMemory.h"
#include "QuietDiagnostics.h"
#include "RunBenchmarks.h"
#include "TerrainsWithDetails.h"

#include "grid/SessionFile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kSide = 4097;

struct TwoScreens {
    VeskGrid left = terrainWithDetails(kSide, 2, 1);
    VeskGrid right = terrainWithDetails(kSide, 2, 2);
};

const TwoScreens& twoScreens()
{
    static const TwoScreens screens = [] {
        QuietDiagnostics quiet;
        return TwoScreens{};
    }();
    return screens;
}

double rawFloatBytes(const VeskGrid& grid)
{
    double values = static_cast<double>(grid.heights.valueCount());
    for (const FloatMatrix& matrix : grid.details)
        values += static_cast<double>(matrix.valueCount());
    return values * sizeof(float);
}

QString sessionPath()
{
    return QStringLiteral("/tmp/talvane_session_bench_%1.talvane").arg(::getpid());
}

void dropFromPageCache(const QString& path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (descriptor < 0)
        return;
    ::fdatasync(descriptor);
    ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED);
    ::close(descriptor);
}

void BM_SessionWrite(benchmark::State& state)
{
    const TwoScreens& screens = twoScreens();
    QuietDiagnostics quiet;
    QString errorText;
    for (auto _ : state) {
        if (!writeSessionFile(sessionPath(), screens.left, screens.right, {}, errorText)) {
            state.SkipWithError(qPrintable(errorText));
            return;
        }
    }
    const double raw = rawFloatBytes(screens.left) + rawFloatBytes(screens.right);
    const double fileBytes = static_cast<double>(QFileInfo(sessionPath()).size());
    state.counters["fileMiB"] = fileBytes / (1 << 20);
    state.counters["rawFloatMiB"] = raw / (1 << 20);
    state.counters["fileOverRawFloats"] = fileBytes / raw;
}

void BM_SessionOpen(benchmark::State& state)
{
    const bool fromDisk = state.range(0) == 1;
    QuietDiagnostics quiet;
    QString errorText;
    if (!QFile::exists(sessionPath())
        && !writeSessionFile(sessionPath(), twoScreens().left, twoScreens().right, {}, errorText)) {
        state.SkipWithError(qPrintable(errorText));
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (fromDisk)
            dropFromPageCache(sessionPath());
        returnFreedMemoryToTheSystem();
        auto session = std::make_unique<TerrainSession>();
        state.ResumeTiming();
        if (!readSessionFile(sessionPath(), *session, errorText)) {
            state.SkipWithError(qPrintable(errorText));
            return;
        }
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_SessionWrite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SessionOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    const int result = runSelectedBenchmarks(argc, argv);
    std::remove(QFile::encodeName(sessionPath()).constData());
    return result;
}
