#include "synthesis/SampleRaster.h"

#include <algorithm>
#include <cmath>

SampleRaster rasterOf(const FloatMatrix& matrix, int rasterWidth, int rasterHeight)
{
    SampleRaster raster(rasterWidth, rasterHeight);
    for (int y = 0; y < rasterHeight; ++y) {
        const auto& row = matrix[std::size_t(y)];
        for (int x = 0; x < rasterWidth; ++x)
            raster.at(x, y) = row[std::size_t(x)];
    }
    return raster;
}

void copyIntoMatrix(const SampleRaster& raster, FloatMatrix& matrix)
{
    for (int y = 0; y < raster.height; ++y) {
        auto& row = matrix[std::size_t(y)];
        for (int x = 0; x < raster.width; ++x)
            row[std::size_t(x)] = raster.at(x, y);
    }
}

double spreadOf(const SampleRaster& raster)
{
    double sum = 0.0;
    double squares = 0.0;
    for (const float value : raster.values) {
        sum += value;
        squares += double(value) * double(value);
    }
    const double count = double(raster.values.size());
    const double mean = sum / count;
    return std::sqrt(std::max(0.0, squares / count - mean * mean));
}
