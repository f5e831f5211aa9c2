#include "tools/hillshade/Hillshade.h"

#include <algorithm>
#include <cmath>
#include <numbers>

QImage hillshadeOf(const VeskGrid& grid)
{
    QImage image(grid.width, grid.height, QImage::Format_Grayscale8);
    const double azimuth = 315.0 * std::numbers::pi / 180.0;
    const double altitude = 45.0 * std::numbers::pi / 180.0;
    // x east, y north, z up.
    const double lightX = std::cos(altitude) * std::sin(azimuth);
    const double lightY = std::cos(altitude) * std::cos(azimuth);
    const double lightZ = std::sin(altitude);
    const auto heightAt = [&grid](int row, int column) {
        return static_cast<double>(
            grid.heights[std::clamp(row, 0, grid.height - 1)][std::clamp(column, 0, grid.width - 1)]);
    };
    for (int row = 0; row < grid.height; ++row) {
        uchar* pixels = image.scanLine(row);
        for (int column = 0; column < grid.width; ++column) {
            const double east = (heightAt(row, column + 1) - heightAt(row, column - 1)) / (2.0 * grid.cellSize);
            const double north = (heightAt(row - 1, column) - heightAt(row + 1, column)) / (2.0 * grid.cellSize);
            const double shade = (-east * lightX - north * lightY + lightZ) / std::sqrt(east * east + north * north + 1.0);
            pixels[column] = static_cast<uchar>(std::lround(255.0 * std::clamp(shade, 0.0, 1.0)));
        }
    }
    return image;
}
