#pragma once

#include "synthesis/SampleRaster.h"
#include "synthesis/WaterRouting.h"

#include <algorithm>
#include <queue>
#include <utility>
#include <vector>

// The priority flood as first written, one binary heap of (water level, sample index)
// pairs: the yardstick for routeWater's water levels (its test) and speed (its benchmark).
inline Drainage routeWaterPlainly(const SampleRaster& terrain)
{
    const int width = terrain.width;
    const int height = terrain.height;
    const std::size_t count = terrain.values.size();
    Drainage drainage;
    drainage.cells.assign(count, DrainageCell{});
    std::vector<char> reached(count, 0);
    using Entry = std::pair<float, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> front;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
                const int index = y * width + x;
                reached[std::size_t(index)] = 1;
                front.emplace(terrain.values[std::size_t(index)], index);
            }
    while (!front.empty()) {
        const auto [level, index] = front.top();
        front.pop();
        drainage.cells[std::size_t(index)].waterLevel = level;
        const int x = index % width;
        const int y = index / width;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = x + dx;
                const int ny = y + dy;
                if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= width || ny >= height)
                    continue;
                const int neighbour = ny * width + nx;
                if (reached[std::size_t(neighbour)])
                    continue;
                reached[std::size_t(neighbour)] = 1;
                drainage.cells[std::size_t(neighbour)].receiver = index;
                front.emplace(std::max(level, terrain.values[std::size_t(neighbour)]), neighbour);
            }
    }
    return drainage;
}
