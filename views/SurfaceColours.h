#pragma once

#include "grid/VeskGrid.h"
#include "views/RenderMode.h"

// The colours of the surface drawing, as material RGBA values, apart from the GL
// calls that set them so that any way of drawing the surface colours it alike.
struct Rgba {
    float red;
    float green;
    float blue;
    float alpha;

    bool operator==(const Rgba&) const = default;
};

// Set once before every whole-surface drawing; the plain mode keeps it throughout.
inline constexpr Rgba kDefaultSurfaceColour{0.9f, 0.9f, 0.9f, 1.0f};

// The height ramp between the grid's minimum and maximum.
Rgba heightColour(const VeskGrid& grid, float sampleHeight);
// Bands of curvature normalised to a largest magnitude of 1.
Rgba curvatureColour(float curvature);
// Bands of slope in [0, 1).
Rgba slopeColour(float slope);
// The colour of the cell whose lower-left corner is (row, column) in the curvature or
// slope colouring; both vertices of a strip column take it. The last column of
// samples has no cell of its own and takes the colour of the cell to its left; a
// cell the data does not hold is the default colour.
Rgba cellColour(const VeskGrid& grid, RenderMode mode, int row, int column);
