#pragma once

#include "grid/VeskGrid.h"

#include <vector>

// Faber multiresolution (scheme 3). Same conventions as the Chaikin operations.

bool reverseFaber(VeskGrid& grid);
bool subdivideFaber(VeskGrid& grid);
bool subdivideFaberWithoutDetails(VeskGrid& grid);

FloatMatrix faberDetails(const VeskGrid& grid, FloatMatrix heightMatrix, bool alongRows);

// Rebuilds a fine line of 2n - 1 samples from a coarse line of n samples and its details.
std::vector<float> faberRefineLine(std::vector<float> coarseLine, std::vector<float> lineDetails);
