#include "grid/VeskGrid.h"
#include "multires/Chaikin.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/MultifractalMapping.h"
#include "synthesis/RandomRange.h"
#include "synthesis/TransferBlockSize.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

// Detail transfer on the shipped 403 x 344 sample DEM: the example is the DEM
// (coarsened once for quilting), the base is the DEM coarsened once more, as a
// user would quilt a coarse terrain with the detail of a finer one.

namespace {

// Quilting and mapping print progress per block; keep it out of the figures.
class QuietStdout {
public:
    QuietStdout()
    {
        std::fflush(stdout);
        saved = ::dup(STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        ::dup2(saved, STDOUT_FILENO);
        ::close(saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved = -1;
};

struct SampleTerrains {
    VeskGrid fine;           // 403 x 344
    VeskGrid coarseExample;  // 202 x 173 with one detail level
    VeskGrid base;           // 102 x 87
    bool loaded = false;
};

const SampleTerrains& sampleTerrains()
{
    static const SampleTerrains terrains = [] {
        SampleTerrains loaded;
        QuietStdout quiet;
        loaded.loaded = loaded.fine.loadGRDFile(QStringLiteral(TALVANE_DATA "/jacksboro.grd"));
        loaded.coarseExample = loaded.fine;
        loaded.loaded = loaded.loaded && reverseChaikin(loaded.coarseExample);
        loaded.base = loaded.coarseExample;
        loaded.base.clearDetails();
        loaded.loaded = loaded.loaded && reverseChaikin(loaded.base);
        loaded.base.clearDetails();
        return loaded;
    }();
    return terrains;
}

bool haveSample(benchmark::State& state)
{
    if (sampleTerrains().loaded)
        return true;
    state.SkipWithError("the sample DEM could not be loaded");
    return false;
}

void BM_MapBlocks(benchmark::State& state)
{
    if (!haveSample(state))
        return;
    const SampleTerrains& terrains = sampleTerrains();
    const int blockSize = static_cast<int>(state.range(0));
    QuietStdout quiet;
    std::vector<BlockPosition> mapping;
    QString error;
    for (auto _ : state) {
        resetRandomRangeGenerator();
        BlockMapper mapper(terrains.base, terrains.coarseExample, blockSize, blockSize / 5);
        const int candidates =
            std::max(40, terrains.coarseExample.width * terrains.coarseExample.height / (blockSize * blockSize));
        if (!mapper.mapBlocks(candidates, mapping, error))
            state.SkipWithError("mapping refused");
        benchmark::DoNotOptimize(mapping.data());
    }
    state.counters["blocks"] = static_cast<double>(mapping.size());
}
BENCHMARK(BM_MapBlocks)->Arg(8)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_QuiltDetails(benchmark::State& state)
{
    if (!haveSample(state))
        return;
    const SampleTerrains& terrains = sampleTerrains();
    const int requested = static_cast<int>(state.range(0));
    const int blockSize = transferBlockSize(requested, terrains.base.width, terrains.base.height);
    VeskGrid base = terrains.base;
    QuietStdout quiet;
    QuiltMatches matches;
    QString error;
    for (auto _ : state) {
        resetRandomRangeGenerator();
        if (!quiltDetails(base, terrains.coarseExample, blockSize, matches, false, false, error))
            state.SkipWithError("quilting refused");
        benchmark::DoNotOptimize(base.details.data());
    }
    state.counters["blockSize"] = blockSize;
}
BENCHMARK(BM_QuiltDetails)->Arg(8)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond);

// "Go" under Chaikin: quilt, then refine the base with the new details.
void BM_QuiltAndRefine(benchmark::State& state)
{
    if (!haveSample(state))
        return;
    const SampleTerrains& terrains = sampleTerrains();
    QuietStdout quiet;
    QuiltMatches matches;
    QString error;
    for (auto _ : state) {
        state.PauseTiming();
        VeskGrid base = terrains.base;
        state.ResumeTiming();
        resetRandomRangeGenerator();
        if (!quiltDetails(base, terrains.coarseExample, 20, matches, false, false, error) || !subdivideChaikin(base))
            state.SkipWithError("quilting or refinement refused");
        benchmark::DoNotOptimize(base.heights.data());
    }
}
BENCHMARK(BM_QuiltAndRefine)->Unit(benchmark::kMillisecond);

void BM_MultifractalMapping(benchmark::State& state)
{
    if (!haveSample(state))
        return;
    const SampleTerrains& terrains = sampleTerrains();
    const int blockSize = static_cast<int>(state.range(0));
    QuietStdout quiet;
    QString error;
    for (auto _ : state) {
        state.PauseTiming();
        VeskGrid base = terrains.coarseExample;
        base.clearDetails();
        VeskGrid example = terrains.fine;
        state.ResumeTiming();
        resetRandomRangeGenerator();
        if (!multifractalMapping(base, example, blockSize, false, false, error))
            state.SkipWithError("mapping refused");
        benchmark::DoNotOptimize(base.heights.data());
    }
}
BENCHMARK(BM_MultifractalMapping)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

} // namespace
