#include "ScreenStates.h"

#include "views/GLGrid.h"

#include <QSpinBox>

#include <cstring>

namespace {

ScreenState stateOf(const GLGrid& view, const QSpinBox* width, const QSpinBox* height, const QSpinBox* resolution)
{
    const VeskGrid& grid = view.grid;
    return {grid.width,        grid.height,   grid.hasData,       grid.cellSize,
            grid.minHeight,    grid.maxHeight, grid.averageHeight, grid.fractalDeviation,
            grid.name,         grid.heights,  grid.details,       view.marked,
            view.marks,        width->value(), height->value(),    resolution->value()};
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameBits(const FloatMatrix& a, const FloatMatrix& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t row = 0; row < a.size(); ++row) {
        if (a[row].size() != b[row].size())
            return false;
        if (!a[row].empty() && std::memcmp(a[row].data(), b[row].data(), a[row].size() * sizeof(float)) != 0)
            return false;
    }
    return true;
}

QString differenceBetween(const char* screen, const ScreenState& e, const ScreenState& a)
{
    const auto differs = [screen](const char* what) { return QStringLiteral("%1 %2").arg(screen, what); };
    if (e.width != a.width || e.height != a.height || e.hasData != a.hasData)
        return differs("size") + QStringLiteral(" %1x%2 / %3x%4").arg(e.width).arg(e.height).arg(a.width).arg(a.height);
    if (!sameBits(e.cellSize, a.cellSize))
        return differs("cell size");
    if (!sameBits(e.minHeight, a.minHeight) || !sameBits(e.maxHeight, a.maxHeight)
        || !sameBits(e.averageHeight, a.averageHeight) || !sameBits(e.fractalDeviation, a.fractalDeviation))
        return differs("statistics");
    if (e.name != a.name)
        return differs("name");
    if (!sameBits(e.heights, a.heights))
        return differs("heights");
    if (e.details.size() != a.details.size())
        return differs("details count") + QStringLiteral(" %1 / %2").arg(e.details.size()).arg(a.details.size());
    for (std::size_t k = 0; k < e.details.size(); ++k)
        if (!sameBits(e.details[k], a.details[k]))
            return differs("details matrix") + QString::number(k);
    if (e.marked != a.marked || e.marks != a.marks)
        return differs("marks");
    if (e.widthSpin != a.widthSpin || e.heightSpin != a.heightSpin || e.resolutionSpin != a.resolutionSpin)
        return differs("spin boxes");
    return QString();
}

} // namespace

WindowState stateOf(const TalvaneMainWindow& window)
{
    return {stateOf(*window.gLGrid1, window.grid1WidthSpinBox, window.grid1HeightSpinBox, window.grid1FrequencySB),
            stateOf(*window.gLGrid2, window.grid2WidthspinBox, window.grid2HeightSpinBox, window.grid2FrequencySB)};
}

QString differenceBetween(const WindowState& expected, const WindowState& actual)
{
    const QString left = differenceBetween("left", expected.left, actual.left);
    return left.isEmpty() ? differenceBetween("right", expected.right, actual.right) : left;
}
