#pragma once

#include "analysis/HeightField.h"

// Where the borders of a terrain made of blocks lie: between samples offset + k step - 1
// and offset + k step, along the rows and the columns alike.
struct BlockBorders {
    int step = 0;
    int offset = 0;
};

// How much a terrain made of blocks jumps at the blocks' borders: the mean |second
// difference| of the stencils that straddle a border over that of the stencils inside
// blocks. Second differences h[i-1] - 2 h[i] + h[i+1] are taken along the rows across
// column borders and along the columns across row borders; with p = (i - offset) mod step,
// a stencil straddles when p is 0 or step - 1 and lies inside when p is 1 to step - 2.
// About 1 for a terrain without seams, above 1 where blocks meet in a crease.
//
// Needs 3 <= step <= min(width, height) - 2 and 0 <= offset < step (callers check with
// areUsableBorders).
bool areUsableBorders(const BlockBorders& borders, int width, int height);
double seamRatio(const HeightField& field, const BlockBorders& borders);
