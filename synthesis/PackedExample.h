#pragma once

#include "grid/FloatMatrix.h"

#include <vector>

// The example's heights in one row-major array, so a vector gather can fetch the
// same sample of eight candidate blocks with 32-bit offsets. Empty when the grid
// is ragged or has more samples than such offsets reach.
struct PackedExample {
    std::vector<float> samples;
    int width = 0;

    explicit PackedExample(const FloatMatrix& heights);
    bool empty() const { return samples.empty(); }
};
