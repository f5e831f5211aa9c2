// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "synthesis/WaterRouting.h"

#include "synthesis/DepressionLevels.h"

#include <algorithm>

namespace {

// Receiver of an inner sample with no neighbour below its water level, until the flats are routed.
constexpr int onFlat = -2;
// Rows of the terrain a parallel pass hands to one task at a time.
constexpr int rowsPerTask = 16;
// Border samples whose catchments one task walks; a fixed split, so the order is the
// same on any number of threads.
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

// Border samples drain off the terrain; an inner one to its neighbour of lowest water
// level below its own (the first in index order among equals), or, with none, it is
// on a flat for now. Rows in parallel.
void drainToLowestNeighbours(int width, int height, DrainageCell* cells)
{
    tbb::parallel_for(tbb::blocked_range<int>(0, height, rowsPerTask), [&](const tbb::blocked_range<int>& rows) {
        for (int y = rows.begin(); y < rows.end(); ++y) {
            const int row = y * width;
            if (y == 0 || y == height - 1) {
                for (int index = row; index < row + width; ++index)
                    cells[index].receiver = Drainage::noReceiver;
                continue;
            }
            cells[row].receiver = Drainage::noReceiver;
            cells[row + width - 1].receiver = Drainage::noReceiver;
            for (int index = row + 1; index < row + width - 1; ++index) {
                int lowest = onFlat;
                float lowestLevel = cells[index].waterLevel;
                for (const int above : {index - width, index, index + width})
                    for (const int neighbour : {above - 1, above, above + 1}) {
                        const bool lower = cells[neighbour].waterLevel < lowestLevel;
                        lowestLevel = lower ? cells[neighbour].waterLevel : lowestLevel;
                        lowest = lower ? neighbour : lowest;
                    }
                cells[index].receiver = lowest;
            }
        }
    });
}

// Calls visit(neighbour) for each of the (up to) eight neighbours of a sample, in index order.
template <typename Visit> void forEachNeighbour(int index, int width, int height, Visit visit)
{
    const int y = index / width;
    const int x = index - y * width;
    if (x > 0 && y > 0 && x + 1 < width && y + 1 < height) {
        for (const int row : {index - width, index, index + width})
            for (const int neighbour : {row - 1, row, row + 1})
                if (neighbour != index)
                    visit(neighbour);
        return;
    }
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
        forEachNeighbour(index, width, height, [&](int neighbour) {
            if (cells[neighbour].receiver != onFlat && cells[neighbour].waterLevel == cells[index].waterLevel)
                queue.push_back(neighbour);
        });
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const int index = queue[next];
        forEachNeighbour(index, width, height, [&](int neighbour) {
            if (cells[neighbour].receiver == onFlat && cells[neighbour].waterLevel == cells[index].waterLevel) {
                cells[neighbour].receiver = index;
                queue.push_back(neighbour);
            }
        });
    }
}

// Donor lists: starts[r] is first counted up to the end of r's list, then, the lists
// filled from the back, down to its start; r's donors run to starts[r + 1].
void listDonors(Drainage& drainage)
{
    const std::size_t count = drainage.cells.size();
    const DrainageCell* const cells = drainage.cells.data();
    std::vector<int>& starts = drainage.donorStarts;
    std::vector<int>& donors = drainage.basins;
    starts.assign(count + 1, 0);
    for (std::size_t index = 0; index < count; ++index)
        if (cells[index].receiver >= 0)
            ++starts[std::size_t(cells[index].receiver)];
    for (std::size_t index = 1; index < count; ++index)
        starts[index] += starts[index - 1];
    starts[count] = starts[count - 1];
    donors.resize(std::size_t(starts[count]));
    for (std::size_t index = count; index-- > 0;)
        if (cells[index].receiver >= 0)
            donors[std::size_t(--starts[std::size_t(cells[index].receiver)])] = int(index);
}

// The order: each border sample's catchment walked depth first up the drainage tree,
// the catchments in the border's index order. Groups of catchments are walked in
// parallel into lists of their own, then laid one after another.
void orderDownstreamFirst(int width, int height, Drainage& drainage)
{
    listDonors(drainage);
    const std::vector<int>& starts = drainage.donorStarts;
    const std::vector<int>& donors = drainage.basins;
    const std::vector<int> roots = borderSamples(width, height);
    const int groups = int((roots.size() + rootsPerTask - 1) / rootsPerTask);
    std::vector<std::vector<int>> walked(std::size_t(groups), std::vector<int>{});
    tbb::parallel_for(0, groups, [&](int group) {
        std::vector<int>& list = walked[std::size_t(group)];
        std::vector<int> stack;
        const std::size_t last = std::min(roots.size(), std::size_t(group + 1) * rootsPerTask);
        for (std::size_t root = std::size_t(group) * rootsPerTask; root < last; ++root) {
            stack.assign(1, roots[root]);
            while (!stack.empty()) {
                const int index = stack.back();
                stack.pop_back();
                list.push_back(index);
                for (int donor = starts[std::size_t(index)]; donor < starts[std::size_t(index) + 1]; ++donor)
                    stack.push_back(donors[std::size_t(donor)]);
            }
        }
    });
    drainage.order.resize(drainage.cells.size());
    std::vector<std::size_t>& offsets = drainage.groupStarts;
    offsets.assign(std::size_t(groups) + 1, 0);
    for (int group = 0; group < groups; ++group)
        offsets[std::size_t(group) + 1] = offsets[std::size_t(group)] + walked[std::size_t(group)].size();
    tbb::parallel_for(0, groups, [&](int group) {
        std::copy(walked[std::size_t(group)].begin(), walked[std::size_t(group)].end(),
                  drainage.order.begin() + std::ptrdiff_t(offsets[std::size_t(group)]));
    });
}

} // namespace

void routeWater(const SampleRaster& terrain, Drainage& drainage)
{
    drainage.cells.resize(terrain.values.size());
    fillDepressionLevels(terrain, drainage);
    drainToLowestNeighbours(terrain.width, terrain.height, drainage.cells.data());
    drainFlats(terrain.width, terrain.height, drainage);
    orderDownstreamFirst(terrain.width, terrain.height, drainage);
}
