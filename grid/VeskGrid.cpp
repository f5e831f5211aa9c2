// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/parallel_for.h>

#include "grid/VeskGrid.h"
#include "diagnostics/Diagnostics.h"
#include "grid/MatrixShape.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

VeskGrid::VeskGrid() = default;

VeskGrid::~VeskGrid()
{
    if (hasData)
        clearData();
    clearDetails();
}

VeskGrid::VeskGrid(VeskGrid&& other) noexcept
{
    *this = std::move(other);
}

VeskGrid& VeskGrid::operator=(VeskGrid&& other) noexcept
{
    if (this != &other) {
        VeskGrid empty;
        moveFields(*this, other);
        moveFields(other, empty);
    }
    return *this;
}

void VeskGrid::moveFields(VeskGrid& to, VeskGrid& from) noexcept
{
    to.width = from.width;
    to.height = from.height;
    to.hasData = from.hasData;
    to.cellSize = from.cellSize;
    to.heights = std::move(from.heights);
    to.details = std::move(from.details);
    to.maxHeight = from.maxHeight;
    to.minHeight = from.minHeight;
    to.normals = std::move(from.normals);
    to.curvature = std::move(from.curvature);
    to.slope = std::move(from.slope);
    to.normalsValid = from.normalsValid;
    to.surfaceValid = from.surfaceValid;
    to.averageHeight = from.averageHeight;
    to.name = std::move(from.name);
    to.fractalDeviation = from.fractalDeviation;
    to.lastError = std::move(from.lastError);
    to.georeference = std::move(from.georeference);
}

void VeskGrid::resize(int newWidth, int newHeight)
{
    if (hasData) {
        diagnostics::reportf("VeskGrid::You are a bad person for trying to resize when data is present\n");
        return;
    }
    // A negative size is no terrain at all; the loaders refuse such headers before getting here.
    width = newWidth < 0 ? 0 : newWidth;
    height = newHeight < 0 ? 0 : newHeight;
    if (width == 0 || height == 0)
        return;
    heights.assign(height, width);
    // The normals are not allocated here: ensureNormals makes them when they are needed.
}

void VeskGrid::clearData()
{
    heights.clear();
    normals.clear();
    curvature.clear();
    slope.clear();
    width = 0;
    height = 0;
    hasData = false;
    normalsValid = false;
    surfaceValid = false;
    fractalDeviation = -1.0f;
}

void VeskGrid::clearDetails()
{
    details.clear();
}

void VeskGrid::adjustSize(int newWidth, int newHeight)
{
    if (newWidth == width && newHeight == height)
        return;
    if (newWidth == 0 && newHeight == 0)
        return;
    if (newWidth <= 2)
        newWidth = 2;
    if (newHeight <= 2)
        newHeight = 2;

    // An empty grid (or one with no samples at all) starts as a flat 2 x 2 terrain.
    // A grid with data that is only 1 or 2 samples wide keeps its heights and is
    // extended by repetition like any other.
    if (!hasData || width < 1 || height < 1) {
        hasData = false;
        clearData();
        resize(2, 2);
        hasData = true;
    }

    if (newWidth > width || newHeight > height)
        clearDetails();

    // Normals that were made for these heights follow the new size, the added samples
    // facing up; normals not made yet (or stale) are left for ensureNormals.
    const bool keepNormals = normalsValid && matrixHasShape(normals, height, width);
    if (!keepNormals) {
        normals.clear();
        normalsValid = false;
    }

    // Each row keeps its first values and repeats its last one; added rows repeat the
    // last row. A grid that only shrinks keeps its block, its rows moved up in place.
    if (newWidth <= width && newHeight <= height) {
        float* const values = heights.data();
        for (int row = 1; newWidth != width && row < newHeight; ++row)
            std::memmove(values + static_cast<std::size_t>(row) * newWidth,
                         values + static_cast<std::size_t>(row) * width, sizeof(float) * newWidth);
        heights.reshape(newHeight, newWidth);
    } else {
        const int keptRows = std::min(height, newHeight);
        FloatMatrix resized = FloatMatrix::uninitialized(newHeight, newWidth);
        for (int row = 0; row < newHeight; ++row) {
            const FloatRow& from = heights[std::min(row, keptRows - 1)];
            float* const copiedEnd = std::copy_n(from.data(), std::min(width, newWidth), resized[row].data());
            std::fill(copiedEnd, resized[row].end(), from[width - 1]);
        }
        heights = std::move(resized);
    }
    if (newWidth != width)
        diagnostics::reportf("adjusting width from %i to %i\n", width, newWidth);
    if (keepNormals && newWidth != width)
        for (int row = 0; row < height; ++row)
            normals[row].resize(newWidth, Vector3{0.0, 0.0, 1.0});
    if (newHeight != height)
        diagnostics::reportf("adjusting height from %i to %i\n", height, newHeight);
    if (keepNormals && newHeight != height)
        normals.resize(newHeight, std::vector<Vector3>(newWidth, Vector3{0.0, 0.0, 1.0}));
    width = newWidth;
    height = newHeight;

    // Curvature and slope no longer match the cells; the drawing recomputes them.
    surfaceValid = false;
    computeStatistics();
}

namespace {

// A row's least and greatest value and its sum. The sum runs in eight double lanes,
// every eighth value to one, added in a fixed order at the end: the compiler keeps the
// lanes in vector registers, where one running sum would wait on each addition (every
// step that replaces the heights asks for these figures), and the order does not depend
// on the threads. Doubles carry 29 bits beyond a float's: the mean, a float, stays as
// exact as it was with one long double sum.
struct RowFigures {
    float smallest = 1e6f;
    float largest = -1e6f;
    double sum = 0.0;
};

RowFigures figuresOf(const FloatRow& row)
{
    constexpr std::size_t lanes = 8;
    RowFigures figures;
    std::array<double, lanes> sums{};
    const std::size_t count = row.size();
    const float* const values = row.data();
    std::size_t index = 0;
    for (; index + lanes <= count; index += lanes)
        for (std::size_t lane = 0; lane < lanes; ++lane)
            sums[lane] += values[index + lane];
    for (std::size_t lane = 0; index < count; ++index, ++lane)
        sums[lane] += values[index];
    for (std::size_t i = 0; i < count; ++i) {
        figures.smallest = values[i] < figures.smallest ? values[i] : figures.smallest;
        figures.largest = values[i] > figures.largest ? values[i] : figures.largest;
    }
    for (const double sum : sums)
        figures.sum += sum;
    return figures;
}

} // namespace

int VeskGrid::computeStatistics()
{
    // Rows in parallel, the rows' sums added in order: the same figures on any number of
    // threads, and a large terrain's statistics no longer wait on one core.
    std::vector<RowFigures> rows(heights.size());
    tbb::parallel_for(std::size_t(0), heights.size(), [&](std::size_t y) { rows[y] = figuresOf(heights[y]); });
    float largest = -1e6f;
    float smallest = 1e6f;
    long double sum = 0.0L;
    long long count = 0;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        smallest = std::min(smallest, rows[y].smallest);
        largest = std::max(largest, rows[y].largest);
        sum += rows[y].sum;
        count += static_cast<long long>(heights[y].size());
    }
    maxHeight = largest;
    minHeight = smallest;
    // An empty grid has no mean; keep it 0 rather than dividing by zero.
    averageHeight = count > 0 ? static_cast<float>(sum / count) : 0.0f;
    return 0;
}

void VeskGrid::refresh()
{
    hasData = true;
    // Made again at the next use (ensureNormals); the old ones keep their storage.
    normalsValid = false;
    computeStatistics();
    curvature.clear();
    slope.clear();
    surfaceValid = false;
}
