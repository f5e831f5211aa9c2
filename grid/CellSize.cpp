#include "grid/CellSize.h"

#include <algorithm>
#include <cmath>

namespace {

// Relative, because split files print the spacing rounded to single precision,
// which can leave a product of 31 m as 30.9999984; a millionth of the value is far
// below any real fraction of a metre and far above printing and rounding error.
constexpr double kRoundTripTolerance = 1e-6;

} // namespace

float cellSizeFromDegrees(double degrees)
{
    return wholeMetres(degrees * 108000.0);
}

float wholeMetres(double metres)
{
    const double nearest = std::round(metres);
    const double tolerance = kRoundTripTolerance * std::max(1.0, std::fabs(metres));
    if (nearest > metres && nearest - metres <= tolerance)
        return static_cast<float>(nearest);
    return static_cast<float>(std::floor(metres));
}

double degreesFromCellSize(float cellSize)
{
    return static_cast<double>(cellSize) * kDegreesPerMetre;
}

QString unusableSpacingProblem(double degrees)
{
    if (std::isfinite(cellSizeFromDegrees(degrees)))
        return {};
    return QStringLiteral("the cell size %1 is beyond the range of a spacing").arg(degrees);
}
