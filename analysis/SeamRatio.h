#pragma once

#include "analysis/HeightField.h"

// How much a terrain made of blocks jumps at the blocks' borders: with borders every
// blockStep samples from the first row and column (between samples k S - 1 and k S), the
// mean |second difference| of the stencils that straddle a border over that of the
// stencils inside blocks. Second differences h[i-1] - 2 h[i] + h[i+1] are taken along
// the rows across column borders and along the columns across row borders; a stencil
// straddles when i is k S - 1 or k S, lies inside when i mod S is 1 to S - 2. About 1 for
// a terrain without seams, above 1 where blocks meet in a crease.
//
// Needs 3 <= blockStep <= min(width, height) - 2 (callers check with isUsableBlockStep).
bool isUsableBlockStep(int blockStep, int width, int height);
double seamRatio(const HeightField& field, int blockStep);
