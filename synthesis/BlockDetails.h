#pragma once

#include "grid/FloatMatrix.h"
#include "grid/VeskGrid.h"

#include <optional>
#include <vector>

// A block of a terrain's detail coefficients, cut level by level from a coarsened
// copy of the terrain, to be pasted into another terrain's details (the views'
// middle-button transfer).
//
// Position mapping. Cut and paste follow a sample position (column c, row r) from
// one level to the next with the same integer steps:
//   before a column-details matrix: c - 1 (clamped to 0), r / 2
//   before a row-details matrix:    c / 2,                r + 1
//   after a row-details matrix:     c + 1,                r - 1
struct BlockDetails {
    // Two blocks per level, finest level first: the column-details block, then the
    // row-details block. Each holds the rows and values its matrix had at the
    // mapped corners (clipped to the matrix), so rows may differ in length.
    std::vector<FloatMatrix> matrices;
    // The selection's size in samples of the full-resolution terrain.
    int width = 0;
    int height = 0;

    bool empty() const { return matrices.empty(); }
    bool operator==(const BlockDetails&) const = default;
};

// The block of the selection between the corners (x1, y1) and (x2, y2), in any order
// (a corner left of or above the grid starts at its edge), from each of up to levels
// Chaikin coarsenings of a copy of the grid; the grid itself is not changed. Stops,
// saying so, at the first level the grid cannot be coarsened to.
BlockDetails cutBlockDetails(const VeskGrid& grid, int x1, int y1, int x2, int y2, int levels);

// The grid with the block pasted with its first value at sample (column, row): a copy
// coarsened up to levels times (stopping where it cannot be), each block written
// over its level's details where it falls inside them, and refined back as often
// as it was coarsened. None, with nothing changed, when the block does not fit: an
// empty block, a position outside the grid, or a grid too small to coarsen once.
std::optional<VeskGrid> gridWithBlockPasted(const VeskGrid& grid, const BlockDetails& block, int column, int row,
                                            int levels);
