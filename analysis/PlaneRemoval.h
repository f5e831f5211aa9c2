#pragma once

#include "analysis/HeightField.h"

#include <vector>

// The heights less their least-squares plane a + b column + c row (row-major, like
// field.heights): what is left is the relief without its mean and overall tilt.
std::vector<double> heightsLessPlane(const HeightField& field);
