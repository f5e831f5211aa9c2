#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>

// The heights of a float grid, read after its header: rows of 4-byte floats, first row
// first, read as they are into their place a band of rows at a time. Each row is put in
// this machine's byte order and handed to the caller in turn while the next band is read
// on another core, so that the system's copy and the page faults of the fresh memory it
// goes to overlap the caller's checks; the caller's thread first takes the page faults
// of the last rows, from the end until it meets the reader, so two cores share them.
struct FloatRowsOutcome {
    bool readFailed = false; // the last row handed over came short through a read error
};

// Reads up to `rows` rows of `columns` floats from `file` to `to` and hands each to
// `take` with its complete values, fewer than `columns` only in a row the data ends in
// (the last handed over). Stops after the row `take` refuses (returns false).
FloatRowsOutcome readFloatRows(std::FILE* file, float* to, int rows, std::size_t columns, bool bigEndian,
                               const std::function<bool(int row, float* values, std::size_t complete)>& take);
