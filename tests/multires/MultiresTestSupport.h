#pragma once

#include "grid/VeskGrid.h"

#include <cstdint>
#include <string>

// Builds grids for the multiresolution tests without going through the file loaders.
namespace multirestest {

// A grid holding these heights (rows of equal length), with normals and statistics.
VeskGrid makeGrid(const FloatMatrix& heights, float cellSize = 30.0f);

// width x height heights filled by value(x, y).
template <class Value> FloatMatrix makeHeights(int width, int height, Value value)
{
    FloatMatrix heights(height, std::vector<float>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            heights[y][x] = static_cast<float>(value(x, y));
    return heights;
}

// Reproducible rough terrain: a slope, two ridges and hashed noise of some tens of metres.
FloatMatrix roughHeights(int width, int height, std::uint32_t seed);

// The sample DEM of tests/data (403 x 344, read from its binary float grid), cropped to
// the top-left width x height samples.
FloatMatrix realDemHeights(int width, int height);

// The matrix cut or grown to rows x columns from its top-left corner: values added to its
// rows are newColumnValue, added rows newRowValue.
FloatMatrix resizedMatrix(const FloatMatrix& matrix, int rows, int columns, float newColumnValue = 0.0f,
                          float newRowValue = 0.0f);

// Largest |a - b| over two matrices of the same shape; +infinity when the shapes differ.
double largestDifference(const FloatMatrix& a, const FloatMatrix& b);

// Runs one grid operation with its messages collected; returns what it said and,
// through result, whether it was done.
std::string runQuietly(bool (*operation)(VeskGrid&), VeskGrid& grid, bool* result = nullptr);

// What float rounding may leave after `levels` round trips: unitsPerLevel units in the last
// place of the largest height, per level.
double roundingBound(const FloatMatrix& heights, int levels, double unitsPerLevel);

// Shape "rows X columns" of a matrix (columns of its first row), for readable failures.
std::string shapeOf(const FloatMatrix& matrix);

} // namespace multirestest

namespace multirestest {

// Everything a refused operation must leave as it was.
struct GridSnapshot {
    int width;
    int height;
    bool hasData;
    float cellSize;
    float fractalDeviation;
    FloatMatrix heights;
    std::vector<FloatMatrix> details;
};

GridSnapshot snapshotOf(const VeskGrid& grid);
bool operator==(const GridSnapshot& a, const GridSnapshot& b);

} // namespace multirestest
