#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/TerrainInput.h"

#include <cstdio>

ExitCode runInfo(const InfoOptions& options)
{
    const QString fileName = QString::fromStdString(options.file);
    VeskGrid grid;
    QString errorText;
    if (!loadTerrain(fileName, options.read, grid, errorText))
        return reportFailure(errorText);

    // The statistics are the loader's: the average leaves out no-data heights (-100 or
    // less) and the minimum is taken over the heights that count.
    if (options.json) {
        printResultLine(QString::asprintf(R"({"width":%d,"height":%d,"cellSize":%s,"min":%s,"max":%s,"average":%s})",
                                          grid.width, grid.height, shortestFloatText(grid.cellSize).c_str(),
                                          shortestFloatText(grid.minHeight).c_str(),
                                          shortestFloatText(grid.maxHeight).c_str(),
                                          shortestFloatText(grid.averageHeight).c_str()));
        return ExitCode::Success;
    }
    printResultLine(QStringLiteral("file: %1").arg(fileName));
    printResultLine(QStringLiteral("width: %1").arg(grid.width));
    printResultLine(QStringLiteral("height: %1").arg(grid.height));
    printResultLine(QStringLiteral("cellSize: %1 m").arg(QString::fromStdString(shortestFloatText(grid.cellSize))));
    printResultLine(QString::asprintf("min: %1.3f", static_cast<double>(grid.minHeight)));
    printResultLine(QString::asprintf("max: %1.3f", static_cast<double>(grid.maxHeight)));
    printResultLine(QString::asprintf("average: %1.3f", static_cast<double>(grid.averageHeight)));
    return ExitCode::Success;
}
