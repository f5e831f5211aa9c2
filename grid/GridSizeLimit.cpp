#include "grid/GridSizeLimit.h"

#include "io/SampleLimit.h"

bool isAcceptableGridSize(long long columns, long long rows)
{
    return io::withinSampleLimit(columns, rows);
}

QString unacceptableGridSizeMessage(const QString& fileName, long long columns, long long rows)
{
    return QStringLiteral("VeskGrid:: *Error* - %1 declares %2 columns and %3 rows; both must be "
                          "at least 1 and the grid at most %4 samples.")
        .arg(fileName)
        .arg(columns)
        .arg(rows)
        .arg(static_cast<long long>(io::sampleLimit()));
}
