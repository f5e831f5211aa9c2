#pragma once

#include "grid/VeskGrid.h"

#include <functional>

// A grid of width x height samples at cellSize metres with heights from heightAt(row, column).
inline VeskGrid gridOf(int width, int height, float cellSize, const std::function<double(int, int)>& heightAt)
{
    VeskGrid grid;
    grid.width = width;
    grid.height = height;
    grid.cellSize = cellSize;
    grid.hasData = true;
    grid.heights.assign(height, std::vector<float>(width, 0.0f));
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            grid.heights[row][column] = static_cast<float>(heightAt(row, column));
    return grid;
}
