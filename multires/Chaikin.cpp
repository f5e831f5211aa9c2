#include "multires/Chaikin.h"

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
    FloatMatrix fine(count);
    for (int y = 0; y < count; ++y) {
        const float* coarseLine = coarse[y].data();
        const float* detailLine = lineDetails[y].data();
        std::vector<float>& out = fine[y];
        out.resize(plain.size());
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
    FloatMatrix fine(plain.size(), std::vector<float>(columns));
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

bool refuseTooSmall(VeskGrid& grid, int minimum, const char* what)
{
    return refuseOperation(grid, formatMessage("VeskGrid::Error - a %i X %i grid is too small for Chaikin subdivision "
                                               "%s, which needs at least %i samples per row and per column; "
                                               "nothing was changed\n",
                                               grid.width, grid.height, what, minimum));
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
        std::printf("VeskGrid::Error - Chaikin details need lines of at least %i samples and rows of at least "
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
        std::printf("VeskGrid::Error - refining a line with details needs at least %i samples and n - 2 details; "
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
    if (!grid.hasData || grid.height < 10 || grid.width < 10)
        return refuseQuietly(grid, formatMessage("A %i X %i grid is too small to coarsen (at least 10 X 10 is needed)",
                                                 grid.width, grid.height));
    if (!heightsMatchSize(grid))
        return refuseInconsistentHeights(grid);
    std::printf("Performing one level of REVERSE subdivision\n");
    // An odd last row or column does not take part: it is dropped, not restored by refining.
    const int fineWidth = grid.width - grid.width % 2;
    const int fineHeight = grid.height - grid.height % 2;
    std::printf("C is %i X %i\n", fineWidth, fineHeight);

    FloatMatrix columnDetails = chaikinDetailColumns(grid.heights, fineHeight, fineWidth);
    grid.details.push_back(std::move(columnDetails));
    const FloatMatrix halfRows = chaikinCoarseColumns(grid.heights, fineHeight, fineWidth);
    const int coarseHeight = fineHeight / 2 + 1;
    std::printf("c1 is %i X %i\n", fineWidth, coarseHeight);

    FloatMatrix rowDetails = chaikinDetailRows(halfRows, fineWidth, coarseHeight);
    grid.details.push_back(std::move(rowDetails));

    const int coarseWidth = fineWidth / 2 + 1;
    replaceHeights(grid, chaikinCoarseRows(halfRows, fineWidth, coarseHeight), coarseWidth, coarseHeight);
    std::printf("c2 is %i X %i\n", coarseWidth, coarseHeight);
    grid.cellSize *= 2.0f;

    std::printf("recalculating normals\n");
    recomputeDerivedData(grid);
    grid.lastError.clear();
    return true;
}

bool subdivideChaikinWithoutDetails(VeskGrid& grid)
{
    const int width = grid.width;
    const int height = grid.height;
    if (!grid.hasData || width < kChaikinMinPlainRefineLength || height < kChaikinMinPlainRefineLength)
        return refuseTooSmall(grid, kChaikinMinPlainRefineLength, "without details");
    if (!heightsMatchSize(grid))
        return refuseInconsistentHeights(grid);

    std::printf("Performing one level of subdivision without details\n");
    std::printf("\tRefining columns\n");
    const FloatMatrix refinedColumns = applyDownColumns(chaikinRefineStencils(height), grid.heights, width);
    const int fineWidth = 2 * width - 2;
    const int fineHeight = 2 * height - 2;
    std::printf("\tRefining rows\n");
    replaceHeights(grid, applyAlongRows(chaikinRefineStencils(width), refinedColumns, fineHeight), fineWidth,
                   fineHeight);
    grid.cellSize *= 0.5f;

    std::printf("\tRecalculating normals\n");
    recomputeDerivedData(grid);
    grid.lastError.clear();
    return true;
}

bool subdivideChaikin(VeskGrid& grid)
{
    if (grid.details.size() < 2)
        return subdivideChaikinWithoutDetails(grid);

    const int width = grid.width;
    const int height = grid.height;
    if (!grid.hasData || width < kChaikinMinDetailRefineLength || height < kChaikinMinDetailRefineLength)
        return refuseTooSmall(grid, kChaikinMinDetailRefineLength, "with details");
    if (!heightsMatchSize(grid))
        return refuseInconsistentHeights(grid);

    // Both matrices are checked before either is popped, so a refusal leaves the stack whole.
    // Larger matrices (spliced from a larger terrain) are read only as far as this grid needs.
    const int fineWidth = 2 * width - 2;
    const int fineHeight = 2 * height - 2;
    if (!topDetailsFit(grid, height, width - 2, height - 2, fineWidth, "refining"))
        return false;

    std::printf("Performing one level of subdivision with details\n");
    FloatMatrix poppedRowDetails = std::move(grid.details.back());
    grid.details.pop_back();
    const FloatMatrix refinedRows = refineRowsWithDetails(grid.heights, poppedRowDetails, width, height);
    std::printf("f1 is %i X %i\t", fineWidth, height);

    FloatMatrix poppedColumnDetails = std::move(grid.details.back());
    grid.details.pop_back();
    replaceHeights(grid, refineColumnsWithDetails(refinedRows, poppedColumnDetails, height, fineWidth), fineWidth,
                   fineHeight);
    return finishRefinement(grid);
}
