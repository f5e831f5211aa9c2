#include "analysis/PlaneRemoval.h"

std::vector<double> heightsLessPlane(const HeightField& field)
{
    // On a full grid the column and row coordinates, centred, are orthogonal to each
    // other and to the constant, so the normal equations separate into three means.
    const double centreColumn = (field.width - 1) / 2.0;
    const double centreRow = (field.height - 1) / 2.0;
    double sum = 0.0;
    double sumColumnProduct = 0.0;
    double sumRowProduct = 0.0;
    double sumColumnSquares = 0.0;
    double sumRowSquares = 0.0;
    for (int row = 0; row < field.height; ++row) {
        for (int column = 0; column < field.width; ++column) {
            const double value = field.at(row, column);
            const double x = column - centreColumn;
            const double y = row - centreRow;
            sum += value;
            sumColumnProduct += x * value;
            sumRowProduct += y * value;
            sumColumnSquares += x * x;
            sumRowSquares += y * y;
        }
    }
    const double mean = sum / static_cast<double>(field.sampleCount());
    const double columnSlope = sumColumnSquares > 0.0 ? sumColumnProduct / sumColumnSquares : 0.0;
    const double rowSlope = sumRowSquares > 0.0 ? sumRowProduct / sumRowSquares : 0.0;
    std::vector<double> residuals(field.sampleCount());
    for (int row = 0; row < field.height; ++row)
        for (int column = 0; column < field.width; ++column)
            residuals[field.indexOf(row, column)] = field.at(row, column) - mean
                                                   - columnSlope * (column - centreColumn)
                                                   - rowSlope * (row - centreRow);
    return residuals;
}
