#include "grid/GridSizeLimit.h"

bool isAcceptableGridSize(long long columns, long long rows)
{
    if (columns < 1 || rows < 1)
        return false;
    if (columns > kMaxGridSamples || rows > kMaxGridSamples)
        return false;
    return columns <= kMaxGridSamples / rows;
}

QString unacceptableGridSizeMessage(const QString& fileName, long long columns, long long rows)
{
    return QStringLiteral("VeskGrid:: *Error* - %1 declares %2 columns and %3 rows; both must be "
                          "at least 1 and the grid at most %4 samples.")
        .arg(fileName)
        .arg(columns)
        .arg(rows)
        .arg(kMaxGridSamples);
}
