#include "synthesis/WaterRouting.h"

#include "synthesis/RadixHeap.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <queue>

namespace {

constexpr int unreached = -2;

// A sample's place in the flood as one number: its water level's bits, turned so
// that unsigned order is the floats' order (both zeros alike), above its index,
// so that keys order as (level, index) pairs do.
std::uint64_t floodKey(float level, int index)
{
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(level + 0.0f);
    const std::uint32_t ordered = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
    return std::uint64_t(ordered) << 32 | std::uint32_t(index);
}

int indexOf(std::uint64_t key)
{
    return int(std::uint32_t(key));
}

// The samples reached and not yet taken out. Most go to a radix heap, which takes
// keys no smaller than the last it gave; the few that fall below it (a depression
// filled at the level being taken out, samples of a lower index, or keys below the
// one looked at ahead) wait in a small binary heap, whose keys all come before the
// radix heap's.
class FloodFront {
public:
    bool empty() const { return behind_.empty() && ahead_.empty(); }

    void push(std::uint64_t key)
    {
        if (key < ahead_.last())
            behind_.push(key);
        else
            ahead_.push(key);
    }

    std::uint64_t pop()
    {
        if (behind_.empty())
            return ahead_.pop();
        const std::uint64_t key = behind_.top();
        behind_.pop();
        return key;
    }

    // The smallest key now, or `otherwise` when there is none.
    std::uint64_t top(std::uint64_t otherwise)
    {
        return !behind_.empty() ? behind_.top() : !ahead_.empty() ? ahead_.top() : otherwise;
    }

private:
    RadixHeap ahead_;
    std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> behind_;
};

} // namespace

void routeWater(const SampleRaster& terrain, Drainage& drainage)
{
    const int width = terrain.width;
    const int height = terrain.height;
    const int count = width * height;
    drainage.order.clear();
    drainage.order.reserve(std::size_t(count));
    drainage.cells.resize(std::size_t(count));
    DrainageCell* const cells = drainage.cells.data();
    for (int index = 0; index < count; ++index)
        cells[index] = {terrain.values[std::size_t(index)], unreached};

    FloodFront front;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
                const int index = y * width + x;
                cells[index].receiver = Drainage::noReceiver;
                front.push(floodKey(cells[index].waterLevel, index));
            }
        }
    }
    while (!front.empty()) {
        const int index = indexOf(front.pop());
        // The flood jumps about the terrain, so the sample most likely next (the
        // smallest now) has its three rows fetched while this one's are visited.
        const int next = indexOf(front.top(std::uint64_t(index)));
        __builtin_prefetch(cells + next);
        if (next >= width)
            __builtin_prefetch(cells + next - width);
        if (next + width < count)
            __builtin_prefetch(cells + next + width);

        drainage.order.push_back(index);
        const float level = cells[index].waterLevel;
        const auto reach = [&](int neighbour) {
            DrainageCell& cell = cells[neighbour];
            if (cell.receiver != unreached)
                return;
            cell.receiver = index;
            cell.waterLevel = std::max(level, cell.waterLevel);
            front.push(floodKey(cell.waterLevel, neighbour));
        };
        const int y = index / width;
        const int x = index - y * width;
        if (x > 0 && y > 0 && x + 1 < width && y + 1 < height) {
            for (const int row : {index - width, index, index + width}) {
                reach(row - 1);
                reach(row);
                reach(row + 1);
            }
            continue;
        }
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (x + dx >= 0 && y + dy >= 0 && x + dx < width && y + dy < height)
                    reach(index + dy * width + dx);
    }
}
