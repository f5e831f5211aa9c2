#include "grid/MatrixShape.h"

std::string describeMatrix(const FloatMatrix& matrix)
{
    return std::to_string(matrix.rows()) + " X " + std::to_string(matrix.columns());
}
