#include "grid/GridSizeLimit.h"
#include "multires/Scheme.h"
#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/CommitOutputs.h"
#include "tools/TerrainInput.h"
#include "tools/TerrainOutput.h"

namespace {

QString refusalText(const VeskGrid& grid, const QString& operation, int level)
{
    const QString reason = grid.lastError.isEmpty() ? QStringLiteral("refused by the core") : grid.lastError;
    return QStringLiteral("%1 level %2 failed: %3").arg(operation).arg(level).arg(reason);
}

// --details goes only with a scheme that keeps details, whether it writes or reads them.
ExitCode refuseDetailsOption()
{
    return reportUsageError(QStringLiteral("--details needs a scheme that keeps details (chaikin or faber)"));
}

} // namespace

ExitCode runCoarsen(const CoarsenOptions& options)
{
    // The option's check admits scheme names only.
    const SchemeTraits& scheme = *schemeNamed(options.scheme);
    if (options.details && !scheme.keepsDetails)
        return refuseDetailsOption();
    const QString output = QString::fromStdString(options.output);

    VeskGrid grid;
    OutputTransaction transaction;
    QString errorText;
    if (!loadTerrain(QString::fromStdString(options.input), options.read, grid, errorText))
        return reportFailure(errorText);
    for (int level = 1; level <= options.levels; ++level) {
        if (!scheme.coarsen(grid))
            return reportFailure(refusalText(grid, QStringLiteral("coarsening"), level));
    }
    if (!stageTerrain(grid, output, transaction, errorText))
        return reportFailure(errorText);
    int fileCount = 0;
    if (options.details && !stageDetailsFiles(grid, output, transaction, fileCount, errorText))
        return reportFailure(errorText);
    return commitAndReport(transaction);
}

ExitCode runRefine(const RefineOptions& options)
{
    const bool withDetails = !options.detailsFile.empty();
    const SchemeTraits& scheme = *schemeNamed(options.scheme);
    if (withDetails && !scheme.keepsDetails)
        return refuseDetailsOption();

    VeskGrid grid;
    OutputTransaction transaction;
    QString errorText;
    if (!loadTerrain(QString::fromStdString(options.input), options.read, grid, errorText))
        return reportFailure(errorText);
    if (withDetails) {
        const QString detailsFile = QString::fromStdString(options.detailsFile);
        if (!grid.loadDetail(detailsFile) || grid.details.empty()) {
            const QString reason = grid.lastError.isEmpty() ? QStringLiteral("no details were loaded") : grid.lastError;
            return reportFailure(QStringLiteral("%1: %2").arg(detailsFile, reason));
        }
    }
    for (int level = 1; level <= options.levels; ++level) {
        // Each level at most doubles both sides; stop before asking for a terrain
        // larger than any the tool can hold rather than run out of memory halfway.
        if (!isAcceptableGridSize(2LL * grid.width, 2LL * grid.height))
            return reportFailure(QStringLiteral("refining level %1 would make a terrain of about %2 x %3 samples, "
                                                "more than the tool can hold")
                                     .arg(level)
                                     .arg(2LL * grid.width)
                                     .arg(2LL * grid.height));
        if (!scheme.refine(grid))
            return reportFailure(refusalText(grid, QStringLiteral("refining"), level));
    }
    if (!stageTerrain(grid, QString::fromStdString(options.output), transaction, errorText))
        return reportFailure(errorText);
    return commitAndReport(transaction);
}
