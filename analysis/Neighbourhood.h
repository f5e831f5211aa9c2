#pragma once

#include <array>
#include <cmath>

// The eight neighbours of a sample, in one fixed order (row offset, column offset),
// with their distance in cells (1 or sqrt 2).
struct NeighbourOffset {
    int rowOffset;
    int columnOffset;
    double cells;
};

inline const std::array<NeighbourOffset, 8>& eightNeighbours()
{
    static const std::array<NeighbourOffset, 8> offsets{{
        {-1, -1, std::sqrt(2.0)},
        {-1, 0, 1.0},
        {-1, 1, std::sqrt(2.0)},
        {0, -1, 1.0},
        {0, 1, 1.0},
        {1, -1, std::sqrt(2.0)},
        {1, 0, 1.0},
        {1, 1, std::sqrt(2.0)},
    }};
    return offsets;
}
