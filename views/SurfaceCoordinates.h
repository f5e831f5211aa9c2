#pragma once

// Where the drawing puts a grid sample. Surface and block outline: x = column and
// y = row, both times cellSize x 0.0005; z = (height - minHeight) x 0.000625. The
// u/v profile lines lay samples out 0.02 apart whatever the cell size, so they meet
// the surface only at a cell size of 40. The constants are doubles; every
// coordinate is rounded to a float once, as glVertex3f receives it.
namespace surface_coordinates {

inline constexpr double kSurfaceScale = 0.0005;
inline constexpr double kHeightScale = 0.000625;
inline constexpr double kCurveSpacing = 0.02;

// World units between neighbouring samples of the surface.
inline double cellScale(float cellSize)
{
    return static_cast<double>(cellSize) * kSurfaceScale;
}

// Height above the terrain's minimum in world units, before rounding.
inline double heightAbove(float sampleHeight, float minHeight)
{
    return (static_cast<double>(sampleHeight) - static_cast<double>(minHeight)) * kHeightScale;
}

} // namespace surface_coordinates
