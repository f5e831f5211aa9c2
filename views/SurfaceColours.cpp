// The colour rules of the surface drawing: the height ramp and the curvature and
// slope bands.

#include "views/SurfaceColours.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr Rgba kDarkRed{0.6f, 0.0f, 0.0f, 1.0f};
constexpr Rgba kLightRed{1.0f, 0.2f, 0.2f, 1.0f};
constexpr Rgba kLightBlue{0.2f, 0.2f, 0.9f, 1.0f};
constexpr Rgba kDarkBlue{0.0f, 0.0f, 0.6f, 1.0f};
constexpr Rgba kYellow{1.0f, 1.0f, 0.0f, 1.0f};
constexpr Rgba kGreen{0.05f, 0.95f, 0.05f, 1.0f};
constexpr Rgba kGrey{0.5f, 0.5f, 0.5f, 1.0f};

// Per-cell data of the cell whose lower-left corner is (row, column), the column
// clamped to the cells the row holds.
bool cellValue(const FloatMatrix& cells, int row, int column, float& value)
{
    if (row < 0 || static_cast<std::size_t>(row) >= cells.size())
        return false;
    const FloatRow& cellRow = cells[row];
    if (cellRow.empty())
        return false;
    const std::size_t clamped = std::min(static_cast<std::size_t>(std::max(column, 0)), cellRow.size() - 1);
    value = cellRow[clamped];
    return true;
}

} // namespace

Rgba heightColour(const VeskGrid& grid, float sampleHeight)
{
    const double aboveMinimum = static_cast<double>(sampleHeight) - static_cast<double>(grid.minHeight);
    const float t = static_cast<float>(aboveMinimum
                                       / (static_cast<double>(grid.maxHeight) - static_cast<double>(grid.minHeight)));
    // The lowest band is absolute (height units), so the floor of any terrain reads as water.
    if (aboveMinimum < 0.125)
        return {0.2f, 0.2f, 0.8f, 1.0f};
    if (t < 0.25f)
        return {0.6f, 0.4f, 0.0f, 1.0f};
    if (t < 0.375f)
        return {0.1f, 0.5f, 0.1f, 1.0f};
    if (t < 0.5f)
        return {0.1f, 0.8f, 0.1f, 1.0f};
    if (t < 0.625f)
        return {0.9f, 0.25f, 0.25f, 1.0f};
    if (t < 0.75f)
        return {1.0f, 0.6f, 0.1f, 1.0f};
    if (t < 0.875f)
        return {1.0f, 1.0f, 0.1f, 1.0f};
    return {0.95f, 0.95f, 0.95f, 1.0f};
}

// Each band is tested on its own, so a value that is not a number (a perfectly flat
// terrain) falls through every band to the plain surface colour instead of landing
// in the last one.
Rgba curvatureColour(float k)
{
    if (k > 0.1f)
        return kDarkRed;
    if (k > 0.00001f && k <= 0.1f)
        return kLightRed;
    if (k >= -0.1f && k < -0.00001f)
        return kLightBlue;
    if (k < -0.1f)
        return kDarkBlue;
    return kDefaultSurfaceColour;
}

// Anything outside the bands, not-a-number included, is grey.
Rgba slopeColour(float s)
{
    if (s > 0.5f)
        return kYellow;
    if (s > 0.3f && s <= 0.5f)
        return kLightRed;
    if (s > 0.075f && s <= 0.3f)
        return kGreen;
    return kGrey;
}

Rgba cellColour(const VeskGrid& grid, RenderMode mode, int row, int column)
{
    float value = 0.0f;
    if (mode == RenderMode::Curvature)
        return cellValue(grid.curvature, row, column, value) ? curvatureColour(value) : kDefaultSurfaceColour;
    if (mode == RenderMode::Slope)
        return cellValue(grid.slope, row, column, value) ? slopeColour(value) : kDefaultSurfaceColour;
    return kDefaultSurfaceColour;
}
