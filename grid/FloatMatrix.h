#pragma once

#include <vector>

// Heights and detail coefficients: rows of single-precision floats, each row its own array.
using FloatMatrix = std::vector<std::vector<float>>;
