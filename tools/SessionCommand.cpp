#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/CommitOutputs.h"
#include "tools/TerrainInput.h"
#include "tools/TerrainOutput.h"

ExitCode runSession(const SessionOptions& options)
{
    VeskGrid left;
    VeskGrid right;
    OutputTransaction transaction;
    QString errorText;
    if (!loadTerrain(QString::fromStdString(options.left), options.read, left, errorText)
        || !loadTerrain(QString::fromStdString(options.right), options.read, right, errorText)
        || !stageSession(left, right, QString::fromStdString(options.output), transaction, errorText))
        return reportFailure(errorText);
    return commitAndReport(transaction);
}
