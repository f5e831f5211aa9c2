#include "multires/Fractal.h"
#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/StdoutSilencer.h"
#include "tools/TerrainInput.h"

ExitCode runDeviation(const DeviationOptions& options, bool quiet)
{
    VeskGrid grid;
    QString errorText;
    float deviation = 0.0f;
    {
        StdoutSilencer silencer(quiet);
        if (!loadTerrain(QString::fromStdString(options.file), grid, errorText))
            return reportFailure(errorText);
        deviation = estimateDetailDeviation(grid);
    }
    printResultLine(QStringLiteral("deviation: %1").arg(QString::fromStdString(shortestFloatText(deviation))));
    return ExitCode::Success;
}
