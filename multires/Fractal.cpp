#include "multires/Fractal.h"
#include "diagnostics/Diagnostics.h"

#include "multires/ChaikinLines.h"
#include "multires/GridReplacement.h"
#include "multires/NormalDeviates.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace {

// Hurst exponent of the fractional Brownian motion the noise imitates, held in single precision.
constexpr float kHurst = 0.85f;
constexpr float kDeviationFromDetails = 0.45f;
constexpr float kFallbackDeviation = 300.0f;
constexpr float kSmallestUsefulDeviation = 0.2f;
constexpr float kDefaultCellSize = 1280.0f;
constexpr double kNoiseFactor = 1.1;

// Ratio of the noise deviations of two successive levels, 2^-H; shared by both grids.
double fractalRatio = std::pow(2.0, -static_cast<double>(kHurst));

// Plain Chaikin refinement of the whole grid, columns then rows, without messages:
// the grid becomes 2W - 2 by 2H - 2 and its cell size halves.
void refinePlainQuietly(VeskGrid& grid)
{
    const int fineWidth = 2 * grid.width - 2;
    const int fineHeight = 2 * grid.height - 2;
    replaceHeights(grid, chaikinRefineMatrix(grid.heights, grid.width, grid.height), fineWidth, fineHeight);
    grid.cellSize *= 0.5f;
}

bool refuseTooSmallToRefine(VeskGrid& grid)
{
    return refuseOperation(grid, formatMessage("VeskGrid::Error - a %i X %i grid is too small for fractal subdivision, "
                                               "which needs at least %i samples per row and per column; nothing "
                                               "was changed\n",
                                               grid.width, grid.height, kChaikinMinPlainRefineLength));
}

bool canRefine(const VeskGrid& grid)
{
    return grid.hasData && grid.width >= kChaikinMinPlainRefineLength &&
           grid.height >= kChaikinMinPlainRefineLength;
}

// Visits the interior displacements of rule 4 that the details D (down the columns) and
// E (along the rows) would produce, each stored as a float, in the documented order.
template <class Visit> void forEachDisplacement(const FloatMatrix& D, const FloatMatrix& E, Visit visit)
{
    for (std::size_t r = 0; r + 1 < D.size(); ++r) {
        const FloatRow& upper = D[r];
        const FloatRow& lower = D[r + 1];
        for (std::size_t c = 0; c < upper.size(); ++c) {
            visit(static_cast<float>(0.75 * upper[c] - 0.25 * lower[c]));
            visit(static_cast<float>(0.25 * upper[c] - 0.75 * lower[c]));
        }
    }
    for (const FloatRow& row : E) {
        for (std::size_t c = 0; c + 1 < row.size(); ++c) {
            visit(static_cast<float>(0.75 * row[c] - 0.25 * row[c + 1]));
            visit(static_cast<float>(0.25 * row[c] - 0.75 * row[c + 1]));
        }
    }
}

} // namespace

float estimateDetailDeviation(VeskGrid& grid)
{
    // The rules read six samples at each end of a line; a smaller grid has no detail to measure.
    if (!grid.hasData || grid.width < kChaikinMinAnalysisLength || grid.height < kChaikinMinAnalysisLength ||
        !heightsMatchSize(grid)) {
        refuseOperation(grid, formatMessage("VeskGrid::Error - a %i X %i grid is too small to estimate its detail "
                                            "deviation (at least %i X %i is needed); using 0\n",
                                            grid.width, grid.height, kChaikinMinAnalysisLength,
                                            kChaikinMinAnalysisLength));
        return 0.0f;
    }
    // An odd last row is dropped for good, as by any even-size analysis; the width stays.
    const int evenHeight = grid.height - grid.height % 2;
    grid.adjustSize(grid.width, evenHeight);

    const FloatMatrix columnDetails = chaikinDetailColumns(grid.heights, evenHeight, grid.width);
    const FloatMatrix halfRows = chaikinCoarseColumns(grid.heights, evenHeight, grid.width);
    const FloatMatrix rowDetails = chaikinDetailRows(halfRows, grid.width, static_cast<int>(halfRows.size()));

    double sum = 0.0;
    long long count = 0;
    forEachDisplacement(columnDetails, rowDetails, [&](float value) {
        sum += value;
        ++count;
    });
    const double mean = count > 0 ? sum / static_cast<double>(count) : 0.0;
    double squares = 0.0;
    forEachDisplacement(columnDetails, rowDetails, [&](float value) {
        const double difference = value - mean;
        squares += difference * difference;
    });
    const float deviation = count > 0 ? static_cast<float>(std::sqrt(squares / static_cast<double>(count))) : 0.0f;
    diagnostics::reportf("\tMean of details is %1.3f, std dev of details is %1.3f\n", mean, static_cast<double>(deviation));
    grid.lastError.clear();
    return deviation;
}

bool subdivideFractal(VeskGrid& grid)
{
    if (!canRefine(grid))
        return refuseTooSmallToRefine(grid);
    if (!heightsMatchSize(grid))
        return refuseInconsistentHeights(grid);

    if (!(grid.fractalDeviation > 0.0f)) {
        const float estimate = estimateDetailDeviation(grid);
        grid.fractalDeviation = kDeviationFromDetails * estimate;
        if (!(grid.cellSize > 0.0f))
            grid.cellSize = kDefaultCellSize;
        // A terrain with (almost) no detail would stay smooth: start from a fixed roughness instead.
        if (kDeviationFromDetails * estimate < kSmallestUsefulDeviation)
            grid.fractalDeviation = kFallbackDeviation;
        fractalRatio = std::pow(2.0, -static_cast<double>(kHurst));
    }
    const float deviation = static_cast<float>(grid.fractalDeviation * fractalRatio);
    diagnostics::reportf("Performing fBm subdivision with std dev of %1.3f (ratio = %1.3f, H = %1.3f)\n",
                static_cast<double>(deviation), fractalRatio, static_cast<double>(kHurst));
    // Every refinement draws the same sequence of noise positions from a re-seeded generator.
    seedNormalDeviates(1);
    grid.clearDetails();

    refinePlainQuietly(grid);
    // Row by row, column by column: the order fixes which deviate lands where.
    for (auto& row : grid.heights)
        for (float& sample : row)
            sample = static_cast<float>(sample + normalDeviate() * deviation * kNoiseFactor);

    diagnostics::reportf("\tRecalculating normals\n");
    markHeightsReplaced(grid);
    grid.fractalDeviation = deviation;
    grid.lastError.clear();
    return true;
}

bool unsubdivideFractal(VeskGrid& grid)
{
    // Decimation keeps floor(W/2) x floor(H/2) samples and a terrain is at least 2 x 2,
    // so anything narrower than 4 would be stretched rather than decimated.
    if (!grid.hasData || grid.width < 4 || grid.height < 4)
        return refuseOperation(grid, formatMessage("VeskGrid::Error - a %i X %i grid is too small for fractal "
                                                   "coarsening, which needs at least 4 X 4; nothing was changed\n",
                                                   grid.width, grid.height));
    if (!heightsMatchSize(grid))
        return refuseInconsistentHeights(grid);

    grid.clearDetails();
    const int halfWidth = grid.width / 2;
    const int halfHeight = grid.height / 2;
    for (int y = 0; y < halfHeight; ++y)
        for (int x = 0; x < halfWidth; ++x)
            grid.heights[y][x] = grid.heights[2 * y][2 * x];
    grid.adjustSize(halfWidth, halfHeight);

    grid.cellSize *= 2.0f;
    grid.fractalDeviation = 0.0f;
    markHeightsReplaced(grid);
    grid.lastError.clear();
    return true;
}

bool subdivideFractalByBlocks(VeskGrid& grid, std::vector<float> deviationMap, int blocksAcross, int blocksDown,
                              int blockSize)
{
    (void)blocksDown; // the layout is fixed by blocksAcross; the caller passes the count for completeness
    if (!canRefine(grid))
        return refuseTooSmallToRefine(grid);
    if (!heightsMatchSize(grid))
        return refuseInconsistentHeights(grid);
    if (blockSize < 1 || blocksAcross < 1)
        return refuseOperation(grid, formatMessage("VeskGrid::Error - block size %i and %i blocks across do not "
                                                   "describe a block layout; nothing was changed\n",
                                                   blockSize, blocksAcross));
    // The largest index the block formula produces comes from the last refined sample,
    // whose coarse position is (W - 2, H - 2).
    const long long largestIndex = static_cast<long long>((grid.height - 2) / blockSize) * blocksAcross +
                                   (grid.width - 2) / blockSize;
    if (largestIndex >= static_cast<long long>(deviationMap.size()))
        return refuseOperation(grid, formatMessage("VeskGrid::Error - the deviation map holds %zu values but a %i X %i "
                                                   "grid in blocks of %i with %i blocks across needs %lld; nothing "
                                                   "was changed\n",
                                                   deviationMap.size(), grid.width, grid.height, blockSize,
                                                   blocksAcross, largestIndex + 1));

    seedNormalDeviates(1);
    const float amplitude = static_cast<float>(std::pow(2.0, -static_cast<double>(kHurst)) * 0.5);

    // One refinement halves the cell size once: the quiet refinement halves it, so the
    // halving of the finishing steps below is not applied a second time.
    const float coarseCellSize = grid.cellSize;
    refinePlainQuietly(grid);
    grid.cellSize = coarseCellSize;

    for (int y = 0; y < grid.height; ++y) {
        const long long blockRowStart = static_cast<long long>((y / 2) / blockSize) * blocksAcross;
        FloatRow& row = grid.heights[y];
        for (int x = 0; x < grid.width; ++x) {
            const float blockDeviation = deviationMap[blockRowStart + (x / 2) / blockSize];
            row[x] = row[x] + normalDeviate() * blockDeviation * amplitude;
        }
    }

    grid.hasData = true;
    grid.cellSize *= 0.5f;
    markHeightsReplaced(grid);
    grid.lastError.clear();
    return true;
}
