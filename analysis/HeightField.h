#pragma once

#include "grid/VeskGrid.h"

#include <cstddef>
#include <vector>

// A terrain's heights as one row-major block of doubles with its cell size: the
// form every measure of this folder reads, made once per terrain.
struct HeightField {
    int width = 0;
    int height = 0;
    double cellSize = 0.0; // metres
    std::vector<double> heights;

    std::size_t indexOf(int row, int column) const { return static_cast<std::size_t>(row) * width + column; }
    double at(int row, int column) const { return heights[indexOf(row, column)]; }
    std::size_t sampleCount() const { return heights.size(); }
};

HeightField heightFieldOf(const VeskGrid& grid);
