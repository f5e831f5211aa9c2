#include "multires/Faber.h"
#include "diagnostics/Diagnostics.h"

#include "multires/GridReplacement.h"

#include <cstdio>
#include <utility>

namespace {

// Line rule 1's detail: the offset of an odd sample from the midpoint of its neighbours.
inline float faberDetail(float left, float middle, float right)
{
    return static_cast<float>(static_cast<double>(middle) -
                              (static_cast<double>(left) + static_cast<double>(right)) / 2.0);
}

// Line rule 2: the midpoint of two coarse samples plus the detail.
inline float faberMidpoint(float left, float right, float detail)
{
    return static_cast<float>((static_cast<double>(left) + static_cast<double>(right)) / 2.0 +
                              static_cast<double>(detail));
}

// Rule 2 on one line of n coarse samples; `lineDetails` is null for plain refinement,
// else it holds at least n - 1 values.
void refineLine(const float* coarse, const float* lineDetails, int n, float* fine)
{
    for (int k = 0; k < n; ++k)
        fine[2 * k] = coarse[k];
    for (int k = 0; k + 1 < n; ++k)
        fine[2 * k + 1] = faberMidpoint(coarse[k], coarse[k + 1], lineDetails ? lineDetails[k] : 0.0f);
}

// Rule 2 along the first `count` rows (rows of n samples), details from the same rows of
// `rowDetails` when given.
FloatMatrix refineRows(const FloatMatrix& coarse, const FloatMatrix* rowDetails, int n, int count)
{
    FloatMatrix fine = FloatMatrix::uninitialized(count, 2 * n - 1);
    for (int y = 0; y < count; ++y)
        refineLine(coarse[y].data(), rowDetails ? (*rowDetails)[y].data() : nullptr, n, fine[y].data());
    return fine;
}

// Rule 2 down the first `columns` columns of n rows, a whole output row at a time.
FloatMatrix refineColumns(const FloatMatrix& coarse, const FloatMatrix* columnDetails, int n, int columns)
{
    FloatMatrix fine = FloatMatrix::uninitialized(2 * n - 1, columns);
    for (int k = 0; k < n; ++k)
        std::copy(coarse[k].begin(), coarse[k].begin() + columns, fine[2 * k].begin());
    for (int k = 0; k + 1 < n; ++k) {
        const float* upper = coarse[k].data();
        const float* lower = coarse[k + 1].data();
        const float* detail = columnDetails ? (*columnDetails)[k].data() : nullptr;
        float* out = fine[2 * k + 1].data();
        for (int x = 0; x < columns; ++x)
            out[x] = faberMidpoint(upper[x], lower[x], detail ? detail[x] : 0.0f);
    }
    return fine;
}

void printDetailShape(const FloatMatrix& details)
{
    diagnostics::reportf("d is %i X %i\n", details.empty() ? 0 : static_cast<int>(details.front().size()),
                static_cast<int>(details.size()));
}

// Rule 1's details down the first `columns` columns of an odd line of `lineLength` rows.
FloatMatrix detailColumns(const FloatMatrix& matrix, int lineLength, int columns)
{
    FloatMatrix details = FloatMatrix::uninitialized((lineLength - 1) / 2, columns);
    for (std::size_t k = 0; k < details.size(); ++k) {
        const float* above = matrix[2 * k].data();
        const float* middle = matrix[2 * k + 1].data();
        const float* below = matrix[2 * k + 2].data();
        float* out = details[k].data();
        for (int x = 0; x < columns; ++x)
            out[x] = faberDetail(above[x], middle[x], below[x]);
    }
    printDetailShape(details);
    return details;
}

// Rule 1's details along the first `lineCount` rows, each an odd line of `lineLength` values.
FloatMatrix detailRows(const FloatMatrix& matrix, int lineLength, int lineCount)
{
    FloatMatrix details = FloatMatrix::uninitialized(lineCount, (lineLength - 1) / 2);
    for (int y = 0; y < lineCount; ++y) {
        const float* line = matrix[y].data();
        float* out = details[y].data();
        for (int k = 0; 2 * k + 2 < lineLength; ++k)
            out[k] = faberDetail(line[2 * k], line[2 * k + 1], line[2 * k + 2]);
    }
    printDetailShape(details);
    return details;
}

// Any grid with data can be refined by Faber's scheme: true when this one can; otherwise
// refuses, nothing changed, and returns false.
bool checkRefinable(VeskGrid& grid)
{
    if (!grid.hasData || grid.width < 1 || grid.height < 1)
        return refuseOperation(grid, "VeskGrid::Error - the grid has no data to refine; nothing was changed\n");
    if (!heightsMatchSize(grid))
        return refuseInconsistentHeights(grid);
    return true;
}

} // namespace

FloatMatrix faberDetails(const VeskGrid& /*grid*/, FloatMatrix heightMatrix, bool alongRows)
{
    const int rows = static_cast<int>(heightMatrix.size());
    const int rowLength = static_cast<int>(heightMatrix.columns());
    const int lineLength = alongRows ? rowLength : rows;
    // Coarse samples sit on the even positions of an odd line; an even line has no last
    // coarse sample to interpolate towards, so it is refused rather than guessed at.
    if (lineLength < 1 || lineLength % 2 == 0) {
        diagnostics::reportf("VeskGrid::Error - Faber details need lines of an odd number of samples in a rectangular "
                    "matrix; the matrix is %s\n",
                    describeMatrix(heightMatrix).c_str());
        return {};
    }
    return alongRows ? detailRows(heightMatrix, lineLength, rows) : detailColumns(heightMatrix, lineLength, rowLength);
}

std::vector<float> faberRefineLine(std::vector<float> coarseLine, std::vector<float> lineDetails)
{
    const int n = static_cast<int>(coarseLine.size());
    if (n < 1 || lineDetails.size() < static_cast<std::size_t>(n - 1)) {
        diagnostics::reportf("VeskGrid::Error - refining a line with Faber details needs at least 1 sample and n - 1 "
                    "details; got %i samples and %zu details\n",
                    n, lineDetails.size());
        return {};
    }
    std::vector<float> fine(2 * n - 1);
    refineLine(coarseLine.data(), lineDetails.data(), n, fine.data());
    return fine;
}

bool reverseFaber(VeskGrid& grid)
{
    if (!beginCoarsening(grid))
        return false;
    // The scheme keeps the even samples of odd lines: an even size loses its last row or
    // column for good.
    if (grid.height % 2 == 0)
        grid.adjustSize(grid.width, grid.height - 1);
    if (grid.width % 2 == 0)
        grid.adjustSize(grid.width - 1, grid.height);
    const int fineWidth = grid.width;
    const int fineHeight = grid.height;

    grid.details.push_back(detailColumns(grid.heights, fineHeight, fineWidth));
    const int coarseHeight = (fineHeight + 1) / 2;
    FloatMatrix evenRows = FloatMatrix::uninitialized(coarseHeight, fineWidth);
    for (int y = 0; y < coarseHeight; ++y)
        evenRows[y] = grid.heights[2 * y];
    diagnostics::reportf("c1 is %i X %i\n", fineWidth, coarseHeight);

    grid.details.push_back(detailRows(evenRows, fineWidth, coarseHeight));

    const int coarseWidth = (fineWidth + 1) / 2;
    FloatMatrix coarse = FloatMatrix::uninitialized(coarseHeight, coarseWidth);
    for (int y = 0; y < coarseHeight; ++y)
        for (int x = 0; x < coarseWidth; ++x)
            coarse[y][x] = evenRows[y][2 * x];
    replaceHeights(grid, std::move(coarse), coarseWidth, coarseHeight);
    return finishCoarsening(grid);
}

bool subdivideFaberWithoutDetails(VeskGrid& grid)
{
    if (!checkRefinable(grid))
        return false;
    const int width = grid.width;
    const int height = grid.height;

    diagnostics::reportf("Performing one level of FABER subdivision without details\n");
    const FloatMatrix refinedColumns = refineColumns(grid.heights, nullptr, height, width);
    const int fineWidth = 2 * width - 1;
    const int fineHeight = 2 * height - 1;
    replaceHeights(grid, refineRows(refinedColumns, nullptr, width, fineHeight), fineWidth, fineHeight);
    return finishPlainRefinement(grid);
}

bool subdivideFaber(VeskGrid& grid)
{
    if (grid.details.size() < 2)
        return subdivideFaberWithoutDetails(grid);
    if (!checkRefinable(grid))
        return false;

    const int width = grid.width;
    const int height = grid.height;

    // Checked before anything is popped; larger (spliced) matrices are read only as far as needed.
    const int fineWidth = 2 * width - 1;
    const int fineHeight = 2 * height - 1;
    if (!topDetailsFit(grid, height, width - 1, height - 1, fineWidth, "Faber refining"))
        return false;

    diagnostics::reportf("Performing one level of FABER subdivision with details\n");
    const FloatMatrix rowDetails = popTopDetails(grid);
    const FloatMatrix refinedRows = refineRows(grid.heights, &rowDetails, width, height);
    diagnostics::reportf("f1 is %i X %i\t", fineWidth, height);

    const FloatMatrix columnDetails = popTopDetails(grid);
    replaceHeights(grid, refineColumns(refinedRows, &columnDetails, height, fineWidth), fineWidth, fineHeight);
    return finishRefinement(grid);
}
