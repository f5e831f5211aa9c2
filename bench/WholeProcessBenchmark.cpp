// What a user waits for: talvane-cli run as a child process on generated fBm terrains
// of 2049 x 2049 and 4097 x 4097 samples, from start to exit, with the child's peak
// resident memory as the counter peak_MB (what /usr/bin/time -f %M reports). Each
// iteration is a new process, so every page of the terrain is touched afresh. Needs
// /usr/bin/time (package time) for the peaks.

#include "grid/GridExport.h"
#include "tools/fbm/FbmTerrain.h"
#include "tools/fbm/FixturePng.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::filesystem::path workDirectory()
{
    static const std::filesystem::path directory = [] {
        auto path = std::filesystem::temp_directory_path() / ("talvane_process_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return directory;
}

std::string workFile(const std::string& name)
{
    return (workDirectory() / name).string();
}

// 8-bit grey PNG of the terrain, its range stretched over 0 to 255.
bool writeGreyPng(const VeskGrid& grid, const std::string& path)
{
    std::vector<std::vector<unsigned char>> rows(grid.height, std::vector<unsigned char>(grid.width));
    const float range = grid.maxHeight > grid.minHeight ? grid.maxHeight - grid.minHeight : 1.0f;
    std::vector<const unsigned char*> pointers;
    for (int row = 0; row < grid.height; ++row) {
        for (int col = 0; col < grid.width; ++col)
            rows[row][col] = static_cast<unsigned char>(255.0f * (grid.heights[row][col] - grid.minHeight) / range);
        pointers.push_back(rows[row].data());
    }
    return writeFixturePng(path, grid.width, grid.height, false, false, pointers);
}

// The terrain of the given side as .flt (+ .hdr), .asc and .png, made once per process.
std::string terrainBase(int side)
{
    static std::map<int, std::string> made;
    auto found = made.find(side);
    if (found != made.end())
        return found->second;
    const std::string base = workFile("fbm" + std::to_string(side));
    const VeskGrid grid = makeFbmTerrain(side, 1);
    QString errorText;
    if (!writeGridFloat(grid, QString::fromStdString(base + ".flt"), errorText)
        || !writeEsriAsciiGrid(grid, QString::fromStdString(base + ".asc"), errorText) || !writeGreyPng(grid, base + ".png"))
        return {};
    return made[side] = base;
}

struct ChildRun {
    bool succeeded = false;
    double peakMegabytes = 0.0;
};

// Runs the tool under /usr/bin/time, whose %M is the peak of the tool's own process: a
// child spawned straight from this (large) process would inherit its peak.
ChildRun runCli(const std::vector<std::string>& arguments)
{
    const std::string peakFile = workFile("peak.txt");
    std::vector<std::string> store{"/usr/bin/time", "-f", "%M", "-o", peakFile, TALVANE_CLI};
    store.insert(store.end(), arguments.begin(), arguments.end());
    store.push_back("--quiet");
    std::vector<char*> argv;
    for (std::string& argument : store)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, "/usr/bin/time", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ChildRun run;
    if (spawned != 0)
        return run;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::ifstream peak(peakFile);
    long long kilobytes = 0;
    peak >> kilobytes;
    run.peakMegabytes = static_cast<double>(kilobytes) / 1024.0;
    return run;
}

// arguments: "IN.<ext>" stands for the generated terrain with that extension, other
// names with a dot for files of the work folder.
void runProcess(benchmark::State& state, const std::vector<std::string>& pattern)
{
    const int side = static_cast<int>(state.range(0));
    const std::string base = terrainBase(side);
    if (base.empty()) {
        state.SkipWithError("cannot write the generated terrain");
        return;
    }
    std::vector<std::string> arguments;
    for (const std::string& argument : pattern) {
        if (argument.rfind("IN.", 0) == 0)
            arguments.push_back(base + argument.substr(2));
        else if (argument.find('.') != std::string::npos)
            arguments.push_back(workFile(argument));
        else
            arguments.push_back(argument);
    }
    double peak = 0.0;
    for (auto _ : state) {
        const ChildRun run = runCli(arguments);
        if (!run.succeeded) {
            state.SkipWithError("talvane-cli failed");
            return;
        }
        peak = std::max(peak, run.peakMegabytes);
    }
    state.counters["peak_MB"] = peak;
}

void BM_InfoAscii(benchmark::State& state) { runProcess(state, {"info", "IN.asc"}); }
void BM_InfoFloat(benchmark::State& state) { runProcess(state, {"info", "IN.flt"}); }
void BM_ConvertFloatToAsciiGrid(benchmark::State& state) { runProcess(state, {"convert", "IN.flt", "out.grd"}); }
void BM_ConvertAsciiToFloat(benchmark::State& state) { runProcess(state, {"convert", "IN.asc", "out.flt"}); }
void BM_CoarsenChaikin(benchmark::State& state)
{
    runProcess(state, {"coarsen", "IN.flt", "coarse.flt", "--scheme", "chaikin"});
}
void BM_CoarsenFaber(benchmark::State& state)
{
    runProcess(state, {"coarsen", "IN.flt", "coarse.flt", "--scheme", "faber"});
}
void BM_RefineChaikin(benchmark::State& state)
{
    runProcess(state, {"refine", "IN.flt", "fine.flt", "--scheme", "chaikin"});
}
void BM_ConvertPngToAsciiGrid(benchmark::State& state) { runProcess(state, {"convert", "IN.png", "png.grd"}); }

void sides(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(2049)->Arg(4097)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}

} // namespace

BENCHMARK(BM_InfoAscii)->Apply(sides);
BENCHMARK(BM_InfoFloat)->Apply(sides);
BENCHMARK(BM_ConvertFloatToAsciiGrid)->Apply(sides);
BENCHMARK(BM_ConvertAsciiToFloat)->Apply(sides);
BENCHMARK(BM_CoarsenChaikin)->Apply(sides);
BENCHMARK(BM_CoarsenFaber)->Apply(sides);
BENCHMARK(BM_RefineChaikin)->Arg(2049)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ConvertPngToAsciiGrid)->Apply(sides);

// The generated files go with the process.
namespace {
// Taking the path at start-up makes the folder's name outlive this object.
struct RemoveWorkDirectory {
    std::filesystem::path path = workDirectory();
    ~RemoveWorkDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
} removeWorkDirectory;
} // namespace
