#include "formats/HeightmapScaling.h"

#include "formats/RasterNoData.h"

#include <algorithm>
#include <cmath>
#include <limits>

bool isTerrainHeightRange(const HeightmapRange& range)
{
    const double largest = std::numeric_limits<float>::max();
    return std::abs(range.minimum) <= largest && std::abs(range.maximum) <= largest &&
           range.minimum <= range.maximum;
}

float heightOfSample(std::uint16_t sample, const HeightmapRange& range)
{
    return static_cast<float>(range.minimum + static_cast<double>(sample) * (range.maximum - range.minimum) / 65535.0);
}

std::uint16_t sampleOfHeight(float height, const HeightmapRange& range)
{
    const double span = range.maximum - range.minimum;
    if (!(span > 0.0))
        return 0;
    const double scaled = std::round((static_cast<double>(height) - range.minimum) / span * 65535.0);
    return static_cast<std::uint16_t>(std::clamp(scaled, 0.0, 65535.0));
}

HeightmapRange heightmapRangeOf(const VeskGrid& grid)
{
    double smallest = 0.0;
    double largest = 0.0;
    bool found = false;
    for (const auto& row : grid.heights) {
        for (const float height : row) {
            if (height == kNoDataHeight)
                continue;
            if (!found || height < smallest)
                smallest = height;
            if (!found || height > largest)
                largest = height;
            found = true;
        }
    }
    return {smallest, largest};
}

std::vector<std::uint16_t> heightmapSamples(const VeskGrid& grid, const HeightmapRange& range)
{
    std::vector<std::uint16_t> samples;
    samples.reserve(static_cast<std::size_t>(grid.width) * static_cast<std::size_t>(grid.height));
    for (const auto& row : grid.heights) {
        for (const float height : row)
            samples.push_back(height == kNoDataHeight ? std::uint16_t{0} : sampleOfHeight(height, range));
    }
    return samples;
}
