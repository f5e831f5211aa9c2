#include "multires/Scheme.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/MultifractalMapping.h"
#include "synthesis/TransferBlockSize.h"
#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/CommitOutputs.h"
#include "tools/ProgressBar.h"
#include "tools/TerrainInput.h"
#include "tools/TerrainOutput.h"

namespace {

QString coreReason(const VeskGrid& grid)
{
    return grid.lastError.isEmpty() ? QStringLiteral("refused by the core") : grid.lastError;
}

// The window's "Go" with Chaikin or Faber selected: the example gets one detail level
// by one coarsening, its detail is quilted onto the base, and the base is refined once
// with it.
bool quiltAndRefine(VeskGrid& base, VeskGrid& example, const SchemeTraits& scheme, int blockSize, bool rescale,
                    const MatchSearch& search, QString& errorText)
{
    if (!scheme.coarsen(example)) {
        errorText = QStringLiteral("coarsening the example failed: %1").arg(coreReason(example));
        return false;
    }
    QuiltMatches matches;
    if (!quiltDetails(base, example, blockSize, matches, rescale, rescale, errorText, search)) {
        errorText = QStringLiteral("quilting failed: %1").arg(errorText);
        return false;
    }
    if (!scheme.refine(base)) {
        errorText = QStringLiteral("refining the base failed: %1").arg(coreReason(base));
        return false;
    }
    return true;
}

// The window's "Go" with Traditional selected: multifractal mapping refines the base
// itself, with noise as rough as the example is where each block matched.
bool mapRoughness(VeskGrid& base, VeskGrid& example, int blockSize, bool rescale, const MatchSearch& search,
                  QString& errorText)
{
    if (multifractalMapping(base, example, blockSize, rescale, rescale, errorText, nullptr, search))
        return true;
    errorText = QStringLiteral("multifractal mapping failed: %1").arg(errorText);
    return false;
}

} // namespace

ExitCode runTransfer(const TransferOptions& options, bool quiet)
{
    const bool quilting = options.method == "quilt";
    if (!quilting && options.schemeGiven)
        return reportUsageError(QStringLiteral("--scheme applies to --method quilt only"));

    VeskGrid base;
    VeskGrid example;
    OutputTransaction transaction;
    QString errorText;
    if (!loadTerrain(QString::fromStdString(options.base), options.read, base, errorText)
        || !loadTerrain(QString::fromStdString(options.example), options.read, example, errorText))
        return reportFailure(errorText);
    const int blockSize = transferBlockSize(options.requestedBlockSize, base.width, base.height);
    const bool rescale = !options.noRescale;
    ProgressBar bar(quiet);
    MatchSearch search;
    search.mode = options.search == "refined" ? MatchSearch::Mode::refined : MatchSearch::Mode::random;
    search.threads = options.threads;
    search.progress = bar.progress();
    const bool transferred = quilting ? quiltAndRefine(base, example, *schemeNamed(options.scheme), blockSize, rescale, search, errorText)
                                      : mapRoughness(base, example, blockSize, rescale, search, errorText);
    if (!transferred)
        return reportFailure(errorText);
    if (!stageTerrain(base, QString::fromStdString(options.output), transaction, errorText))
        return reportFailure(errorText);
    return commitAndReport(transaction);
}
