#include "analysis/FinestDetail.h"

#include <array>
#include <cmath>

namespace {

constexpr std::array<double, 5> kBinomial{1.0 / 16, 4.0 / 16, 6.0 / 16, 4.0 / 16, 1.0 / 16};

} // namespace

double finestDetailRoughness(const HeightField& field)
{
    if (field.width < 5 || field.height < 5)
        return 0.0;
    // Rows blurred first (every row, the inner columns), then the columns of that.
    std::vector<double> alongRows(field.sampleCount(), 0.0);
    for (int row = 0; row < field.height; ++row)
        for (int column = 2; column + 2 < field.width; ++column) {
            double sum = 0.0;
            for (int k = 0; k < 5; ++k)
                sum += kBinomial[k] * field.at(row, column + k - 2);
            alongRows[field.indexOf(row, column)] = sum;
        }
    double sum = 0.0;
    double sumSquares = 0.0;
    long long count = 0;
    for (int row = 2; row + 2 < field.height; ++row)
        for (int column = 2; column + 2 < field.width; ++column) {
            double blurred = 0.0;
            for (int k = 0; k < 5; ++k)
                blurred += kBinomial[k] * alongRows[field.indexOf(row + k - 2, column)];
            const double detail = field.at(row, column) - blurred;
            sum += detail;
            sumSquares += detail * detail;
            ++count;
        }
    const double mean = sum / count;
    return std::sqrt(std::max(0.0, sumSquares / count - mean * mean));
}
