#pragma once

#include "grid/FloatMatrix.h"
#include "grid/Vector3.h"

// One sample's normal straight from the heights, the same bits VeskGrid::calculateNormals
// gives it: for drawing parts of a terrain too large to hold a normal for every sample
// (24 bytes each). Row and column must lie inside the heights.
Vector3 sampleNormal(const FloatMatrix& heights, int row, int column);
