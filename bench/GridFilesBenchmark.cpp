#include "FreshMemory.h"
#include "grid/VeskGrid.h"

#include "QuietDiagnostics.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

// Loading and saving terrains: a generated 4097 x 4097 grid (the size of a large
// DEM tile) and the shipped 403 x 344 sample DEM. Every load goes into a new grid whose
// memory is fresh from the system, as in a new process (WholeProcessBenchmark times
// the processes themselves).

namespace {

constexpr int kLargeSide = 4097;

std::filesystem::path workDirectory()
{
    static const std::filesystem::path directory = [] {
        auto path = std::filesystem::temp_directory_path() / ("talvane_gridfiles_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return directory;
}

QString workFile(const char* name)
{
    return QString::fromStdString((workDirectory() / name).string());
}

// Rolling hills with two decimals, like a real DEM: every value a distinct token.
VeskGrid makeLargeGrid()
{
    VeskGrid grid;
    grid.resize(kLargeSide, kLargeSide);
    for (int row = 0; row < kLargeSide; ++row)
        for (int col = 0; col < kLargeSide; ++col)
            grid.heights[row][col] = static_cast<float>(
                std::round((800.0 + 300.0 * std::sin(row * 0.013) * std::cos(col * 0.021) + 0.37 * ((row * 7919 + col * 104729) % 1000)) * 100.0)
                / 100.0);
    grid.cellSize = 30.0f;
    grid.hasData = true;
    return grid;
}

// The large grid as an ASCII file and as a float grid, written once.
void ensureLargeFiles()
{
    static const bool written = [] {
        QuietDiagnostics quiet;
        VeskGrid grid = makeLargeGrid();
        QString asciiName = workFile("large.grd");
        grid.writeTerrain(asciiName);
        std::ofstream header((workDirectory() / "large.hdr").string());
        header << "ncols " << kLargeSide << "\nnrows " << kLargeSide
               << "\nxllcorner 0\nyllcorner 0\ncellsize 0.000277777777777778\nNODATA_value -9999\nbyteorder LSBFIRST\n";
        std::ofstream data((workDirectory() / "large.flt").string(), std::ios::binary);
        for (const auto& row : grid.heights)
            data.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size() * sizeof(float)));
        return true;
    }();
    (void)written;
}

void reportBytes(benchmark::State& state, const QString& fileName)
{
    const auto bytes = std::filesystem::file_size(fileName.toStdString());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

// Loads into a new grid each time; the grid is freed and its memory returned with the
// timer paused.
template <class Load> void loadFresh(benchmark::State& state, const QString& fileName, Load load)
{
    {
        QuietDiagnostics quiet;
        for (auto _ : state) {
            auto grid = std::make_unique<VeskGrid>();
            if (!load(*grid, fileName))
                state.SkipWithError("load failed");
            benchmark::DoNotOptimize(grid->heights.data());
            state.PauseTiming();
            grid.reset();
            returnFreedMemoryToTheSystem();
            state.ResumeTiming();
        }
    }
    reportBytes(state, fileName);
}

void loadAscii(benchmark::State& state, const QString& fileName)
{
    loadFresh(state, fileName, [](VeskGrid& grid, const QString& name) { return grid.loadGRDFile(name); });
}

void writeAscii(benchmark::State& state, VeskGrid& grid)
{
    const QString target = workFile("written.grd");
    {
        QuietDiagnostics quiet;
        for (auto _ : state) {
            QString fileName = target;
            if (!grid.writeTerrain(fileName))
                state.SkipWithError("write failed");
        }
    }
    reportBytes(state, target);
}

void BM_LoadAsciiGrid4097(benchmark::State& state)
{
    ensureLargeFiles();
    loadAscii(state, workFile("large.grd"));
}

void BM_WriteAsciiGrid4097(benchmark::State& state)
{
    VeskGrid grid = makeLargeGrid();
    writeAscii(state, grid);
}

void BM_LoadFloatGrid4097(benchmark::State& state)
{
    ensureLargeFiles();
    loadFresh(state, workFile("large.flt"), [](VeskGrid& grid, const QString& name) { return grid.loadFLTFile(name); });
}

// What the first drawing of a loaded terrain pays: its normals, into fresh memory.
void BM_FirstNormals4097(benchmark::State& state)
{
    VeskGrid grid = makeLargeGrid();
    for (auto _ : state) {
        grid.ensureNormals();
        benchmark::DoNotOptimize(grid.normals.data());
        state.PauseTiming();
        grid.normals = {};
        grid.normalsValid = false;
        returnFreedMemoryToTheSystem();
        state.ResumeTiming();
    }
}

void BM_LoadAsciiRealDem(benchmark::State& state)
{
    loadAscii(state, QStringLiteral(TALVANE_DATA "/jacksboro.grd"));
}

void BM_WriteAsciiRealDem(benchmark::State& state)
{
    VeskGrid grid;
    {
        QuietDiagnostics quiet;
        grid.loadGRDFile(QStringLiteral(TALVANE_DATA "/jacksboro.grd"));
    }
    writeAscii(state, grid);
}

} // namespace

BENCHMARK(BM_LoadAsciiGrid4097)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAsciiGrid4097)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFloatGrid4097)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstNormals4097)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAsciiRealDem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAsciiRealDem)->Unit(benchmark::kMillisecond);

// The generated files go with the process.
namespace {
struct RemoveWorkDirectory {
    ~RemoveWorkDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::temp_directory_path()
                                        / ("talvane_gridfiles_bench_" + std::to_string(::getpid())),
                                    ignored);
    }
} removeWorkDirectory;
} // namespace
