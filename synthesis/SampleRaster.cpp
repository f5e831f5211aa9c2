#include "synthesis/SampleRaster.h"

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
