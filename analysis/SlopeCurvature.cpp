#include "analysis/SlopeCurvature.h"

#include <cmath>
#include <numbers>

std::vector<double> slopeAngles(const HeightField& field)
{
    std::vector<double> angles;
    const double twoCells = 2.0 * field.cellSize;
    for (int row = 1; row + 1 < field.height; ++row) {
        for (int column = 1; column + 1 < field.width; ++column) {
            const double alongRow = (field.at(row, column + 1) - field.at(row, column - 1)) / twoCells;
            const double alongColumn = (field.at(row + 1, column) - field.at(row - 1, column)) / twoCells;
            angles.push_back(std::atan(std::hypot(alongRow, alongColumn)) * 180.0 / std::numbers::pi);
        }
    }
    return angles;
}

std::vector<double> laplacianCurvatures(const HeightField& field)
{
    std::vector<double> curvatures;
    const double cellArea = field.cellSize * field.cellSize;
    for (int row = 1; row + 1 < field.height; ++row) {
        for (int column = 1; column + 1 < field.width; ++column) {
            const double neighbours = field.at(row, column - 1) + field.at(row, column + 1) + field.at(row - 1, column)
                                      + field.at(row + 1, column);
            curvatures.push_back((neighbours - 4.0 * field.at(row, column)) / cellArea);
        }
    }
    return curvatures;
}
