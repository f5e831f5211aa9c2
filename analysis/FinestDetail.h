#pragma once

#include "analysis/HeightField.h"

// Finest-detail roughness in metres: the standard deviation of the finest level of a
// Laplacian pyramid, the heights less their blur by the binomial kernel (1 4 6 4 1) / 16
// along rows and then columns, over the samples at least two from the border (where the
// kernel is whole). 0 for a terrain too small to have such samples.
double finestDetailRoughness(const HeightField& field);
