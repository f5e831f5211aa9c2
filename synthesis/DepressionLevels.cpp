// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>

#include "synthesis/DepressionLevels.h"

#include "synthesis/LowestNeighbours.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <functional>
#include <limits>
#include <queue>
#include <utility>
#include <vector>

namespace {

// The basin of every sample whose water runs off the border.
constexpr int borderBasin = 0;
// Rows of the terrain a parallel pass hands to one task at a time.
constexpr int rowsPerTask = 16;

// A basin's label as stored: ~basin, negative, apart from the indices of the samples
// below, which the labelling replaces.
int labelCode(int basin)
{
    return ~basin;
}

// Labels every sample with its basin's code: the border's basin (0), or a pit's,
// numbered from 1 in index order. Returns how many basins there are. Every inner
// sample's way down is found first, then the pits are numbered, then each sample's
// path down is walked to the label it ends in, which is written back along it: rows
// in parallel at every step. Two walks may meet on one path; both write the same
// label there, so the labels do not depend on the threads.
int labelBasins(const SampleRaster& terrain, LargeVector<int>& basins)
{
    const int width = terrain.width;
    const int height = terrain.height;
    const float* heights = terrain.values.data();
    basins.resize(terrain.values.size());
    int* const codes = basins.data();
    const tbb::blocked_range<int> allRows(0, height, rowsPerTask);
    std::vector<int> pitsBefore(std::size_t(height) + 1, 0);
    tbb::parallel_for(allRows, [&](const tbb::blocked_range<int>& rows) {
        std::vector<float> lowest(static_cast<std::size_t>(width));
        for (int y = rows.begin(); y < rows.end(); ++y) {
            const int row = y * width;
            if (y == 0 || y == height - 1) {
                std::fill(codes + row, codes + row + width, labelCode(borderBasin));
                continue;
            }
            codes[row] = labelCode(borderBasin);
            // A sample with no lower neighbour is a pit: its way down ends at itself.
            for (int x = 1; x + 1 < width; ++x)
                codes[row + x] = row + x;
            pickLowestLowerNeighbours(heights + row + 1, width, width - 2, row + 1, lowest.data(), codes + row + 1);
            codes[row + width - 1] = labelCode(borderBasin);
            int pits = 0;
            for (int x = 1; x + 1 < width; ++x)
                pits += codes[row + x] == row + x ? 1 : 0;
            pitsBefore[std::size_t(y) + 1] = pits;
        }
    });
    for (std::size_t y = 1; y < pitsBefore.size(); ++y)
        pitsBefore[y] += pitsBefore[y - 1];
    tbb::parallel_for(allRows, [&](const tbb::blocked_range<int>& rows) {
        for (int y = rows.begin(); y < rows.end(); ++y) {
            int basin = borderBasin + 1 + pitsBefore[std::size_t(y)];
            for (int index = y * width; index < (y + 1) * width; ++index)
                if (codes[index] == index)
                    codes[index] = labelCode(basin++);
        }
    });
    tbb::parallel_for(allRows, [&](const tbb::blocked_range<int>& rows) {
        std::vector<int> path;
        for (int start = rows.begin() * width; start < rows.end() * width; ++start) {
            std::atomic_ref<int> first(codes[start]);
            if (first.load(std::memory_order_relaxed) < 0)
                continue;
            path.clear();
            int at = start;
            int code = first.load(std::memory_order_relaxed);
            while (code >= 0) {
                path.push_back(at);
                at = code;
                code = std::atomic_ref<int>(codes[at]).load(std::memory_order_relaxed);
            }
            for (const int member : path)
                std::atomic_ref<int>(codes[member]).store(code, std::memory_order_relaxed);
        }
    });
    return borderBasin + 1 + pitsBefore.back();
}

// The lowest pass between each two neighbouring basins: the least, over neighbouring
// samples one in each, of the higher of their heights: an open-addressing table of
// basin pairs.
class PassTable {
public:
    explicit PassTable(int basins)
    {
        // Room for about as many pairs as basins; most terrains have a few times more, and
        // the table doubles as it fills.
        std::size_t size = 64;
        while (size < std::size_t(basins) * 2)
            size *= 2;
        resize(size);
    }

    void lower(int first, int second, float pass)
    {
        const std::uint64_t key = first < second ? std::uint64_t(first) << 32 | std::uint32_t(second)
                                                 : std::uint64_t(second) << 32 | std::uint32_t(first);
        if (key == entries_[last_].key) {
            entries_[last_].pass = std::min(entries_[last_].pass, pass);
            return;
        }
        last_ = find(key);
        Entry& entry = entries_[last_];
        if (entry.key != emptyKey) {
            entry.pass = std::min(entry.pass, pass);
            return;
        }
        entry = {key, pass};
        if (++used_ * 2 > entries_.size())
            grow();
    }

    // Calls visit(first, second, pass) for every pair met.
    template <typename Visit> void forEach(Visit visit) const
    {
        for (const Entry& entry : entries_)
            if (entry.key != emptyKey)
                visit(int(entry.key >> 32), int(std::uint32_t(entry.key)), entry.pass);
    }

private:
    static constexpr std::uint64_t emptyKey = ~std::uint64_t(0);
    struct Entry {
        std::uint64_t key = emptyKey;
        float pass = 0.0f;
    };

    // The slot holding key, or the empty one where it would go.
    std::size_t find(std::uint64_t key) const
    {
        std::size_t slot = std::size_t((key * 0x9e3779b97f4a7c15ULL) >> shift_);
        while (entries_[slot].key != key && entries_[slot].key != emptyKey)
            slot = (slot + 1) & (entries_.size() - 1);
        return slot;
    }

    void resize(std::size_t size)
    {
        entries_.assign(size, Entry{});
        shift_ = 64 - std::countr_zero(size);
    }

    void grow()
    {
        const std::vector<Entry> old = std::move(entries_);
        resize(old.size() * 2);
        for (const Entry& entry : old)
            if (entry.key != emptyKey)
                entries_[find(entry.key)] = entry;
        last_ = 0;
    }

    std::vector<Entry> entries_;
    int shift_ = 0;
    std::size_t used_ = 0;
    // The slot last met: the passes between two basins mostly come one after another along their border.
    std::size_t last_ = 0;
};

// Every neighbouring pair of samples once (to the east, and to the three samples of
// the row below), rows in parallel, each task into a table of its own; the least
// pass of every pair does not depend on which table saw it.
PassTable passesBetweenBasins(const SampleRaster& terrain, const LargeVector<int>& codes, int basinCount)
{
    const int width = terrain.width;
    const int height = terrain.height;
    const float* heights = terrain.values.data();
    tbb::enumerable_thread_specific<PassTable> tables([basinCount] { return PassTable(basinCount); });
    tbb::parallel_for(tbb::blocked_range<int>(0, height, rowsPerTask), [&](const tbb::blocked_range<int>& rows) {
        PassTable& passes = tables.local();
        const auto meet = [&](int index, int neighbour) {
            if (codes[std::size_t(index)] != codes[std::size_t(neighbour)])
                passes.lower(~codes[std::size_t(index)], ~codes[std::size_t(neighbour)],
                             std::max(heights[index], heights[neighbour]));
        };
        for (int y = rows.begin(); y < rows.end(); ++y) {
            const int row = y * width;
            if (y + 1 == height) {
                for (int index = row; index + 1 < row + width; ++index)
                    meet(index, index + 1);
                continue;
            }
            meet(row, row + 1);
            meet(row, row + width);
            meet(row, row + width + 1);
            for (int index = row + 1; index + 1 < row + width; ++index) {
                const int code = codes[std::size_t(index)];
                // Mostly all five lie in one basin.
                if (code == codes[std::size_t(index) + 1] && code == codes[std::size_t(index + width) - 1]
                    && code == codes[std::size_t(index + width)] && code == codes[std::size_t(index + width) + 1])
                    continue;
                meet(index, index + 1);
                meet(index, index + width - 1);
                meet(index, index + width);
                meet(index, index + width + 1);
            }
            meet(row + width - 1, row + 2 * width - 2);
            meet(row + width - 1, row + 2 * width - 1);
        }
    });
    PassTable passes(basinCount);
    for (const PassTable& table : tables)
        table.forEach([&](int first, int second, float pass) { passes.lower(first, second, pass); });
    return passes;
}

// Each basin's flood level: the least, over routes through neighbouring basins to the
// border's, of the highest pass on the route (a priority flood of the basin graph).
std::vector<float> basinLevels(const PassTable& passes, int basinCount)
{
    std::vector<int> starts(std::size_t(basinCount) + 1, 0);
    passes.forEach([&](int first, int second, float) {
        ++starts[std::size_t(first) + 1];
        ++starts[std::size_t(second) + 1];
    });
    for (std::size_t basin = 1; basin < starts.size(); ++basin)
        starts[basin] += starts[basin - 1];
    std::vector<std::pair<int, float>> links(std::size_t(starts.back()));
    std::vector<int> filled(starts.begin(), starts.end() - 1);
    passes.forEach([&](int first, int second, float pass) {
        links[std::size_t(filled[std::size_t(first)]++)] = {second, pass};
        links[std::size_t(filled[std::size_t(second)]++)] = {first, pass};
    });

    std::vector<float> levels(std::size_t(basinCount), std::numeric_limits<float>::infinity());
    std::vector<char> done(std::size_t(basinCount), 0);
    using Entry = std::pair<float, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> front;
    levels[borderBasin] = -std::numeric_limits<float>::infinity();
    front.emplace(levels[borderBasin], borderBasin);
    while (!front.empty()) {
        const auto [level, basin] = front.top();
        front.pop();
        if (done[std::size_t(basin)])
            continue;
        done[std::size_t(basin)] = 1;
        for (int link = starts[std::size_t(basin)]; link < starts[std::size_t(basin) + 1]; ++link) {
            const auto [other, pass] = links[std::size_t(link)];
            const float reached = std::max(level, pass);
            if (!done[std::size_t(other)] && reached < levels[std::size_t(other)]) {
                levels[std::size_t(other)] = reached;
                front.emplace(reached, other);
            }
        }
    }
    return levels;
}

} // namespace

void fillDepressionLevels(const SampleRaster& terrain, Drainage& drainage)
{
    const int basinCount = labelBasins(terrain, drainage.basins);
    const std::vector<float> levels = basinLevels(passesBetweenBasins(terrain, drainage.basins, basinCount), basinCount);
    const int* const codes = drainage.basins.data();
    DrainageCell* const cells = drainage.cells.data();
    const float* heights = terrain.values.data();
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, terrain.values.size(), 1 << 16),
                      [&](const tbb::blocked_range<std::size_t>& samples) {
                          for (std::size_t index = samples.begin(); index < samples.end(); ++index)
                              cells[index].waterLevel = std::max(heights[index], levels[std::size_t(~codes[index])]);
                      });
}
