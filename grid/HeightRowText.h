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

// The same for rows that are made while they are written (see HeightRowRing): rows below
// `end` are read only after waitForRows(end) returns, and rowsWritten(end) says they will
// not be read again. A maker that may run heightRowsInFlight(columns) rows ahead of the
// last written row never waits for a writer that waits for it, whatever the cores.
struct HeightRowPacing {
    std::function<void(std::size_t)> waitForRows;
    std::function<void(std::size_t)> rowsWritten;
};
void writeHeightRows(FixedFormatWriter& out, std::size_t rowCount,
                     const std::function<std::span<const float>(std::size_t)>& rowValues,
                     const HeightRowPacing& pacing);

// The rows writeHeightRows may hold at once for rows of `columns` values.
std::size_t heightRowsInFlight(std::size_t columns);

// Room one line of `count` values can take.
std::size_t longestHeightRowText(std::size_t count);

// Formats one line at `text`, which has longestHeightRowText(values.size()) bytes of room;
// returns the end of the line.
char* formatHeightRow(std::span<const float> values, char* text);
