#pragma once

#include "grid/FloatMatrix.h"

// The colours of the surface drawing: the material of the plain surface and the
// bands of the height, curvature and slope colourings. The immediate-mode drawing
// and the vertex buffers both take their colours from here, so they cannot drift apart.
struct Rgba {
    float red;
    float green;
    float blue;
    float alpha;
};

inline constexpr Rgba kDefaultSurfaceColour{0.9f, 0.9f, 0.9f, 1.0f};

// The height ramp for a sample of the given height on a terrain from minHeight to maxHeight.
Rgba heightColour(float sampleHeight, float minHeight, float maxHeight);

// Curvature normalised to a largest magnitude of 1.
Rgba curvatureColour(float curvature);

// Slope in [0, 1).
Rgba slopeColour(float slope);

// The value of the cell whose lower-left corner is (row, column). The last column of
// samples has no cell of its own and takes the value of the cell to its left. False
// when the matrix has no such row.
bool cellValue(const FloatMatrix& cells, int row, int column, float& value);
