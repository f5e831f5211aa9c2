#pragma once

#include "grid/VeskGrid.h"

#include <vector>

// Fractal subdivision (scheme 2, the menu's "Traditional"): plain Chaikin refinement
// plus Gaussian noise whose deviation shrinks level by level; coarsening decimates.

bool subdivideFractal(VeskGrid& grid);
bool unsubdivideFractal(VeskGrid& grid);
float estimateDetailDeviation(VeskGrid& grid);

// One refinement whose noise is scaled per block by deviationMap
// (blocksAcross x blocksDown blocks of blockSize samples, row-major).
bool subdivideFractalByBlocks(VeskGrid& grid, std::vector<float> deviationMap, int blocksAcross,
                              int blocksDown, int blockSize);
