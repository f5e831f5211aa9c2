#include "synthesis/DetailTransfer.h"
#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/CommitOutputs.h"
#include "tools/ProgressBar.h"
#include "tools/TerrainInput.h"
#include "tools/TerrainOutput.h"

namespace {

QString failureText(const TransferFailure& failure, SynthesisMethod method)
{
    switch (failure.step) {
    case TransferStep::example:
        return QStringLiteral("coarsening the example failed: %1").arg(failure.reason);
    case TransferStep::refinement:
        return QStringLiteral("refining the base failed: %1").arg(failure.reason);
    case TransferStep::synthesis:
        break;
    }
    switch (method) {
    case SynthesisMethod::quilt:
        return QStringLiteral("quilting failed: %1").arg(failure.reason);
    case SynthesisMethod::multifractal:
        return QStringLiteral("multifractal mapping failed: %1").arg(failure.reason);
    case SynthesisMethod::coherent:
        break;
    }
    return QStringLiteral("coherent synthesis failed: %1").arg(failure.reason);
}

} // namespace

ExitCode runTransfer(const TransferOptions& options, bool quiet)
{
    const SynthesisMethodTraits& method = *synthesisMethodNamed(options.method);
    if (!method.takesScheme && options.schemeGiven)
        return reportUsageError(QStringLiteral("--scheme applies to --method quilt and coherent only"));
    if (!method.takesSearch && options.searchGiven)
        return reportUsageError(QStringLiteral("--search applies to --method quilt and multifractal only"));

    VeskGrid base;
    VeskGrid example;
    OutputTransaction transaction;
    QString errorText;
    if (!loadTerrain(QString::fromStdString(options.base), options.read, base, errorText)
        || !loadTerrain(QString::fromStdString(options.example), options.read, example, errorText))
        return reportFailure(errorText);
    TransferSettings settings;
    settings.method = method.method;
    settings.scheme = schemeNamed(options.scheme)->scheme;
    settings.requestedBlockSize = options.requestedBlockSize;
    settings.rescaleBefore = !options.noRescale;
    settings.rescaleAfter = !options.noRescale;
    settings.levels = options.levels;
    ProgressBar bar(quiet);
    settings.search.mode = options.search == "refined" ? MatchSearch::Mode::refined : MatchSearch::Mode::random;
    settings.search.threads = options.threads;
    settings.search.progress = bar.progress();
    TransferOutcome outcome;
    TransferFailure failure;
    if (!transferDetail(base, example, settings, outcome, failure))
        return reportFailure(failureText(failure, method.method));
    if (!stageTerrain(base, QString::fromStdString(options.output), transaction, errorText))
        return reportFailure(errorText);
    return commitAndReport(transaction);
}
