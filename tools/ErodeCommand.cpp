#include "synthesis/HydraulicErosion.h"
#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/CommitOutputs.h"
#include "tools/TerrainInput.h"
#include "tools/TerrainOutput.h"

ExitCode runErode(const ErodeOptions& options)
{
    VeskGrid grid;
    OutputTransaction transaction;
    QString errorText;
    if (!loadTerrain(QString::fromStdString(options.input), options.read, grid, errorText))
        return reportFailure(errorText);
    ErosionSettings settings;
    settings.iterations = options.iterations;
    settings.strength = options.strength;
    settings.creep = options.creep;
    settings.lakeDepth = options.lakeDepth;
    settings.lakeDrop = options.lakeDrop;
    settings.lakeArea = options.lakeArea;
    settings.tileSide = options.tileSide;
    settings.tileMargin = options.tileMargin;
    settings.threads = options.threads;
    if (!erodeTerrain(grid, settings, errorText))
        return reportFailure(QStringLiteral("erosion failed: %1").arg(errorText));
    if (!stageTerrain(grid, QString::fromStdString(options.output), transaction, errorText))
        return reportFailure(errorText);
    return commitAndReport(transaction);
}
