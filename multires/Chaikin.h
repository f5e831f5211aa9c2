#pragma once

#include "grid/VeskGrid.h"

#include <vector>

// Chaikin multiresolution (scheme 1): corner cutting with interpolated end points.
// The grid operations return false when they refuse (grid too small, details that
// do not fit); a refused operation prints why, sets grid.lastError and changes nothing.

bool reverseChaikin(VeskGrid& grid);
bool subdivideChaikin(VeskGrid& grid);
bool subdivideChaikinWithoutDetails(VeskGrid& grid);

// Details of every column (alongRows false) or every row (alongRows true) of
// heightMatrix; line lengths follow the grid's current width as described by the rules.
FloatMatrix chaikinDetails(const VeskGrid& grid, FloatMatrix heightMatrix, bool alongRows);

// Rebuilds a fine line of 2n - 2 samples from a coarse line of n samples and its n - 2 details.
std::vector<float> chaikinRefineLine(std::vector<float> coarseLine, std::vector<float> lineDetails);
