#include "grid/VeskGrid.h"
#include "multires/Chaikin.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/MultifractalMapping.h"
#include "synthesis/RandomRange.h"
#include "synthesis/TransferBlockSize.h"
#include "synthesis/WaterRouting.h"
#include "tools/fbm/FbmTerrain.h"

#include "PlainWaterRouting.h"
#include "SerialBlockMatching.h"

#include "QuietDiagnostics.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <tuple>
#include <vector>
#include <string>

// Detail transfer on the shipped 403 x 344 sample DEM: the example is the DEM
// (coarsened once for quilting), the base is the DEM coarsened once more, as a
// user would quilt a coarse terrain with the detail of a finer one.

namespace {

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
        QuietDiagnostics quiet;
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
    QuietDiagnostics quiet;
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
    QuietDiagnostics quiet;
    QuiltMatches matches;
    QString error;
    for (auto _ : state) {
        resetRandomRangeGenerator();
        if (!quiltDetails(base, terrains.coarseExample, SynthesisOptions{.blockSize = blockSize, .rescaleBefore = false, .rescaleAfter = false, .search = {}}, matches, error))
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
    QuietDiagnostics quiet;
    QuiltMatches matches;
    QString error;
    for (auto _ : state) {
        state.PauseTiming();
        VeskGrid base = terrains.base;
        state.ResumeTiming();
        resetRandomRangeGenerator();
        if (!quiltDetails(base, terrains.coarseExample, SynthesisOptions{.blockSize = 20, .rescaleBefore = false, .rescaleAfter = false, .search = {}}, matches, error) || !subdivideChaikin(base))
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
    QuietDiagnostics quiet;
    QString error;
    for (auto _ : state) {
        state.PauseTiming();
        VeskGrid base = terrains.coarseExample;
        base.clearDetails();
        VeskGrid example = terrains.fine;
        state.ResumeTiming();
        resetRandomRangeGenerator();
        if (!multifractalMapping(base, example, SynthesisOptions{.blockSize = blockSize, .rescaleBefore = false, .rescaleAfter = false, .search = {}}, error))
            state.SkipWithError("mapping refused");
        benchmark::DoNotOptimize(base.heights.data());
    }
}
BENCHMARK(BM_MultifractalMapping)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

// The water routing under each erosion step, on a 2,049 x 2,049 fBm terrain (heights
// in hundredths, so with ties), against the plain priority flood whose levels it gives.
const SampleRaster& floodTerrain()
{
    static const SampleRaster terrain = [] {
        const VeskGrid grid = makeFbmTerrain(2049, 1);
        return rasterOf(grid.heights, grid.width, grid.height);
    }();
    return terrain;
}

void BM_RouteWater(benchmark::State& state)
{
    const SampleRaster& terrain = floodTerrain();
    Drainage drainage;
    for (auto _ : state) {
        routeWater(terrain, drainage);
        benchmark::DoNotOptimize(drainage.groups.data());
    }
}
BENCHMARK(BM_RouteWater)->Unit(benchmark::kMillisecond);

void BM_RouteWaterPlainly(benchmark::State& state)
{
    const SampleRaster& terrain = floodTerrain();
    for (auto _ : state)
        benchmark::DoNotOptimize(routeWaterPlainly(terrain));
}
BENCHMARK(BM_RouteWaterPlainly)->Unit(benchmark::kMillisecond);

} // namespace

// ---------------------------------------------------------------------------
// DEM scale: bases of 513 and 1,025 samples a side matched in examples of 1,025
// and 2,049, all made by coarsening one 4,097 x 4,097 fBm terrain from the fBm generator
// (once, a few seconds). One pass at base 1,025 / example 2,049 / block 8 takes
// minutes for the serial yardstick, so these cases are only registered when
// TALVANE_DEM_BENCHMARKS is set; pick them with --benchmark_filter=BM_Dem, e.g.
//   TALVANE_DEM_BENCHMARKS=1 SynthesisBenchmark --benchmark_filter='BM_Dem.*/1025/2049/8'
namespace dem {

constexpr int fineSide = 4097;
constexpr std::uint32_t fbmSeed = 1;

// The fBm terrain coarsened once (2,049), twice (1,025) and three times (513), heights only.
const std::map<int, VeskGrid>& terrains()
{
    static const std::map<int, VeskGrid> bySide = [] {
        QuietDiagnostics quiet;
        std::map<int, VeskGrid> made;
        VeskGrid grid = makeFbmTerrain(fineSide, fbmSeed);
        for (int level = 0; level < 3; ++level) {
            if (!reverseChaikin(grid))
                break;
            grid.clearDetails();
            made[grid.width] = grid;
        }
        return made;
    }();
    return bySide;
}

struct Case {
    int baseSide = 0;
    int exampleSide = 0;
    int blockSize = 0;
    auto key() const { return std::tuple(baseSide, exampleSide, blockSize); }
    int candidates() const { return std::max(40, exampleSide * exampleSide / (blockSize * blockSize)); }
};

Case caseOf(const benchmark::State& state)
{
    return {static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), static_cast<int>(state.range(2))};
}

// The parallel random search's positions and errors per case, for the other cases to compare with.
std::map<std::tuple<int, int, int>, std::pair<std::vector<BlockPosition>, std::vector<float>>>& randomResults()
{
    static std::map<std::tuple<int, int, int>, std::pair<std::vector<BlockPosition>, std::vector<float>>> results;
    return results;
}

const VeskGrid* terrainOf(benchmark::State& state, int side)
{
    const auto found = terrains().find(side);
    if (found != terrains().end())
        return &found->second;
    state.SkipWithError("the fBm terrain could not be coarsened");
    return nullptr;
}

double meanOf(const std::vector<float>& values)
{
    double sum = 0.0;
    for (const float value : values)
        sum += value;
    return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

bool runMapper(benchmark::State& state, const Case& at, const MatchSearch& search, std::vector<BlockPosition>& positions,
               std::vector<float>& errors)
{
    const VeskGrid* base = terrainOf(state, at.baseSide);
    const VeskGrid* example = terrainOf(state, at.exampleSide);
    if (base == nullptr || example == nullptr)
        return false;
    QuietDiagnostics quiet;
    QString error;
    resetRandomRangeGenerator();
    BlockMapper mapper(*base, *example, at.blockSize, at.blockSize / 5);
    if (!mapper.mapBlocks(at.candidates(), positions, error, search, &errors)) {
        state.SkipWithError("mapping refused");
        return false;
    }
    return true;
}

// The parallel exact search; threads 0 is every core.
void BM_DemRandomSearch(benchmark::State& state)
{
    const Case at = caseOf(state);
    MatchSearch search;
    search.threads = static_cast<int>(state.range(3));
    std::vector<BlockPosition> positions;
    std::vector<float> errors;
    for (auto _ : state) {
        if (!runMapper(state, at, search, positions, errors))
            return;
    }
    const auto known = randomResults().find(at.key());
    if (known != randomResults().end() && known->second.first != positions)
        state.SkipWithError("positions differ between thread counts");
    randomResults()[at.key()] = {positions, errors};
    state.counters["blocks"] = static_cast<double>(positions.size());
    state.counters["meanError"] = meanOf(errors);
}

// The refined search on every core, with the mean block error against the random search's.
void BM_DemRefinedSearch(benchmark::State& state)
{
    const Case at = caseOf(state);
    MatchSearch search;
    search.mode = MatchSearch::Mode::refined;
    std::vector<BlockPosition> positions;
    std::vector<float> errors;
    for (auto _ : state) {
        if (!runMapper(state, at, search, positions, errors))
            return;
    }
    state.counters["meanError"] = meanOf(errors);
    const auto known = randomResults().find(at.key());
    if (known == randomResults().end())
        return;
    const std::vector<float>& randomErrors = known->second.second;
    for (std::size_t block = 0; block < errors.size(); ++block)
        if (errors[block] > randomErrors[block])
            state.SkipWithError("a refined block is worse than its random winner");
    const double randomMean = meanOf(randomErrors);
    state.counters["randomMeanError"] = randomMean;
    state.counters["errorReductionPercent"] = randomMean > 0.0 ? 100.0 * (1.0 - meanOf(errors) / randomMean) : 0.0;
}

// The yardstick: blocks one after the other, getRand draws, the plain blockError.
void BM_DemSerialReference(benchmark::State& state)
{
    const Case at = caseOf(state);
    const VeskGrid* base = terrainOf(state, at.baseSide);
    const VeskGrid* example = terrainOf(state, at.exampleSide);
    if (base == nullptr || example == nullptr)
        return;
    std::vector<BlockPosition> positions;
    for (auto _ : state) {
        resetRandomRangeGenerator();
        const BlockMapper mapper(*base, *example, at.blockSize, at.blockSize / 5);
        if (!mapBlocksSerially(mapper, at.candidates(), positions))
            state.SkipWithError("mapping refused");
    }
    const auto known = randomResults().find(at.key());
    if (known != randomResults().end())
        state.counters["identicalToParallel"] = known->second.first == positions ? 1.0 : 0.0;
}

// Time from the cancel request (made once half the blocks are done) to the mapper's return, in ms.
void BM_DemCancelLatency(benchmark::State& state)
{
    const Case at = caseOf(state);
    double worstMilliseconds = 0.0;
    for (auto _ : state) {
        std::atomic<bool> cancel{false};
        std::chrono::steady_clock::time_point requested;
        MatchSearch search;
        search.progress = diagnostics::Progress(
            [&](std::int64_t done, std::int64_t total) {
                if (!cancel && 2 * done >= total) {
                    requested = std::chrono::steady_clock::now();
                    cancel = true;
                }
            },
            &cancel);
        std::vector<BlockPosition> positions;
        std::vector<float> errors;
        const VeskGrid* base = terrainOf(state, at.baseSide);
        const VeskGrid* example = terrainOf(state, at.exampleSide);
        if (base == nullptr || example == nullptr)
            return;
        QuietDiagnostics quiet;
        QString error;
        BlockMapper mapper(*base, *example, at.blockSize, at.blockSize / 5);
        if (mapper.mapBlocks(at.candidates(), positions, error, search, &errors) || !cancel) {
            state.SkipWithError("the mapping was not cancelled");
            return;
        }
        const std::chrono::duration<double, std::milli> latency = std::chrono::steady_clock::now() - requested;
        worstMilliseconds = std::max(worstMilliseconds, latency.count());
    }
    state.counters["worstStopMs"] = worstMilliseconds;
}

// One pass a case, timed by the wall clock with the process's CPU time beside it.
void registerOnePass(const char* name, void (*function)(benchmark::State&), const std::vector<std::int64_t>& arguments,
                     const std::vector<std::string>& argumentNames)
{
    benchmark::RegisterBenchmark(name, function)
        ->Args(arguments)
        ->ArgNames(argumentNames)
        ->Iterations(1)
        ->MeasureProcessCPUTime()
        ->UseRealTime()
        ->Unit(benchmark::kSecond);
}

void registerDemCases()
{
    terrains(); // made once before any timing
    const std::vector<std::pair<int, int>> sides = {{513, 1025}, {1025, 2049}, {513, 2049}, {1025, 1025}};
    const std::vector<std::string> caseNames{"base", "example", "block"};
    for (const auto& [baseSide, exampleSide] : sides) {
        for (const int blockSize : {8, 20}) {
            const std::vector<std::int64_t> arguments{baseSide, exampleSide, blockSize};
            for (const int threads : {0, 1}) {
                std::vector<std::int64_t> withThreads = arguments;
                withThreads.push_back(threads);
                registerOnePass("BM_DemRandomSearch", BM_DemRandomSearch, withThreads,
                                {"base", "example", "block", "threads"});
            }
            registerOnePass("BM_DemRefinedSearch", BM_DemRefinedSearch, arguments, caseNames);
            registerOnePass("BM_DemSerialReference", BM_DemSerialReference, arguments, caseNames);
            benchmark::RegisterBenchmark("BM_DemCancelLatency", BM_DemCancelLatency)
                ->Args(arguments)
                ->ArgNames(caseNames)
                ->Iterations(3)
                ->Unit(benchmark::kSecond);
        }
    }
}

const bool demCasesRegistered = [] {
    if (std::getenv("TALVANE_DEM_BENCHMARKS") != nullptr)
        registerDemCases();
    return true;
}();

} // namespace dem
