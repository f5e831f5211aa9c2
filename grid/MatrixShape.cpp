#include "grid/MatrixShape.h"

std::string describeMatrix(const FloatMatrix& matrix)
{
    const std::size_t rowLength = matrix.empty() ? 0 : matrix.front().size();
    bool ragged = false;
    for (const auto& row : matrix)
        ragged = ragged || row.size() != rowLength;
    return std::to_string(matrix.size()) + " X " + std::to_string(rowLength) +
           (ragged ? " (rows of unequal length)" : "");
}
