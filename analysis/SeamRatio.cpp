#include "analysis/SeamRatio.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct SecondDifferenceSums {
    double seam = 0.0;
    long long seamCount = 0;
    double inside = 0.0;
    long long insideCount = 0;

    void add(int position, const BlockBorders& borders, double secondDifference)
    {
        const int phase = ((position - borders.offset) % borders.step + borders.step) % borders.step;
        if (phase == 0 || phase == borders.step - 1) {
            seam += std::abs(secondDifference);
            ++seamCount;
        } else {
            inside += std::abs(secondDifference);
            ++insideCount;
        }
    }
};

} // namespace

bool areUsableBorders(const BlockBorders& borders, int width, int height)
{
    return borders.step >= 3 && borders.step <= std::min(width, height) - 2 && borders.offset >= 0
           && borders.offset < borders.step;
}

double seamRatio(const HeightField& field, const BlockBorders& borders)
{
    SecondDifferenceSums sums;
    for (int row = 0; row < field.height; ++row)
        for (int column = 1; column + 1 < field.width; ++column)
            sums.add(column, borders,
                     field.at(row, column - 1) - 2.0 * field.at(row, column) + field.at(row, column + 1));
    for (int row = 1; row + 1 < field.height; ++row)
        for (int column = 0; column < field.width; ++column)
            sums.add(row, borders, field.at(row - 1, column) - 2.0 * field.at(row, column) + field.at(row + 1, column));
    const double seamMean = sums.seam / static_cast<double>(sums.seamCount);
    const double insideMean = sums.inside / static_cast<double>(sums.insideCount);
    if (insideMean == 0.0)
        return seamMean == 0.0 ? 1.0 : std::numeric_limits<double>::infinity();
    return seamMean / insideMean;
}
