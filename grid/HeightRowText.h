#pragma once

#include "grid/FixedFormat.h"

#include <cstddef>
#include <functional>
#include <span>

// The height lines of an ASCII grid: each value as "%1.2f " and every line ended by
// "\n". Bands of rows are formatted on all cores and written in their order, so the
// bytes are those of the row-by-row loop (the text of a value does not depend on any
// other). rowValues(r) gives the values of line r.
void writeHeightRows(FixedFormatWriter& out, std::size_t rowCount,
                     const std::function<std::span<const float>(std::size_t)>& rowValues);

// Room one line of `count` values can take.
std::size_t longestHeightRowText(std::size_t count);

// Formats one line at `text`, which has longestHeightRowText(values.size()) bytes of room;
// returns the end of the line.
char* formatHeightRow(std::span<const float> values, char* text);
