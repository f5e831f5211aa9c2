#include "png/PngGridText.h"

#include "grid/FixedFormat.h"

#include <cstdio>

void appendPngGridHeader(std::string& text, int columns, int rows)
{
    char header[256];
    const double cellSize = pngGridCellSizeDegrees;
    const int length = std::snprintf(header, sizeof header,
                                     "ncols\t%i\nnrows\t%i\nxllcorner\t0\nyllcorner\t0\nxdim\t%1.18f\n"
                                     "ydim\t%1.18f\nNODATA_value\t-9999\n",
                                     columns, rows, cellSize, cellSize);
    text.append(header, static_cast<std::size_t>(length));
}

void appendGridValue(std::string& text, float value)
{
    // Wide enough for any float in fixed notation with two decimals, and for the quick path.
    char digits[64];
    char* const end = formatFixed(digits, digits + sizeof digits - 1, value, 2);
    *end = ' ';
    text.append(digits, static_cast<std::size_t>(end + 1 - digits));
}

void appendPngGridRow(std::string& text, const float* heights, int count)
{
    for (int column = 0; column < count; ++column)
        appendGridValue(text, heights[column]);
    text.push_back('\n');
}
