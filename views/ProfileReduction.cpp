#include "views/ProfileReduction.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

int pixelOf(double coordinate, double low, double high, int pixels)
{
    const double pixel = std::floor((coordinate - low) / (high - low) * pixels);
    if (std::isnan(pixel))
        return -1; // a scale with no height puts every value on one row
    return static_cast<int>(std::clamp(pixel, -1.0, static_cast<double>(pixels)));
}

} // namespace

ProfileVertices profileVerticesDrawn(const std::vector<float>& curve, float minValue, float maxValue,
                                     int widthPixels, int heightPixels)
{
    ProfileVertices kept;
    const std::size_t count = curve.size();
    if (count == 0)
        return kept;
    const double range = static_cast<double>(maxValue) - static_cast<double>(minValue);
    const auto columnOf = [&](std::size_t i) {
        const double x = count > 1 ? static_cast<double>(i) / static_cast<double>(count - 1) : 0.0;
        return pixelOf(x, -0.01, 1.01, widthPixels);
    };
    const auto rowOf = [&](std::size_t i) {
        const double z = (static_cast<double>(curve[i]) - static_cast<double>(minValue)) / range - 0.05;
        return pixelOf(z, -0.1, 1.0, heightPixels);
    };

    // Rows -1 to heightPixels: values off the box keep a row of their own at each edge.
    std::vector<bool> rowTaken(static_cast<std::size_t>(heightPixels) + 2, false);
    std::vector<int> rowsTaken;
    std::size_t first = 0;
    while (first < count) {
        const int column = columnOf(first);
        std::size_t last = first;
        std::size_t lowest = first;
        std::size_t highest = first;
        for (std::size_t i = first; i < count && columnOf(i) == column; ++i) {
            last = i;
            if (curve[i] < curve[lowest])
                lowest = i;
            if (curve[i] > curve[highest])
                highest = i;
            const int row = rowOf(i) + 1;
            if (!rowTaken[static_cast<std::size_t>(row)]) {
                rowTaken[static_cast<std::size_t>(row)] = true;
                rowsTaken.push_back(row);
                kept.points.push_back(i);
            }
        }
        std::array<std::size_t, 4> corners{first, lowest, highest, last};
        std::sort(corners.begin(), corners.end());
        for (std::size_t k = 0; k < corners.size(); ++k)
            if (k == 0 || corners[k] != corners[k - 1])
                kept.line.push_back(corners[k]);
        for (const int row : rowsTaken)
            rowTaken[static_cast<std::size_t>(row)] = false;
        rowsTaken.clear();
        first = last + 1;
    }
    return kept;
}
