#pragma once

#include <QString>

// True when columns x rows is a size the loaders accept: both at least 1, product at
// most the sample limit in force (io/SampleLimit.h, 16385 x 16385 samples by default, whose
// heights take 1 GiB; anything larger is a damaged or hostile header rather than a
// terrain this tool can hold).
bool isAcceptableGridSize(long long columns, long long rows);

// The refusal for a size that is not acceptable, naming the file.
QString unacceptableGridSizeMessage(const QString& fileName, long long columns, long long rows);
