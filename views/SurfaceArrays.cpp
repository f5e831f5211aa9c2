// oneTBB first: Qt's headers define emit as a macro, which oneTBB uses as a name.
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "views/SurfaceArrays.h"

#include "grid/MatrixShape.h"
#include "views/SurfaceCoordinates.h"
#include "views/SurfaceColours.h"

#include <algorithm>

namespace {

using namespace surface_coordinates;

// Runs fillRow for rows 0 .. rows-1, each row on its own, and stops early when cancel
// is raised. True when every row was filled.
template <typename RowFill>
bool forEachRow(int rows, FillThreads threads, const std::atomic<bool>* cancel, const RowFill& fillRow)
{
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); };
    if (threads == FillThreads::One) {
        for (int row = 0; row < rows; ++row) {
            if (cancelled())
                return false;
            fillRow(row);
        }
        return !cancelled();
    }
    tbb::parallel_for(tbb::blocked_range<int>(0, rows), [&](const tbb::blocked_range<int>& range) {
        for (int row = range.begin(); row != range.end(); ++row) {
            if (cancelled())
                return;
            fillRow(row);
        }
    });
    return !cancelled();
}

void put(float* at, float x, float y, float z)
{
    at[0] = x;
    at[1] = y;
    at[2] = z;
}

void put(float* at, const Rgba& colour)
{
    put(at, colour.red, colour.green, colour.blue);
}

bool heightsHaveGridSize(const VeskGrid& grid)
{
    return matrixHasShape(grid.heights, grid.height, grid.width);
}

std::size_t sampleCount(const VeskGrid& grid)
{
    return static_cast<std::size_t>(grid.width) * static_cast<std::size_t>(grid.height);
}

bool fillVertices(const VeskGrid& grid, SurfaceArrays& arrays, FillThreads threads, const std::atomic<bool>* cancel)
{
    const std::size_t width = static_cast<std::size_t>(grid.width);
    arrays.positions.allocate(sampleCount(grid));
    arrays.normals.allocate(sampleCount(grid));
    const double scale = cellScale(grid.cellSize);
    return forEachRow(grid.height, threads, cancel, [&](int row) {
        const FloatRow& heights = grid.heights[row];
        const std::vector<Vector3>& normals = grid.normals[row];
        float* position = arrays.positions.values.get() + 3 * width * row;
        float* normal = arrays.normals.values.get() + 3 * width * row;
        const float y = static_cast<float>(row * scale);
        for (std::size_t column = 0; column < width; ++column) {
            put(position + 3 * column, static_cast<float>(static_cast<double>(column) * scale), y,
                static_cast<float>(heightAbove(heights[column], grid.minHeight)));
            const Vector3& n = normals[column];
            put(normal + 3 * column, static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
        }
    });
}

// Strip b's block: the lower row's colours, then the upper row's.
bool fillColours(const VeskGrid& grid, RenderMode mode, SurfaceArrays& arrays, FillThreads threads,
                 const std::atomic<bool>* cancel)
{
    const std::size_t width = static_cast<std::size_t>(grid.width);
    const int strips = grid.height - 1;
    arrays.colours.allocate(2 * width * static_cast<std::size_t>(strips));
    return forEachRow(strips, threads, cancel, [&](int strip) {
        float* lower = arrays.colours.values.get() + 6 * width * strip;
        float* upper = lower + 3 * width;
        for (std::size_t column = 0; column < width; ++column) {
            if (mode == RenderMode::HeightColours) {
                put(lower + 3 * column, heightColour(grid, grid.heights[strip][column]));
                put(upper + 3 * column, heightColour(grid, grid.heights[strip + 1][column]));
            } else {
                // Both vertices of a column take the colour of the cell whose lower-left corner is (strip, column).
                const Rgba cell = cellColour(grid, mode, strip, static_cast<int>(column));
                put(lower + 3 * column, cell);
                put(upper + 3 * column, cell);
            }
        }
    });
}

// Either direction gives each line's samples in the order the immediate drawing
// emits them, with its very coordinates.
bool fillCurves(const VeskGrid& grid, bool uCurves, SurfaceArrays& arrays, FillThreads threads,
                const std::atomic<bool>* cancel)
{
    const std::size_t width = static_cast<std::size_t>(grid.width);
    const std::size_t height = static_cast<std::size_t>(grid.height);
    arrays.curvePositions.allocate(sampleCount(grid));
    arrays.uCurves = uCurves;
    float* const lines = arrays.curvePositions.values.get();
    const auto putSample = [&](float* at, std::size_t row, std::size_t column) {
        put(at, static_cast<float>(static_cast<double>(column) * kCurveSpacing),
              static_cast<float>(static_cast<double>(row) * kCurveSpacing),
              static_cast<float>(heightAbove(grid.heights[row][column], grid.minHeight)));
    };
    if (uCurves)
        return forEachRow(grid.height, threads, cancel, [&](int row) {
            float* line = lines + 3 * width * row;
            for (std::size_t column = 0; column < width; ++column)
                putSample(line + 3 * column, static_cast<std::size_t>(row), column);
        });
    // Columns in groups, walking the rows of a group, so that the heights are read a
    // run of neighbours at a time rather than one sample per row.
    constexpr std::size_t kGroup = 16;
    const int groups = static_cast<int>((width + kGroup - 1) / kGroup);
    return forEachRow(groups, threads, cancel, [&](int group) {
        const std::size_t first = static_cast<std::size_t>(group) * kGroup;
        const std::size_t end = std::min(width, first + kGroup);
        for (std::size_t row = 0; row < height; ++row)
            for (std::size_t column = first; column < end; ++column)
                putSample(lines + 3 * (column * height + row), row, column);
    });
}

} // namespace

void TripleArray::allocate(std::size_t count)
{
    values = std::make_unique_for_overwrite<float[]>(3 * count);
    triples = count;
}

void TripleArray::release()
{
    values.reset();
    triples = 0;
}

bool surfaceIsDrawable(const VeskGrid& grid)
{
    return grid.hasData && grid.width >= 2 && grid.height >= 2 && heightsHaveGridSize(grid)
        && matrixHasShape(grid.normals, grid.height, grid.width);
}

bool curvesAreDrawable(const VeskGrid& grid)
{
    return grid.hasData && heightsHaveGridSize(grid);
}

bool fillSurfaceArrays(const VeskGrid& grid, const SurfaceRequest& request, SurfaceArrays& arrays,
                       FillThreads threads, const std::atomic<bool>* cancel)
{
    arrays.width = grid.width;
    arrays.height = grid.height;
    bool finished = true;
    if (request.vertices) {
        arrays.positions.release();
        arrays.normals.release();
        if (surfaceIsDrawable(grid))
            finished = fillVertices(grid, arrays, threads, cancel);
    }
    if (request.colours && finished) {
        arrays.colours.release();
        if (coloursSurface(request.mode) && surfaceIsDrawable(grid))
            finished = fillColours(grid, request.mode, arrays, threads, cancel);
    }
    if (request.curves && finished) {
        arrays.curvePositions.release();
        if (curvesAreDrawable(grid))
            finished = fillCurves(grid, request.uCurves, arrays, threads, cancel);
    }
    if (!finished) {
        if (request.vertices) {
            arrays.positions.release();
            arrays.normals.release();
        }
        if (request.colours)
            arrays.colours.release();
        if (request.curves)
            arrays.curvePositions.release();
    }
    return finished;
}

std::vector<std::uint32_t> stripIndices(int width)
{
    std::vector<std::uint32_t> indices;
    if (width < 1)
        return indices;
    indices.reserve(2 * static_cast<std::size_t>(width));
    for (std::uint32_t column = 0; column < static_cast<std::uint32_t>(width); ++column) {
        indices.push_back(column);
        indices.push_back(static_cast<std::uint32_t>(width) + column);
    }
    return indices;
}

CurveLines curveLines(int width, int height, bool uCurves)
{
    if (width < 1 || height < 1)
        return {};
    return uCurves ? CurveLines{height, width} : CurveLines{width, height};
}
