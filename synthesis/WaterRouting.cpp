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
#include <utility>

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

// The eight neighbours' offsets, in index order: bit k of a donor mask stands for neighbour k.
std::array<int, 8> neighbourOffsets(int width)
{
    return {-width - 1, -width, -width + 1, -1, 1, width - 1, width, width + 1};
}

// Calls visit(dx, dy, k) for each neighbour of sample (x, y) that lies inside the
// terrain, k its place among the eight in index order.
template <typename Visit> void forEachNeighbourInside(int x, int y, int width, int height, Visit visit)
{
    int k = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            if (x + dx >= 0 && y + dy >= 0 && x + dx < width && y + dy < height)
                visit(dx, dy, k);
            ++k;
        }
}

// For `count` inner samples side by side, whose receivers start at `receivers` in rows
// `width` long and whose first index is `firstIndex`: which of each one's eight
// neighbours drain into it, as bits in neighbourOffsets' order. A function of its own
// over plain pointers, so that the compiler runs it in vector lanes (inline in the
// routing it could not tell the receivers from the bits and did one sample at a time).
void donorBits(const int* __restrict receivers, int width, int count, int firstIndex, std::uint8_t* __restrict bits)
{
    const int* const above = receivers - width;
    const int* const below = receivers + width;
    for (int x = 0; x < count; ++x) {
        const int index = firstIndex + x;
        bits[x] = std::uint8_t(unsigned(above[x - 1] == index) | unsigned(above[x] == index) << 1
                               | unsigned(above[x + 1] == index) << 2 | unsigned(receivers[x - 1] == index) << 3
                               | unsigned(receivers[x + 1] == index) << 4 | unsigned(below[x - 1] == index) << 5
                               | unsigned(below[x] == index) << 6 | unsigned(below[x + 1] == index) << 7);
    }
}

// Border samples drain off the terrain; an inner one to its neighbour of steepest fall
// in water level (the first in index order among equals), or, with none lower, it is
// on a flat for now (listed in drainage.pending). With them, which of its eight
// neighbours drain into each sample, as bits (one byte a sample, a quarter of what
// lists of donors would take, so that the walk of the order stays in the cache); flats
// add theirs as they are routed. Rows in parallel: each task works out the receivers
// of its rows and of the rows either side, which its rows' donors need, one neighbour
// at a time along each row.
void drainToSteepestNeighbours(int width, int height, Drainage& drainage)
{
    DrainageCell* const cells = drainage.cells.data();
    std::vector<std::vector<int>> flatsByRow(static_cast<std::size_t>(height));
    drainage.donorMasks.resize(drainage.cells.size());
    std::uint8_t* const masks = drainage.donorMasks.data();
    tbb::parallel_for(tbb::blocked_range<int>(0, height, rowsPerTask), [&](const tbb::blocked_range<int>& rows) {
        const int first = std::max(0, rows.begin() - 1);
        const int last = std::min(height, rows.end() + 1);
        std::vector<int> receivers(std::size_t(last - first) * std::size_t(width));
        std::vector<float> levels(3 * static_cast<std::size_t>(width));
        std::vector<float> steepest(static_cast<std::size_t>(width));
        const auto receiversOf = [&](int y) { return receivers.data() + std::size_t(y - first) * std::size_t(width); };
        for (int y = first; y < last; ++y) {
            int* const out = receiversOf(y);
            if (y == 0 || y == height - 1) {
                std::fill(out, out + width, Drainage::noReceiver);
                continue;
            }
            // The three rows' levels side by side, out of the cells they are kept in.
            for (int x = 0; x < 3 * width; ++x)
                levels[std::size_t(x)] = cells[(y - 1) * width + x].waterLevel;
            out[0] = Drainage::noReceiver;
            out[width - 1] = Drainage::noReceiver;
            std::fill(out + 1, out + width - 1, onFlat);
            pickSteepestLowerNeighbours(levels.data() + width + 1, width, width - 2, y * width + 1, steepest.data(),
                                        out + 1);
        }
        for (int y = rows.begin(); y < rows.end(); ++y) {
            const int row = y * width;
            const int* const middle = receiversOf(y);
            for (int x = 0; x < width; ++x) {
                cells[row + x].receiver = middle[x];
                if (middle[x] == onFlat)
                    flatsByRow[std::size_t(y)].push_back(row + x);
            }
            const auto maskOnBorder = [&](int x) {
                unsigned mask = 0;
                forEachNeighbourInside(x, y, width, height, [&](int dx, int dy, int k) {
                    mask |= unsigned(receiversOf(y + dy)[x + dx] == row + x) << k;
                });
                masks[row + x] = std::uint8_t(mask);
            };
            if (y == 0 || y == height - 1) {
                for (int x = 0; x < width; ++x)
                    maskOnBorder(x);
                continue;
            }
            donorBits(middle + 1, width, width - 2, row + 1, masks + row + 1);
            maskOnBorder(0);
            maskOnBorder(width - 1);
        }
    });
    drainage.pending.clear();
    for (const std::vector<int>& flats : flatsByRow)
        drainage.pending.insert(drainage.pending.end(), flats.begin(), flats.end());
}

// Calls visit(neighbour, k) for each of the (up to) eight neighbours of a sample, k its
// place among the eight in index order. Only a border sample's neighbours need checking
// (and its place working out).
template <typename Visit> void forEachNeighbour(int index, bool onBorder, int width, int height, Visit visit)
{
    if (!onBorder) {
        int k = 0;
        for (const int row : {index - width, index, index + width})
            for (const int neighbour : {row - 1, row, row + 1})
                if (neighbour != index)
                    visit(neighbour, k++);
        return;
    }
    const int y = index / width;
    forEachNeighbourInside(index - y * width, y, width, height,
                           [&](int dx, int dy, int k) { visit(index + dy * width + dx, k); });
}

// Samples on a flat drain towards the nearest sample of the same level that drains on
// (a breadth-first search from all of those at once). Every flat has one: water on it
// reaches the border at its level, so somewhere it meets a lower neighbour or the border.
void drainFlats(int width, int height, Drainage& drainage)
{
    DrainageCell* const cells = drainage.cells.data();
    std::uint8_t* const masks = drainage.donorMasks.data();
    const std::vector<int>& flat = drainage.pending;
    LargeVector<int>& queue = drainage.basins;
    queue.clear();
    for (const int index : flat)
        forEachNeighbour(index, false, width, height, [&](int neighbour, int) {
            if (cells[neighbour].receiver != onFlat && cells[neighbour].waterLevel == cells[index].waterLevel)
                queue.push_back(neighbour);
        });
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const int index = queue[next];
        // Only border samples drain off the terrain.
        const bool onBorder = cells[index].receiver == Drainage::noReceiver;
        forEachNeighbour(index, onBorder, width, height, [&](int neighbour, int k) {
            if (cells[neighbour].receiver == onFlat && cells[neighbour].waterLevel == cells[index].waterLevel) {
                cells[neighbour].receiver = index;
                masks[index] = std::uint8_t(masks[index] | (1u << k));
                queue.push_back(neighbour);
            }
        });
    }
}

// Each group of border samples' catchments walked depth first up the drainage tree,
// the groups in parallel, each into its own list (kept from one routing to the next),
// with the step each sample drains to.
void orderDownstreamFirst(int width, int height, Drainage& drainage)
{
    const std::uint8_t* const masks = drainage.donorMasks.data();
    const std::array<int, 8> neighbours = neighbourOffsets(width);
    const std::vector<int> roots = borderSamples(width, height);
    drainage.groups.resize((roots.size() + rootsPerTask - 1) / rootsPerTask);
    drainage.receiverSteps.resize(drainage.groups.size());
    tbb::parallel_for(std::size_t(0), drainage.groups.size(), [&](std::size_t group) {
        std::vector<int>& list = drainage.groups[group];
        std::vector<int>& receiverSteps = drainage.receiverSteps[group];
        list.clear();
        receiverSteps.clear();
        // A sample to visit and the step of the sample it drains to.
        std::vector<std::pair<int, int>> stack;
        const std::size_t last = std::min(roots.size(), (group + 1) * rootsPerTask);
        for (std::size_t root = group * rootsPerTask; root < last; ++root) {
            stack.assign(1, {roots[root], -1});
            while (!stack.empty()) {
                const auto [index, receiverStep] = stack.back();
                stack.pop_back();
                const int step = int(list.size());
                list.push_back(index);
                receiverSteps.push_back(receiverStep);
                for (unsigned mask = masks[index]; mask != 0; mask &= mask - 1)
                    stack.emplace_back(index + neighbours[std::size_t(std::countr_zero(mask))], step);
            }
        }
    });
}

} // namespace

void routeWater(const SampleRaster& terrain, Drainage& drainage)
{
    drainage.cells.resize(terrain.values.size());
    fillDepressionLevels(terrain, drainage);
    drainToSteepestNeighbours(terrain.width, terrain.height, drainage);
    drainFlats(terrain.width, terrain.height, drainage);
    orderDownstreamFirst(terrain.width, terrain.height, drainage);
}
