#pragma once

#include <string>
#include <vector>

// The ASCII grid text written by the PNG conversion. The header is the grid format's
// seven lines with a cell size of 0.0027 degrees held as a single-precision float
// (xdim and ydim print as 0.002700000070035458). Each height is written as "%1.2f "
// and each row ends with a newline; unlike the grid writer, no empty line follows the
// last row. Numbers go through the grid writers' formatFixed, which gives printf's digits
// without its per-call cost.

inline constexpr float pngGridCellSizeDegrees = 0.0027f;

void appendPngGridHeader(std::string& text, int columns, int rows);
void appendPngGridRow(std::string& text, const float* heights, int count);

// "%1.2f " for one value, exactly as printf writes it.
void appendGridValue(std::string& text, float value);
