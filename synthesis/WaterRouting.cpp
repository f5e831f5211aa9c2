// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "synthesis/WaterRouting.h"

#include "synthesis/DepressionLevels.h"
#include "synthesis/LowestNeighbours.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace {

// Receiver of an inner sample with no neighbour below its water level, until the flats are routed.
constexpr int onFlat = -2;
// Rows of the terrain a parallel pass hands to one task at a time.
constexpr int rowsPerTask = 16;
// Border samples whose catchments make one group; a fixed split, so the groups are
// the same on any number of threads.
constexpr int rootsPerTask = 64;

// Every border sample's index, in index order.
std::vector<int> borderSamples(int width, int height)
{
    std::vector<int> border;
    border.reserve(std::size_t(2 * (width + height)));
    for (int x = 0; x < width; ++x)
        border.push_back(x);
    for (int y = 1; y + 1 < height; ++y) {
        border.push_back(y * width);
        border.push_back(y * width + width - 1);
    }
    for (int x = 0; x < width; ++x)
        border.push_back((height - 1) * width + x);
    return border;
}

// Border samples drain off the terrain; an inner one to its neighbour of steepest fall
// in water level (the first in index order among equals), or, with none lower, it is
// on a flat for now. Rows in parallel.
void drainToSteepestNeighbours(int width, int height, DrainageCell* cells)
{
    tbb::parallel_for(tbb::blocked_range<int>(0, height, rowsPerTask), [&](const tbb::blocked_range<int>& rows) {
        std::vector<float> levels(3 * static_cast<std::size_t>(width));
        std::vector<float> lowest(static_cast<std::size_t>(width));
        std::vector<int> receivers(static_cast<std::size_t>(width));
        for (int y = rows.begin(); y < rows.end(); ++y) {
            const int row = y * width;
            if (y == 0 || y == height - 1) {
                for (int index = row; index < row + width; ++index)
                    cells[index].receiver = Drainage::noReceiver;
                continue;
            }
            // The three rows' levels side by side, out of the cells they are kept in.
            for (int x = 0; x < 3 * width; ++x)
                levels[std::size_t(x)] = cells[row - width + x].waterLevel;
            std::fill(receivers.begin(), receivers.end(), onFlat);
            pickSteepestLowerNeighbours(levels.data() + width + 1, width, width - 2, row + 1, lowest.data(),
                                      receivers.data());
            cells[row].receiver = Drainage::noReceiver;
            cells[row + width - 1].receiver = Drainage::noReceiver;
            for (int x = 1; x + 1 < width; ++x)
                cells[row + x].receiver = receivers[std::size_t(x) - 1];
        }
    });
}

// Calls visit(neighbour) for each of the (up to) eight neighbours of a sample, in
// index order. Only a border sample's neighbours need checking (and its place working out).
template <typename Visit> void forEachNeighbour(int index, bool onBorder, int width, int height, Visit visit)
{
    if (!onBorder) {
        for (const int row : {index - width, index, index + width})
            for (const int neighbour : {row - 1, row, row + 1})
                if (neighbour != index)
                    visit(neighbour);
        return;
    }
    const int y = index / width;
    const int x = index - y * width;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if ((dx != 0 || dy != 0) && x + dx >= 0 && y + dy >= 0 && x + dx < width && y + dy < height)
                visit(index + dy * width + dx);
}

// Samples on a flat drain towards the nearest sample of the same level that drains on
// (a breadth-first search from all of those at once). Every flat has one: water on it
// reaches the border at its level, so somewhere it meets a lower neighbour or the border.
void drainFlats(int width, int height, Drainage& drainage)
{
    DrainageCell* const cells = drainage.cells.data();
    std::vector<int>& flat = drainage.pending;
    flat.clear();
    for (int index = 0; index < width * height; ++index)
        if (cells[index].receiver == onFlat)
            flat.push_back(index);
    std::vector<int>& queue = drainage.basins;
    queue.clear();
    for (const int index : flat)
        forEachNeighbour(index, false, width, height, [&](int neighbour) {
            if (cells[neighbour].receiver != onFlat && cells[neighbour].waterLevel == cells[index].waterLevel)
                queue.push_back(neighbour);
        });
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const int index = queue[next];
        // Only border samples drain off the terrain.
        const bool onBorder = cells[index].receiver == Drainage::noReceiver;
        forEachNeighbour(index, onBorder, width, height, [&](int neighbour) {
            if (cells[neighbour].receiver == onFlat && cells[neighbour].waterLevel == cells[index].waterLevel) {
                cells[neighbour].receiver = index;
                queue.push_back(neighbour);
            }
        });
    }
}

// The eight neighbours' offsets, in index order: bit k of a donor mask stands for neighbour k.
std::array<int, 8> neighbourOffsets(int width)
{
    return {-width - 1, -width, -width + 1, -1, 1, width - 1, width, width + 1};
}

// Which of its eight neighbours drain into each sample, as bits (one byte a sample, a
// quarter of what lists of donors would take, so the walk below stays in the cache).
// Rows in parallel, each sample reading its neighbours' receivers; inner samples one
// neighbour at a time along the row, out of the three rows' receivers side by side.
void markDonors(int width, int height, Drainage& drainage)
{
    const DrainageCell* const cells = drainage.cells.data();
    drainage.donorMasks.resize(drainage.cells.size());
    std::uint8_t* const masks = drainage.donorMasks.data();
    const std::array<int, 8> offsets = neighbourOffsets(width);
    const auto markOnBorder = [&](int x, int y) {
        const int index = y * width + x;
        unsigned mask = 0;
        int k = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                if (dx == 0 && dy == 0)
                    continue;
                if (x + dx >= 0 && y + dy >= 0 && x + dx < width && y + dy < height)
                    mask |= unsigned(cells[index + dy * width + dx].receiver == index) << k;
                ++k;
            }
        masks[index] = std::uint8_t(mask);
    };
    tbb::parallel_for(tbb::blocked_range<int>(0, height, rowsPerTask), [&](const tbb::blocked_range<int>& rows) {
        std::vector<int> receivers(3 * static_cast<std::size_t>(width));
        std::vector<unsigned> rowMasks(static_cast<std::size_t>(width));
        for (int y = rows.begin(); y < rows.end(); ++y) {
            if (y == 0 || y == height - 1) {
                for (int x = 0; x < width; ++x)
                    markOnBorder(x, y);
                continue;
            }
            const int row = y * width;
            for (int x = 0; x < 3 * width; ++x)
                receivers[std::size_t(x)] = cells[row - width + x].receiver;
            std::fill(rowMasks.begin(), rowMasks.end(), 0u);
            const int* const middle = receivers.data() + width;
            for (int k = 0; k < 8; ++k) {
                const int* const neighbours = middle + offsets[std::size_t(k)];
                for (int x = 1; x + 1 < width; ++x)
                    rowMasks[std::size_t(x)] |= unsigned(neighbours[x] == row + x) << k;
            }
            for (int x = 1; x + 1 < width; ++x)
                masks[row + x] = std::uint8_t(rowMasks[std::size_t(x)]);
            markOnBorder(0, y);
            markOnBorder(width - 1, y);
        }
    });
}

// Each group of border samples' catchments walked depth first up the drainage tree,
// the groups in parallel, each into its own list (kept from one routing to the next).
void orderDownstreamFirst(int width, int height, Drainage& drainage)
{
    markDonors(width, height, drainage);
    const std::uint8_t* const masks = drainage.donorMasks.data();
    const std::array<int, 8> neighbours = neighbourOffsets(width);
    const std::vector<int> roots = borderSamples(width, height);
    drainage.groups.resize((roots.size() + rootsPerTask - 1) / rootsPerTask);
    tbb::parallel_for(std::size_t(0), drainage.groups.size(), [&](std::size_t group) {
        std::vector<int>& list = drainage.groups[group];
        list.clear();
        std::vector<int> stack;
        const std::size_t last = std::min(roots.size(), (group + 1) * rootsPerTask);
        for (std::size_t root = group * rootsPerTask; root < last; ++root) {
            stack.assign(1, roots[root]);
            while (!stack.empty()) {
                const int index = stack.back();
                stack.pop_back();
                list.push_back(index);
                for (unsigned mask = masks[index]; mask != 0; mask &= mask - 1)
                    stack.push_back(index + neighbours[std::size_t(std::countr_zero(mask))]);
            }
        }
    });
}

} // namespace

void routeWater(const SampleRaster& terrain, Drainage& drainage)
{
    drainage.cells.resize(terrain.values.size());
    fillDepressionLevels(terrain, drainage);
    drainToSteepestNeighbours(terrain.width, terrain.height, drainage.cells.data());
    drainFlats(terrain.width, terrain.height, drainage);
    orderDownstreamFirst(terrain.width, terrain.height, drainage);
}
