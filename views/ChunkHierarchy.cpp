// oneTBB first: Qt's headers define emit as a macro, which oneTBB uses as a name.
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "views/ChunkHierarchy.h"

#include "grid/MatrixShape.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int chunksAlong(int samples, int chunkCells)
{
    return (samples - 1 + chunkCells - 1) / chunkCells;
}

// The float at or above a double, so that a stored error never understates the measured one.
float roundedUp(double value)
{
    const float rounded = static_cast<float>(value);
    return static_cast<double>(rounded) < value ? std::nextafter(rounded, std::numeric_limits<float>::infinity())
                                                : rounded;
}

} // namespace

std::vector<int> levelSamples(int first, int last, int level)
{
    std::vector<int> samples;
    const int step = 1 << level;
    for (int sample = first; sample < last; sample += step)
        samples.push_back(sample);
    samples.push_back(last);
    return samples;
}

int ChunkHierarchy::chunkCellsFor(int width, int height)
{
    const int longest = std::max(width, height);
    int cells = kSmallestChunkCells;
    while (chunksAlong(longest, cells) > kMostChunksPerSide)
        cells *= 2;
    return cells;
}

int ChunkHierarchy::lastColumn(int chunk) const
{
    return std::min(firstColumn(chunk) + chunkCells_, width_ - 1);
}

int ChunkHierarchy::lastRow(int chunk) const
{
    return std::min(firstRow(chunk) + chunkCells_, height_ - 1);
}

int ChunkHierarchy::neighbour(int chunk, int edge) const
{
    const int row = chunk / chunkColumns_;
    const int column = chunk % chunkColumns_;
    switch (edge) {
    case 0:
        return row > 0 ? chunk - chunkColumns_ : -1;
    case 1:
        return row + 1 < chunkRows_ ? chunk + chunkColumns_ : -1;
    case 2:
        return column > 0 ? chunk - 1 : -1;
    case 3:
        return column + 1 < chunkColumns_ ? chunk + 1 : -1;
    }
    return -1;
}

float ChunkHierarchy::skirtDepth(int chunk, int level, int edge) const
{
    const int across = neighbour(chunk, edge);
    if (across < 0)
        return 0.0f;
    // The neighbour's coarsest level has its largest error.
    return error(chunk, level) + error(across, levels_ - 1);
}

void ChunkHierarchy::clear()
{
    *this = ChunkHierarchy{};
}

bool ChunkHierarchy::build(const VeskGrid& grid, const std::atomic<bool>* cancel)
{
    clear();
    if (grid.width < 2 || grid.height < 2 || !matrixHasShape(grid.heights, grid.height, grid.width))
        return false;
    ChunkHierarchy built;
    built.width_ = grid.width;
    built.height_ = grid.height;
    built.chunkCells_ = chunkCellsFor(grid.width, grid.height);
    built.levels_ = 1;
    while ((1 << (built.levels_ - 1)) < built.chunkCells_)
        ++built.levels_;
    built.chunkColumns_ = chunksAlong(grid.width, built.chunkCells_);
    built.chunkRows_ = chunksAlong(grid.height, built.chunkCells_);
    const std::size_t chunks = static_cast<std::size_t>(built.chunkCount());
    built.errors_.assign(chunks * built.levels_, 0.0f);
    built.lowest_.assign(chunks, 0.0f);
    built.highest_.assign(chunks, 0.0f);

    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); };
    tbb::parallel_for(tbb::blocked_range<int>(0, built.chunkCount()), [&](const tbb::blocked_range<int>& range) {
        for (int chunk = range.begin(); chunk != range.end(); ++chunk) {
            if (cancelled())
                return;
            float lowest = std::numeric_limits<float>::infinity();
            float highest = -lowest;
            for (int row = built.firstRow(chunk); row <= built.lastRow(chunk); ++row)
                for (int column = built.firstColumn(chunk); column <= built.lastColumn(chunk); ++column) {
                    lowest = std::min(lowest, grid.heights[row][column]);
                    highest = std::max(highest, grid.heights[row][column]);
                }
            built.lowest_[chunk] = lowest;
            built.highest_[chunk] = highest;
            float* errors = built.errors_.data() + static_cast<std::size_t>(chunk) * built.levels_;
            for (int level = 1; level < built.levels_; ++level)
                errors[level] = std::max(errors[level - 1], built.measureLevel(grid, chunk, level));
        }
    });
    if (cancelled())
        return false;
    *this = std::move(built);
    return true;
}

float ChunkHierarchy::measureLevel(const VeskGrid& grid, int chunk, int level) const
{
    const std::vector<int> rows = levelSamples(firstRow(chunk), lastRow(chunk), level);
    const std::vector<int> columns = levelSamples(firstColumn(chunk), lastColumn(chunk), level);
    double largest = 0.0;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        const int row0 = rows[i];
        const int row1 = rows[i + 1];
        for (std::size_t j = 0; j + 1 < columns.size(); ++j) {
            const int column0 = columns[j];
            const int column1 = columns[j + 1];
            const double h00 = grid.heights[row0][column0];
            const double h01 = grid.heights[row0][column1];
            const double h10 = grid.heights[row1][column0];
            const double h11 = grid.heights[row1][column1];
            const double perRow = 1.0 / (row1 - row0);
            const double perColumn = 1.0 / (column1 - column0);
            for (int row = row0; row <= row1; ++row) {
                const double v = (row - row0) * perRow;
                const auto& heights = grid.heights[row];
                for (int column = column0; column <= column1; ++column) {
                    const double u = (column - column0) * perColumn;
                    // The cell's two triangles meet along the diagonal from (row1, column0) to (row0, column1).
                    const double onMesh = u + v <= 1.0 ? h00 + u * (h01 - h00) + v * (h10 - h00)
                                                       : h11 + (1.0 - u) * (h10 - h11) + (1.0 - v) * (h01 - h11);
                    largest = std::max(largest, std::fabs(heights[column] - onMesh));
                }
            }
        }
    }
    return roundedUp(largest);
}
