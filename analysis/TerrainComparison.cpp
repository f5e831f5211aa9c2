#include "analysis/TerrainComparison.h"

#include "analysis/Distribution.h"
#include "analysis/SlopeCurvature.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QString describe(const VeskGrid& grid, const QString& role)
{
    return QStringLiteral("the %1 (%2)").arg(role, grid.name);
}

bool isComparable(const VeskGrid& grid, const QString& role, QString& error)
{
    if (!grid.hasData || grid.width <= 0 || grid.height <= 0) {
        error = QStringLiteral("%1 has no heights").arg(describe(grid, role));
        return false;
    }
    if (grid.width < kSmallestComparedSide || grid.height < kSmallestComparedSide) {
        error = QStringLiteral("%1 is %2 x %3 samples, too small to compare (at least %4 x %4)")
                    .arg(describe(grid, role))
                    .arg(grid.width)
                    .arg(grid.height)
                    .arg(kSmallestComparedSide);
        return false;
    }
    if (!(grid.cellSize > 0.0f) || !std::isfinite(grid.cellSize)) {
        error = QStringLiteral("%1 has no usable cell size (%2)").arg(describe(grid, role)).arg(grid.cellSize);
        return false;
    }
    for (int row = 0; row < grid.height; ++row)
        for (int column = 0; column < grid.width; ++column)
            if (!std::isfinite(grid.heights[row][column])) {
                error = QStringLiteral("%1 has a height that is not a number at column %2, row %3")
                            .arg(describe(grid, role))
                            .arg(column)
                            .arg(row);
                return false;
            }
    return true;
}

double spectrumError(const TerrainFigures& reference, const TerrainFigures& terrain, int& octavesCompared)
{
    octavesCompared = static_cast<int>(
        std::min({reference.spectrum.size(), terrain.spectrum.size(), std::size_t{kSpectrumErrorOctaves}}));
    double sumSquares = 0.0;
    for (int j = 0; j < octavesCompared; ++j) {
        const double ratio = figureRatio(terrain.spectrum[j].meanPower, reference.spectrum[j].meanPower);
        const double decades = std::log10(ratio);
        sumSquares += decades * decades;
    }
    return octavesCompared > 0 ? std::sqrt(sumSquares / octavesCompared) : std::numeric_limits<double>::quiet_NaN();
}

} // namespace

double figureRatio(double terrainValue, double referenceValue)
{
    if (referenceValue == 0.0)
        return terrainValue == 0.0 ? 1.0 : std::numeric_limits<double>::infinity();
    return terrainValue / referenceValue;
}

bool compareTerrains(const VeskGrid& reference, const VeskGrid& terrain, const std::optional<BlockBorders>& blockBorders,
                     TerrainComparison& comparison, QString& error)
{
    if (!isComparable(reference, QStringLiteral("reference"), error)
        || !isComparable(terrain, QStringLiteral("terrain"), error))
        return false;
    if (blockBorders
        && (!areUsableBorders(*blockBorders, reference.width, reference.height)
            || !areUsableBorders(*blockBorders, terrain.width, terrain.height))) {
        error = QStringLiteral("a block step of %1 needs 3 to %2 (two less than the shorter side of either terrain), "
                               "its offset (%3) 0 to the step less 1")
                    .arg(blockBorders->step)
                    .arg(std::min({reference.width, reference.height, terrain.width, terrain.height}) - 2)
                    .arg(blockBorders->offset);
        return false;
    }
    const HeightField referenceField = heightFieldOf(reference);
    const HeightField terrainField = heightFieldOf(terrain);
    // One set of bands for both: from the Nyquist frequency of the coarser down.
    const double topFrequency =
        std::min(nyquistFrequency(referenceField.cellSize), nyquistFrequency(terrainField.cellSize));

    TerrainComparison result;
    result.reference = measureTerrain(referenceField, topFrequency, blockBorders);
    result.terrain = measureTerrain(terrainField, topFrequency, blockBorders);
    result.spectrumError = spectrumError(result.reference, result.terrain, result.spectrumErrorOctaves);
    if (result.spectrumErrorOctaves == 0) {
        error = QStringLiteral("the terrains share no octave of spectrum: the finer one's shorter side is shorter "
                               "than four cells of the coarser");
        return false;
    }
    result.slopeDistance = wassersteinDistance(slopeAngles(referenceField), slopeAngles(terrainField));
    result.curvatureDistance =
        wassersteinDistance(laplacianCurvatures(referenceField), laplacianCurvatures(terrainField));
    result.roughnessRatio = figureRatio(result.terrain.roughness, result.reference.roughness);
    result.pitRatio = figureRatio(result.terrain.pitShare, result.reference.pitShare);
    result.channelRatio = figureRatio(result.terrain.channelShare, result.reference.channelShare);
    result.flatExcess = result.terrain.flatShare - result.reference.flatShare;
    comparison = std::move(result);
    return true;
}
