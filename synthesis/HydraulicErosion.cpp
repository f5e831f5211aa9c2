// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>

#include "synthesis/HydraulicErosion.h"

#include "diagnostics/Diagnostics.h"
#include "multires/GridReplacement.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/MatchThreads.h"
#include "synthesis/SampleRaster.h"
#include "synthesis/TerrainPresence.h"
#include "synthesis/WaterRouting.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// Samples under water that covers more than lakeArea samples (8-connected), which stay lakes.
// Which samples are under water is marked first, rows in parallel, one byte a sample, so
// that joining the bodies of water (a fifth of a synthesised terrain's samples) reads that
// byte alone; each sample under water joins one body once, so this is linear in the
// terrain's size.
std::vector<char> largeLakes(const SampleRaster& terrain, const Drainage& drainage, int lakeArea)
{
    enum : char { dry = 0, inLargeLake = 1, inSmallLake = 2, wetNotReached = 3 };
    const int width = terrain.width;
    const int height = terrain.height;
    std::vector<char> state(terrain.values.size());
    const auto forEverySample = [&](const auto& visit) {
        tbb::parallel_for(0, height, [&](int y) {
            const std::size_t first = std::size_t(y) * std::size_t(width);
            for (std::size_t index = first; index < first + std::size_t(width); ++index)
                visit(index);
        });
    };
    forEverySample([&](std::size_t index) {
        state[index] = drainage.cells[index].waterLevel > terrain.values[index] ? wetNotReached : dry;
    });
    // Members by column and row: no division to find a member's neighbours.
    std::vector<std::pair<int, int>> members;
    for (int startY = 0; startY < height; ++startY) {
        for (int startX = 0; startX < width; ++startX) {
            char& start = state[std::size_t(startY) * std::size_t(width) + std::size_t(startX)];
            if (start != wetNotReached)
                continue;
            members.assign(1, {startX, startY});
            start = inSmallLake;
            for (std::size_t next = 0; next < members.size(); ++next) {
                const auto [x, y] = members[next];
                for (int ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny) {
                    char* const row = &state[std::size_t(ny) * std::size_t(width)];
                    for (int nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
                        if (row[nx] != wetNotReached)
                            continue;
                        row[nx] = inSmallLake;
                        members.emplace_back(nx, ny);
                    }
                }
            }
            if (lakeArea > 0 && members.size() > std::size_t(lakeArea))
                for (const auto& [x, y] : members)
                    state[std::size_t(y) * std::size_t(width) + std::size_t(x)] = inLargeLake;
        }
    }
    forEverySample([&](std::size_t index) { state[index] = state[index] == inLargeLake ? 1 : 0; });
    return state;
}

// The area draining through each step of a group of whole catchments (the group's
// steps, not the samples' indices), added up upstream first.
void accumulateArea(const std::vector<int>& receiverSteps, double cellArea, std::vector<double>& area)
{
    area.assign(receiverSteps.size(), cellArea);
    for (std::size_t step = receiverSteps.size(); step-- > 0;) {
        const int receiver = receiverSteps[step];
        if (receiver >= 0)
            area[std::size_t(receiver)] += area[step];
    }
}

// One step of incision and deposition over a group of whole catchments, downstream
// first; `area` holds each step's drainage area, and without it nothing cuts. Nothing
// settles where keptLakes is set.
void inciseGroup(SampleRaster& terrain, const Drainage& drainage, const std::vector<int>& order, const double* area,
                 double cellSize, const ErosionSettings& settings, bool settle, const std::vector<char>& keptLakes)
{
    const int width = terrain.width;
    const double diagonalDistance = cellSize * std::sqrt(2.0);
    const DrainageCell* const cells = drainage.cells.data();
    float* const heights = terrain.values.data();
    for (std::size_t step = 0; step < order.size(); ++step) {
        const int index = order[step];
        const DrainageCell& cell = cells[index];
        const int receiver = cell.receiver;
        if (receiver == Drainage::noReceiver)
            continue;
        // Neighbours in one row or column are 1 or a row apart; the diagonal ones are not.
        const int apart = std::abs(index - receiver);
        const double distance = apart != 1 && apart != width ? diagonalDistance : cellSize;
        const double factor = area != nullptr ? settings.strength * std::sqrt(area[step]) / distance : 0.0;
        const double below = heights[receiver];
        const double here = heights[index];
        // At the end, sediment settles where the water stops, until it runs on; a depression
        // deeper than lakeDepth stays a lake below that.
        const double waterDepth = double(cell.waterLevel) - here;
        // Ponded water does not cut: a sample under standing water, or below the one it
        // drains to, waits for its outlet to wear down. (A lake's bed rising towards its shore
        // is above the samples it drains to, along the routing's straight lines to the outlet.)
        double lowered = here > below && !(waterDepth > 0.0) ? (here + factor * below) / (1.0 + factor) : here;
        const bool keptLake = !keptLakes.empty() && keptLakes[std::size_t(index)] != 0;
        // Sediment settles where water stands, and on ground left level with or below the
        // sample it drains to (a filled hollow's rim, a flat), not on a slope however gentle.
        const bool settles = waterDepth > 0.0 || lowered <= below;
        if (settle && settles && !keptLake && lowered < below + settings.lakeDrop && waterDepth <= settings.lakeDepth)
            lowered = below + settings.lakeDrop;
        heights[index] = float(lowered);
    }
}

// One step of incision and deposition, each group of catchments on its own, side by
// side: water never crosses from one to another, so the result is the same on any
// number of threads.
void incise(SampleRaster& terrain, const Drainage& drainage, double cellSize, const ErosionSettings& settings,
            bool settle, const std::vector<char>& keptLakes)
{
    // Without strength no area counts (0 times any area is 0, of the strength's sign), and settling needs none.
    const bool cuts = settings.strength != 0.0;
    tbb::parallel_for(std::size_t(0), drainage.groups.size(), [&](std::size_t group) {
        std::vector<double> area;
        if (cuts)
            accumulateArea(drainage.receiverSteps[group], cellSize * cellSize, area);
        inciseGroup(terrain, drainage, drainage.groups[group], cuts ? area.data() : nullptr, cellSize, settings, settle,
                    keptLakes);
    });
}

// One step of routing and incision over the whole of `terrain`.
void erosionStep(SampleRaster& terrain, Drainage& drainage, double cellSize, const ErosionSettings& settings,
                 bool settle)
{
    routeWater(terrain, drainage);
    const std::vector<char> keptLakes =
        settle && settings.lakeArea > 0 ? largeLakes(terrain, drainage, settings.lakeArea) : std::vector<char>{};
    incise(terrain, drainage, cellSize, settings, settle, keptLakes);
}

// Where the tiles along a side of `length` begin, evenly spread, at most `side` apart,
// with `length` last.
std::vector<int> tileStarts(int length, int side)
{
    const int tiles = (length + side - 1) / side;
    std::vector<int> starts;
    for (int i = 0; i <= tiles; ++i)
        starts.push_back(int(std::int64_t(length) * i / tiles));
    return starts;
}

// Tiles one step works in: 1 without tiles.
int tilesPerStep(const SampleRaster& terrain, const ErosionSettings& settings)
{
    if (settings.tileSide == 0)
        return 1;
    return (int(tileStarts(terrain.width, settings.tileSide).size()) - 1)
           * (int(tileStarts(terrain.height, settings.tileSide).size()) - 1);
}

// One step tile by tile, the tiles side by side: each tile and its margin are copied
// out of the terrain as the step found it and eroded on their own, and the tile is
// written back, so the result does not depend on the order or the threads. A cancel
// stops the step between tiles (the caller then drops the terrain); each tile done is
// reported as one unit after `doneBefore` of `total`.
void erosionStepInTiles(SampleRaster& terrain, double cellSize, const ErosionSettings& settings, bool settle,
                        std::int64_t doneBefore, std::int64_t total)
{
    const SampleRaster before = terrain;
    const std::vector<int> startsX = tileStarts(terrain.width, settings.tileSide);
    const std::vector<int> startsY = tileStarts(terrain.height, settings.tileSide);
    const int across = int(startsX.size()) - 1;
    const int margin = settings.tileMargin;
    tbb::enumerable_thread_specific<Drainage> drainages;
    std::atomic<std::int64_t> tilesDone{0};
    tbb::parallel_for(0, across * (int(startsY.size()) - 1), [&](int tile) {
        if (settings.progress.cancelled())
            return;
        const int tileLeft = startsX[std::size_t(tile % across)];
        const int tileRight = startsX[std::size_t(tile % across + 1)];
        const int tileTop = startsY[std::size_t(tile / across)];
        const int tileBottom = startsY[std::size_t(tile / across + 1)];
        const int left = std::max(0, tileLeft - margin);
        const int top = std::max(0, tileTop - margin);
        SampleRaster part(std::min(terrain.width, tileRight + margin) - left,
                          std::min(terrain.height, tileBottom + margin) - top);
        for (int y = 0; y < part.height; ++y)
            std::copy_n(&before.values[std::size_t(top + y) * std::size_t(before.width) + std::size_t(left)],
                        part.width, &part.values[std::size_t(y) * std::size_t(part.width)]);
        erosionStep(part, drainages.local(), cellSize, settings, settle);
        for (int y = tileTop; y < tileBottom; ++y)
            std::copy_n(&part.values[std::size_t(y - top) * std::size_t(part.width) + std::size_t(tileLeft - left)],
                        tileRight - tileLeft,
                        &terrain.values[std::size_t(y) * std::size_t(terrain.width) + std::size_t(tileLeft)]);
        settings.progress.advance(doneBefore + ++tilesDone, total);
    });
}

// Each inner sample moves by `creep` of the way to its eight neighbours' mean.
void creep(SampleRaster& terrain, double amount)
{
    const SampleRaster before = terrain;
    tbb::parallel_for(1, terrain.height - 1, [&](int y) {
        for (int x = 1; x < terrain.width - 1; ++x) {
            double sum = 0.0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (dx != 0 || dy != 0)
                        sum += before.at(x + dx, y + dy);
            const double here = before.at(x, y);
            terrain.at(x, y) = float(here + amount * (sum / 8.0 - here));
        }
    });
}

bool settingsInRange(const ErosionSettings& settings, QString& error)
{
    if (settings.iterations >= 0 && settings.iterations <= 1000 && settings.strength >= 0.0
        && settings.creep >= 0.0 && settings.creep <= 1.0 && settings.lakeDrop >= 0.0 && settings.lakeDepth >= 0.0
        && settings.lakeArea >= 0 && (settings.tileSide == 0 || (settings.tileSide >= 16 && settings.tileMargin >= 1)))
        return true;
    error = QStringLiteral("Erosion takes 0 to 1000 iterations, a strength, a lake drop and a lake depth of 0 or "
                           "more, a creep of 0 to 1, and tiles (if any) of 16 or more samples with a margin.");
    diagnostics::reportf("Error in erosion settings\n");
    return false;
}

} // namespace

bool erodeTerrain(VeskGrid& grid, const ErosionSettings& settings, QString& error)
{
    if (!checkTerrainHasData(grid, "erosion", "terrain", error) || !settingsInRange(settings, error))
        return false;
    if (grid.width < 3 || grid.height < 3) {
        error = QStringLiteral("Erosion needs a terrain of at least 3 x 3 samples.");
        diagnostics::reportf("Error, erosion needs at least 3 X 3 samples\n");
        return false;
    }
    diagnostics::reportf("Eroding %i X %i: %i iterations, strength %g, creep %g\n", grid.width, grid.height,
                         settings.iterations, settings.strength, settings.creep);
    SampleRaster terrain = rasterOf(grid.heights, grid.width, grid.height);
    Drainage drainage;
    const std::int64_t tiles = tilesPerStep(terrain, settings);
    const std::int64_t total = tiles * settings.iterations;
    const double cellSize = grid.cellSize > 0.0f ? grid.cellSize : 1.0;
    const auto stopped = [&] {
        if (!settings.progress.cancelled())
            return false;
        error = BlockMapper::cancelledText();
        return true;
    };
    for (int iteration = 0; iteration < settings.iterations; ++iteration) {
        if (stopped())
            return false;
        settings.progress.advance(iteration * tiles, total);
        const bool settle = iteration + 1 == settings.iterations;
        runWithThreads(settings.threads, [&] {
            if (settings.tileSide > 0)
                erosionStepInTiles(terrain, cellSize, settings, settle, iteration * tiles, total);
            else
                erosionStep(terrain, drainage, cellSize, settings, settle);
        });
        if (stopped())
            return false;
        if (settings.creep > 0.0)
            runWithThreads(settings.threads, [&] { creep(terrain, settings.creep); });
    }
    settings.progress.advance(total, total);
    copyIntoMatrix(terrain, grid.heights);
    markHeightsReplaced(grid);
    return true;
}
