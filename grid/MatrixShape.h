#pragma once

#include "grid/FloatMatrix.h"

#include <cstddef>
#include <string>

// True when the matrix (a vector of rows) holds exactly `rows` rows of exactly `columns`
// values each; a negative size matches nothing. Works for any element type, so heights,
// details and per-sample vectors are checked alike before they are read.
template <typename Matrix>
bool matrixHasShape(const Matrix& matrix, int rows, int columns)
{
    if (rows < 0 || columns < 0 || matrix.size() != static_cast<std::size_t>(rows))
        return false;
    for (const auto& row : matrix)
        if (row.size() != static_cast<std::size_t>(columns))
            return false;
    return true;
}

// "R X C" description of a matrix for messages: its rows and the values in each.
std::string describeMatrix(const FloatMatrix& matrix);
