#pragma once

#include "analysis/HeightField.h"

#include <vector>

// Slope and curvature of every inner sample (the border has no neighbours on one side),
// row by row, from central differences over the cell size.

// Slope angle in degrees: atan of the gradient's length, the gradient
// ((h[c+1] - h[c-1]) / 2d, (h[r+1] - h[r-1]) / 2d).
std::vector<double> slopeAngles(const HeightField& field);

// Curvature in 1/m: the five-point Laplacian (h[c-1] + h[c+1] + h[r-1] + h[r+1] - 4 h) / d^2;
// positive in hollows, negative on crests.
std::vector<double> laplacianCurvatures(const HeightField& field);
