#include "analysis/TerrainComparison.h"
#include "formats/RasterNoData.h"
#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/ComparisonReport.h"
#include "tools/TerrainInput.h"

#include <optional>

namespace {

// Missing heights would read as deep pits and break every distribution, so a terrain
// with any is refused rather than measured.
bool hasNoDataHeights(const VeskGrid& grid, const QString& fileName, QString& errorText)
{
    long long missing = 0;
    for (const FloatRow& row : grid.heights)
        for (const float height : row)
            missing += height == kNoDataHeight ? 1 : 0;
    if (missing == 0)
        return false;
    errorText = QStringLiteral("%1 has %2 no-data samples (%3); compare needs every height")
                    .arg(fileName)
                    .arg(missing)
                    .arg(static_cast<double>(kNoDataHeight));
    return true;
}

} // namespace

ExitCode runCompare(const CompareOptions& options)
{
    const QString referenceName = QString::fromStdString(options.reference);
    const QString terrainName = QString::fromStdString(options.terrain);
    VeskGrid reference;
    VeskGrid terrain;
    QString errorText;
    if (!loadTerrain(referenceName, options.read, reference, errorText)
        || !loadTerrain(terrainName, options.read, terrain, errorText)
        || hasNoDataHeights(reference, referenceName, errorText) || hasNoDataHeights(terrain, terrainName, errorText))
        return reportFailure(errorText);
    std::optional<BlockBorders> blockBorders;
    if (options.blockStep > 0)
        blockBorders = BlockBorders{options.blockStep, options.blockOffset};
    TerrainComparison comparison;
    if (!compareTerrains(reference, terrain, blockBorders, comparison, errorText))
        return reportFailure(QStringLiteral("cannot compare: %1").arg(errorText));
    for (const QString& line : comparisonLines(comparison, referenceName, terrainName))
        printResultLine(line);
    if (options.json)
        printResultLine(comparisonJson(comparison));
    return ExitCode::Success;
}
