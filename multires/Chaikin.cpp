#include "multires/Chaikin.h"
#include "diagnostics/Diagnostics.h"

#include "grid/MatrixShape.h"
#include "multires/ChaikinLines.h"
#include "multires/GridReplacement.h"

#include <cstdio>
#include <utility>

namespace {

// Rule 4 for the first `count` lines of a matrix pair: row y of `coarse` refined with the
// first n - 2 values of row y of `lineDetails`. Rule 1's value and the displacement are
// each stored as float and then added.
FloatMatrix refineRowsWithDetails(const FloatMatrix& coarse, const FloatMatrix& lineDetails, int lineLength,
                                  int count)
{
    const StencilList plain = chaikinRefineStencils(lineLength);
    const StencilList displacement = chaikinDisplacementStencils(lineLength);
    FloatMatrix fine = FloatMatrix::uninitialized(count, plain.size());
    for (int y = 0; y < count; ++y) {
        const float* coarseLine = coarse[y].data();
        const float* detailLine = lineDetails[y].data();
        FloatRow& out = fine[y];
        for (std::size_t k = 0; k < plain.size(); ++k) {
            const float refined = static_cast<float>(stencilSum(plain[k], coarseLine));
            const float offset = static_cast<float>(stencilSum(displacement[k], detailLine));
            out[k] = static_cast<float>(static_cast<double>(refined) + static_cast<double>(offset));
        }
    }
    return fine;
}

// Rule 4 down the first `columns` columns: the same arithmetic as refineRowsWithDetails,
// computed a whole output row at a time.
FloatMatrix refineColumnsWithDetails(const FloatMatrix& coarse, const FloatMatrix& columnDetails, int lineLength,
                                     int columns)
{
    const StencilList plain = chaikinRefineStencils(lineLength);
    const StencilList displacement = chaikinDisplacementStencils(lineLength);
    FloatMatrix fine = FloatMatrix::uninitialized(plain.size(), columns);
    std::vector<float> offsets(columns);
    for (std::size_t k = 0; k < plain.size(); ++k) {
        float* out = fine[k].data();
        combineRows(plain[k], coarse, out, columns);
        combineRows(displacement[k], columnDetails, offsets.data(), columns);
        for (int x = 0; x < columns; ++x)
            out[x] = static_cast<float>(static_cast<double>(out[x]) + static_cast<double>(offsets[x]));
    }
    return fine;
}

// True when the grid can be refined by a rule that needs `minimum` samples per line;
// otherwise refuses ("without details" / "with details" says which rule), nothing
// changed, and returns false.
bool checkRefinable(VeskGrid& grid, int minimum, const char* what)
{
    if (!grid.hasData || grid.width < minimum || grid.height < minimum)
        return refuseOperation(grid, formatMessage("VeskGrid::Error - a %i X %i grid is too small for Chaikin "
                                                   "subdivision %s, which needs at least %i samples per row and per "
                                                   "column; nothing was changed\n",
                                                   grid.width, grid.height, what, minimum));
    if (!heightsMatchSize(grid))
        return refuseInconsistentHeights(grid);
    return true;
}

} // namespace

FloatMatrix chaikinDetails(const VeskGrid& grid, FloatMatrix heightMatrix, bool alongRows)
{
    const int lineLength = alongRows ? grid.width : static_cast<int>(heightMatrix.size());
    const int lineCount = alongRows ? static_cast<int>(heightMatrix.size()) : grid.width;
    // Every line read must exist in full: each row needs at least the grid's width of values.
    bool rowsLongEnough = true;
    for (const auto& row : heightMatrix)
        rowsLongEnough = rowsLongEnough && row.size() >= static_cast<std::size_t>(grid.width);
    if (lineLength < kChaikinMinAnalysisLength || lineCount < 1 || !rowsLongEnough) {
        diagnostics::reportf("VeskGrid::Error - Chaikin details need lines of at least %i samples and rows of at least "
                    "the grid width %i; the matrix is %s\n",
                    kChaikinMinAnalysisLength, grid.width, describeMatrix(heightMatrix).c_str());
        return {};
    }
    return alongRows ? chaikinDetailRows(heightMatrix, lineLength, lineCount)
                     : chaikinDetailColumns(heightMatrix, lineLength, lineCount);
}

std::vector<float> chaikinRefineLine(std::vector<float> coarseLine, std::vector<float> lineDetails)
{
    const int n = static_cast<int>(coarseLine.size());
    if (n < kChaikinMinDetailRefineLength || lineDetails.size() < static_cast<std::size_t>(n - 2)) {
        diagnostics::reportf("VeskGrid::Error - refining a line with details needs at least %i samples and n - 2 details; "
                    "got %i samples and %zu details\n",
                    kChaikinMinDetailRefineLength, n, lineDetails.size());
        return {};
    }
    const FloatMatrix fine = refineRowsWithDetails(FloatMatrix{std::move(coarseLine)},
                                                   FloatMatrix{std::move(lineDetails)}, n, 1);
    return fine.front();
}

bool reverseChaikin(VeskGrid& grid)
{
    if (!beginCoarsening(grid))
        return false;
    // An odd last row or column does not take part: it is dropped, not restored by refining.
    const int fineWidth = grid.width - grid.width % 2;
    const int fineHeight = grid.height - grid.height % 2;
    diagnostics::reportf("C is %i X %i\n", fineWidth, fineHeight);

    FloatMatrix columnDetails = chaikinDetailColumns(grid.heights, fineHeight, fineWidth);
    grid.details.push_back(std::move(columnDetails));
    const FloatMatrix halfRows = chaikinCoarseColumns(grid.heights, fineHeight, fineWidth);
    const int coarseHeight = fineHeight / 2 + 1;
    diagnostics::reportf("c1 is %i X %i\n", fineWidth, coarseHeight);

    FloatMatrix rowDetails = chaikinDetailRows(halfRows, fineWidth, coarseHeight);
    grid.details.push_back(std::move(rowDetails));

    const int coarseWidth = fineWidth / 2 + 1;
    replaceHeights(grid, chaikinCoarseRows(halfRows, fineWidth, coarseHeight), coarseWidth, coarseHeight);
    return finishCoarsening(grid);
}

bool subdivideChaikinWithoutDetails(VeskGrid& grid)
{
    if (!checkRefinable(grid, kChaikinMinPlainRefineLength, "without details"))
        return false;
    const int width = grid.width;
    const int height = grid.height;

    diagnostics::reportf("Performing one level of subdivision without details\n");
    diagnostics::reportf("\tRefining columns\n");
    const FloatMatrix refinedColumns = applyDownColumns(chaikinRefineStencils(height), grid.heights, width);
    const int fineWidth = 2 * width - 2;
    const int fineHeight = 2 * height - 2;
    diagnostics::reportf("\tRefining rows\n");
    replaceHeights(grid, applyAlongRows(chaikinRefineStencils(width), refinedColumns, fineHeight), fineWidth,
                   fineHeight);
    return finishPlainRefinement(grid);
}

bool subdivideChaikin(VeskGrid& grid)
{
    if (grid.details.size() < 2)
        return subdivideChaikinWithoutDetails(grid);

    if (!checkRefinable(grid, kChaikinMinDetailRefineLength, "with details"))
        return false;

    const int width = grid.width;
    const int height = grid.height;

    // Both matrices are checked before either is popped, so a refusal leaves the stack whole.
    // Larger matrices (spliced from a larger terrain) are read only as far as this grid needs.
    const int fineWidth = 2 * width - 2;
    const int fineHeight = 2 * height - 2;
    if (!topDetailsFit(grid, height, width - 2, height - 2, fineWidth, "refining"))
        return false;
    // A Faber level of this very grid is larger than a Chaikin one and would pass as spliced
    // details, giving a wrong terrain. Details files and quilting never make its odd-width
    // column details (2W - 1 values), so that exact shape can only be Faber's own.
    const FloatMatrix& topRowDetails = grid.details[grid.details.size() - 1];
    const FloatMatrix& topColumnDetails = grid.details[grid.details.size() - 2];
    if (matrixHasShape(topRowDetails, height, width - 1)
        && matrixHasShape(topColumnDetails, height - 1, 2 * width - 1))
        return refuseOperation(grid, formatMessage("VeskGrid::Error - the details on the stack are a Faber level of "
                                                   "this %i X %i grid: refine it with Faber; nothing was changed\n",
                                                   width, height));

    diagnostics::reportf("Performing one level of subdivision with details\n");
    const FloatMatrix rowDetails = popTopDetails(grid);
    const FloatMatrix refinedRows = refineRowsWithDetails(grid.heights, rowDetails, width, height);
    diagnostics::reportf("f1 is %i X %i\t", fineWidth, height);

    const FloatMatrix columnDetails = popTopDetails(grid);
    replaceHeights(grid, refineColumnsWithDetails(refinedRows, columnDetails, height, fineWidth), fineWidth,
                   fineHeight);
    return finishRefinement(grid);
}
