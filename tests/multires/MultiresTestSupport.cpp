#include "MultiresTestSupport.h"

#include "diagnostics/CollectingSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <vector>

namespace multirestest {

VeskGrid makeGrid(const FloatMatrix& heights, float cellSize)
{
    VeskGrid grid;
    const int height = static_cast<int>(heights.size());
    const int width = heights.empty() ? 0 : static_cast<int>(heights.front().size());
    grid.resize(width, height);
    grid.heights = heights;
    grid.hasData = true;
    grid.cellSize = cellSize;
    grid.calculateNormals();
    grid.computeStatistics();
    return grid;
}

FloatMatrix resizedMatrix(const FloatMatrix& matrix, int rows, int columns, float newColumnValue, float newRowValue)
{
    FloatMatrix resized(rows, columns, newRowValue);
    const int keptColumns = std::min(columns, static_cast<int>(matrix.columns()));
    for (int row = 0; row < std::min(rows, static_cast<int>(matrix.rows())); ++row) {
        std::fill(std::copy_n(matrix[row].begin(), keptColumns, resized[row].begin()), resized[row].end(),
                  newColumnValue);
    }
    return resized;
}

FloatMatrix roughHeights(int width, int height, std::uint32_t seed)
{
    return makeHeights(width, height, [seed](int x, int y) {
        std::uint32_t h = seed ^ (static_cast<std::uint32_t>(x) * 73856093u) ^ (static_cast<std::uint32_t>(y) * 19349663u);
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        h ^= h >> 15;
        const double noise = (h % 10000u) / 10000.0 * 40.0 - 20.0;
        return 500.0 + 0.8 * x - 0.3 * y + 60.0 * std::sin(x * 0.11) * std::cos(y * 0.07) + noise;
    });
}

FloatMatrix realDemHeights(int width, int height)
{
    constexpr int kColumns = 403;
    constexpr int kRows = 344;
    if (width > kColumns || height > kRows)
        throw std::runtime_error("crop larger than the sample DEM");
    std::ifstream file(std::string(TALVANE_TEST_DATA) + "/jacksboro.flt", std::ios::binary);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(kColumns) * kRows * 4);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file.gcount() != static_cast<std::streamsize>(bytes.size()))
        throw std::runtime_error("cannot read the sample DEM");
    // The header says LSBFIRST; assemble each value from its bytes so the host order does not matter.
    FloatMatrix heights(height, std::vector<float>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* b = &bytes[(static_cast<std::size_t>(y) * kColumns + x) * 4];
            const std::uint32_t bits = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                       (static_cast<std::uint32_t>(b[2]) << 16) |
                                       (static_cast<std::uint32_t>(b[3]) << 24);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            heights[y][x] = value;
        }
    }
    return heights;
}

std::string runQuietly(bool (*operation)(VeskGrid&), VeskGrid& grid, bool* result)
{
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    const bool done = operation(grid);
    if (result)
        *result = done;
    return messages.take();
}

double roundingBound(const FloatMatrix& heights, int levels, double unitsPerLevel)
{
    double largest = 0.0;
    for (const auto& row : heights)
        for (const float value : row)
            largest = std::max(largest, static_cast<double>(std::fabs(value)));
    return largest * unitsPerLevel * levels * 1.1920929e-7;
}

double largestDifference(const FloatMatrix& a, const FloatMatrix& b)
{
    if (a.size() != b.size())
        return std::numeric_limits<double>::infinity();
    double largest = 0.0;
    for (std::size_t r = 0; r < a.size(); ++r) {
        if (a[r].size() != b[r].size())
            return std::numeric_limits<double>::infinity();
        for (std::size_t c = 0; c < a[r].size(); ++c)
            largest = std::max(largest, std::fabs(static_cast<double>(a[r][c]) - b[r][c]));
    }
    return largest;
}

std::string shapeOf(const FloatMatrix& matrix)
{
    return std::to_string(matrix.size()) + " X " + std::to_string(matrix.empty() ? 0 : matrix.front().size());
}

} // namespace multirestest

namespace multirestest {

GridSnapshot snapshotOf(const VeskGrid& grid)
{
    return {grid.width, grid.height, grid.hasData, grid.cellSize, grid.fractalDeviation, grid.heights, grid.details};
}

bool operator==(const GridSnapshot& a, const GridSnapshot& b)
{
    return a.width == b.width && a.height == b.height && a.hasData == b.hasData && a.cellSize == b.cellSize &&
           a.fractalDeviation == b.fractalDeviation && a.heights == b.heights && a.details == b.details;
}

} // namespace multirestest
