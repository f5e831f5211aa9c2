#include "analysis/HeightField.h"

HeightField heightFieldOf(const VeskGrid& grid)
{
    HeightField field;
    field.width = grid.width;
    field.height = grid.height;
    field.cellSize = grid.cellSize;
    field.heights.reserve(static_cast<std::size_t>(grid.width) * grid.height);
    for (int row = 0; row < grid.height; ++row)
        for (int column = 0; column < grid.width; ++column)
            field.heights.push_back(grid.heights[row][column]);
    return field;
}
