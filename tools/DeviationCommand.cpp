#include "multires/Fractal.h"
#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/TerrainInput.h"

ExitCode runDeviation(const DeviationOptions& options)
{
    VeskGrid grid;
    QString errorText;
    if (!loadTerrain(QString::fromStdString(options.file), options.read, grid, errorText))
        return reportFailure(errorText);
    const float deviation = estimateDetailDeviation(grid);
    printResultLine(QStringLiteral("deviation: %1").arg(QString::fromStdString(shortestFloatText(deviation))));
    return ExitCode::Success;
}
