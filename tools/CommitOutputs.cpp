#include "tools/CommitOutputs.h"

#include "tools/CommandReport.h"

ExitCode commitAndReport(OutputTransaction& transaction)
{
    QString errorText;
    if (!transaction.commit(errorText))
        return reportFailure(errorText);
    for (const QString& name : transaction.committedNames())
        printResultLine(QStringLiteral("wrote %1").arg(name));
    return ExitCode::Success;
}
