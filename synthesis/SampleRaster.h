#pragma once

#include "grid/FloatMatrix.h"
#include "grid/LargeBlockAllocator.h"

#include <cstddef>

// A matrix of floats in one row-major array, for the synthesis loops that read
// blocks at any place and orientation. Filled from and written back to the
// grid's matrices at the edges of the work. Made afresh at every level and step, so
// in large blocks (huge pages).
struct SampleRaster {
    int width = 0;
    int height = 0;
    LargeVector<float> values;

    SampleRaster() = default;
    SampleRaster(int rasterWidth, int rasterHeight)
        : width(rasterWidth), height(rasterHeight), values(std::size_t(rasterWidth) * std::size_t(rasterHeight))
    {
    }

    float at(int x, int y) const { return values[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    float& at(int x, int y) { return values[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// The first rasterHeight rows and rasterWidth columns of matrix (which must cover them).
SampleRaster rasterOf(const FloatMatrix& matrix, int rasterWidth, int rasterHeight);

// The standard deviation of the raster's values.
double spreadOf(const SampleRaster& raster);

// Writes raster into the top-left corner of matrix, which must cover it.
void copyIntoMatrix(const SampleRaster& raster, FloatMatrix& matrix);
