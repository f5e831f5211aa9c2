#pragma once

#include "analysis/TerrainComparison.h"

#include <QString>
#include <QStringList>

// compare's output: one readable line a figure, and the same figures as one JSON object.
QStringList comparisonLines(const TerrainComparison& comparison, const QString& referenceName,
                            const QString& terrainName);
QString comparisonJson(const TerrainComparison& comparison);
