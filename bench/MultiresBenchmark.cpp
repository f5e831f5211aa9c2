// One level of coarsening and refinement of a 2049 x 2049 terrain per scheme, including
// the statistics each operation recomputes (normals wait for their first use). The grid
// copy each iteration starts from is made outside the timed region; BM_GridCopy shows
// what such a copy costs. Memory freed by an iteration goes back to the system first, so
// every operation allocates fresh pages as in a new process.
#include "FreshMemory.h"
#include "multires/Chaikin.h"
#include "multires/Faber.h"
#include "multires/Fractal.h"
#include "multires/NormalDeviatesState.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr int kSize = 2049;

VeskGrid roughGrid(int width, int height)
{
    VeskGrid grid;
    grid.resize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
            h ^= h >> 13;
            h *= 0x5bd1e995u;
            h ^= h >> 15;
            grid.heights[y][x] = static_cast<float>(500.0 + 80.0 * std::sin(x * 0.01) * std::cos(y * 0.013) +
                                                    (h % 1000u) * 0.02);
        }
    grid.hasData = true;
    grid.cellSize = 10.0f;
    grid.computeStatistics();
    return grid;
}

const VeskGrid& fineGrid()
{
    static const VeskGrid grid = roughGrid(kSize, kSize);
    return grid;
}

// The fine grid after one coarsening by the given scheme, with its level of details.
const VeskGrid& coarsenedBy(bool (*coarsen)(VeskGrid&))
{
    static VeskGrid chaikin;
    static VeskGrid faber;
    VeskGrid& grid = coarsen == reverseChaikin ? chaikin : faber;
    if (!grid.hasData) {
        grid = fineGrid();
        coarsen(grid);
    }
    return grid;
}

template <class Operation> void timeOn(benchmark::State& state, const VeskGrid& start, Operation operation)
{
    for (auto _ : state) {
        state.PauseTiming();
        VeskGrid grid = start;
        restoreNormalDeviateState(123456789u);
        returnFreedMemoryToTheSystem();
        state.ResumeTiming();
        benchmark::DoNotOptimize(operation(grid));
        state.PauseTiming();
        grid = VeskGrid();
        state.ResumeTiming();
    }
    state.counters["samples"] = static_cast<double>(start.width) * start.height;
}

void BM_GridCopy(benchmark::State& state)
{
    const VeskGrid& start = fineGrid();
    for (auto _ : state) {
        VeskGrid copy = start;
        benchmark::DoNotOptimize(copy.heights.data());
    }
}

// What the first drawing after an operation pays for its normals on a 2048 x 2048 grid
// (memory already mapped: the arithmetic alone).
void BM_CalculateNormals(benchmark::State& state)
{
    VeskGrid grid = roughGrid(kSize - 1, kSize - 1);
    for (auto _ : state) {
        grid.normalsValid = false;
        grid.calculateNormals();
        benchmark::DoNotOptimize(grid.normals.data());
    }
}

void BM_ChaikinCoarsen(benchmark::State& state) { timeOn(state, fineGrid(), reverseChaikin); }
void BM_ChaikinRefineWithDetails(benchmark::State& state)
{
    timeOn(state, coarsenedBy(reverseChaikin), subdivideChaikin);
}
void BM_ChaikinRefinePlain(benchmark::State& state)
{
    timeOn(state, coarsenedBy(reverseChaikin), subdivideChaikinWithoutDetails);
}
void BM_FaberCoarsen(benchmark::State& state) { timeOn(state, fineGrid(), reverseFaber); }
void BM_FaberRefineWithDetails(benchmark::State& state) { timeOn(state, coarsenedBy(reverseFaber), subdivideFaber); }
void BM_FaberRefinePlain(benchmark::State& state)
{
    timeOn(state, coarsenedBy(reverseFaber), subdivideFaberWithoutDetails);
}
void BM_FractalCoarsen(benchmark::State& state) { timeOn(state, fineGrid(), unsubdivideFractal); }
void BM_FractalRefine(benchmark::State& state)
{
    // From 1025 x 1025, estimating the deviation first as a first fractal level does.
    timeOn(state, coarsenedBy(reverseFaber), subdivideFractal);
}

} // namespace

BENCHMARK(BM_GridCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CalculateNormals)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ChaikinCoarsen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ChaikinRefineWithDetails)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ChaikinRefinePlain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FaberCoarsen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FaberRefineWithDetails)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FaberRefinePlain)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FractalCoarsen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FractalRefine)->Unit(benchmark::kMillisecond)->UseRealTime();
