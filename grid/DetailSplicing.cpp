#include "grid/DetailSplicing.h"
#include "diagnostics/Diagnostics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <utility>

namespace {

// Five candidates at each end of the matrix.
constexpr int kCandidates = 5;

int valuesPerRow(const FloatMatrix& matrix)
{
    return matrix.empty() ? 0 : static_cast<int>(matrix.front().size());
}

// One term of a difference sum: the square in double, added to a float sum.
float addSquare(float sum, float first, float second)
{
    const float difference = first - second;
    return static_cast<float>(sum + std::pow(static_cast<double>(difference), 2.0));
}

// The search shared by columns and rows: `difference(a, b)` for a = 0..4 and
// b = length-1 down to length-5; the first smallest wins.
template <typename Difference>
SpliceChoice findClosest(int length, Difference difference)
{
    SpliceChoice best;
    bool haveBest = false;
    for (int first = 0; first < kCandidates; ++first) {
        for (int second = length - 1; second >= length - kCandidates; --second) {
            const float candidate = difference(first, second);
            if (!haveBest || candidate < best.difference) {
                best = {first, second, candidate};
                haveBest = true;
            }
        }
    }
    return best;
}

} // namespace

float columnDifference(const FloatMatrix& matrix, int first, int second)
{
    float sum = 0.0f;
    for (const auto& row : matrix)
        sum = addSquare(sum, row[first], row[second]);
    return sum;
}

float rowDifference(const FloatMatrix& matrix, int first, int second)
{
    float sum = 0.0f;
    const auto& firstRow = matrix[first];
    const auto& secondRow = matrix[second];
    const std::size_t length = matrix.front().size();
    for (std::size_t l = 0; l < length; ++l)
        sum = addSquare(sum, firstRow[l], secondRow[l]);
    return sum;
}

SpliceChoice findClosestColumns(const FloatMatrix& matrix)
{
    return findClosest(valuesPerRow(matrix),
                       [&](int first, int second) { return columnDifference(matrix, first, second); });
}

SpliceChoice findClosestRows(const FloatMatrix& matrix)
{
    return findClosest(static_cast<int>(matrix.size()),
                       [&](int first, int second) { return rowDifference(matrix, first, second); });
}

std::vector<float> seamDifferences(const FloatMatrix& matrix, int second)
{
    std::vector<float> differences;
    const int length = valuesPerRow(matrix);
    for (int t = -2; t <= 3; ++t) {
        const int left = second + t;
        const int right = left + 1;
        if (left < 0 || right >= length)
            continue;
        float sum = 0.0f;
        for (const auto& row : matrix)
            sum = addSquare(sum, row[left], row[right]);
        differences.push_back(sum);
    }
    return differences;
}

bool canSpliceColumns(const FloatMatrix& matrix)
{
    return !matrix.empty() && valuesPerRow(matrix) >= kMinSpliceLength;
}

bool canSpliceRows(const FloatMatrix& matrix)
{
    return static_cast<int>(matrix.size()) >= kMinSpliceLength;
}

bool spliceColumns(FloatMatrix& matrix, int targetWidth, SpliceChoice* choice)
{
    // Details larger than their target stay as they are: nothing is cropped.
    if (!matrix.empty() && targetWidth <= valuesPerRow(matrix))
        return true;
    if (!canSpliceColumns(matrix)) {
        diagnostics::reportf("VeskGrid::Error, cannot splice the columns of a %i by %i matrix: it must be rectangular "
                    "and at least %i wide\n",
                    valuesPerRow(matrix), static_cast<int>(matrix.size()), kMinSpliceLength);
        return false;
    }
    const int width = valuesPerRow(matrix);

    const SpliceChoice chosen = findClosestColumns(matrix);
    if (choice)
        *choice = chosen;
    diagnostics::reportf("\nThe closest two columns were %i and %i with a difference of %1.3f\n", chosen.first,
                chosen.second, chosen.difference);

    // The tail from `second` becomes the stretch from `first`; appended columns
    // continue it, wrapping from `second` back to `first`. Every row follows the
    // same index sequence, so each row is done whole before the next.
    const int first = chosen.first;
    const int second = chosen.second;
    FloatMatrix spliced = FloatMatrix::uninitialized(matrix.size(), static_cast<std::size_t>(targetWidth));
    for (std::size_t r = 0; r < matrix.size(); ++r) {
        FloatRow& row = spliced[r];
        std::copy(matrix[r].begin(), matrix[r].end(), row.begin());
        for (int j = second; j < width; ++j)
            row[j] = row[first + j - second];
        int source = first + width - second;
        for (int j = width; j < targetWidth; ++j) {
            row[j] = row[source];
            if (++source == second)
                source = first;
        }
    }
    matrix = std::move(spliced);

    diagnostics::reportf("Differences were . . .");
    for (const float difference : seamDifferences(matrix, second))
        diagnostics::reportf(" %1.3f", difference);
    diagnostics::reportf("\n");
    return true;
}

bool spliceRows(FloatMatrix& matrix, int targetHeight, SpliceChoice* choice)
{
    if (targetHeight <= static_cast<int>(matrix.size()))
        return true;
    if (!canSpliceRows(matrix)) {
        diagnostics::reportf("VeskGrid::Error, cannot splice the rows of a %i by %i matrix: it must be rectangular "
                    "and at least %i high\n",
                    valuesPerRow(matrix), static_cast<int>(matrix.size()), kMinSpliceLength);
        return false;
    }
    const int rows = static_cast<int>(matrix.size());

    const SpliceChoice chosen = findClosestRows(matrix);
    if (choice)
        *choice = chosen;

    const int first = chosen.first;
    const int second = chosen.second;
    FloatMatrix spliced = FloatMatrix::uninitialized(static_cast<std::size_t>(targetHeight), matrix.columns());
    std::copy_n(matrix.data(), matrix.valueCount(), spliced.data());
    for (int j = second; j < rows; ++j)
        spliced[j] = spliced[first + j - second];
    int source = first + rows - second;
    for (int j = rows; j < targetHeight; ++j) {
        spliced[j] = spliced[source];
        if (++source == second)
            source = first;
    }
    matrix = std::move(spliced);
    return true;
}
