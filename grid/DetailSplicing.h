#pragma once

#include "grid/FloatMatrix.h"

#include <vector>

// Stretching a detail matrix to a larger terrain by repeating a well-matching
// stretch of its columns or rows. A loaded details level is spliced to the size
// of the grid it is meant for (see VeskGrid::loadDetail).
//
// The search compares the first five columns (rows) with the last five and
// picks the pair that differs least; the stretch between them is then repeated
// periodically, so the tail of the matrix reads as a continuation of its start.

// The smallest width (height) that keeps the two ends of the search apart:
// five candidates at each end, none shared.
inline constexpr int kMinSpliceLength = 10;

// The pair chosen by the search: `first` among the first five, `second` among
// the last five, and the sum of squared differences between them.
struct SpliceChoice {
    int first = 0;
    int second = 0;
    float difference = 0.0f;
};

// Sum over every row of (row[first] - row[second])^2: each square in double,
// the sum kept in single precision. Both columns must exist in every row.
float columnDifference(const FloatMatrix& matrix, int first, int second);

// Sum over the first row's length of (matrix[first][l] - matrix[second][l])^2,
// with the same precision rules.
float rowDifference(const FloatMatrix& matrix, int first, int second);

// The closest pair of columns (rows): first = 0..4 against second = n-1 down to
// n-5, the first pair with the smallest difference wins (later pairs replace it
// only when strictly smaller). The matrix must be spliceable (below).
SpliceChoice findClosestColumns(const FloatMatrix& matrix);
SpliceChoice findClosestRows(const FloatMatrix& matrix);

// Smoothness across the seam at column `second` of a spliced matrix: for
// t = -2 .. 3, the sum over all rows of (row[second+t] - row[second+t+1])^2.
// Only the differences whose two columns exist are returned, in order of t, so
// a matrix spliced to just past the seam yields fewer than six.
std::vector<float> seamDifferences(const FloatMatrix& matrix, int second);

// A matrix can be spliced along its rows when it is rectangular with at least
// kMinSpliceLength values per row; along its columns when it is rectangular
// with at least kMinSpliceLength rows.
bool canSpliceColumns(const FloatMatrix& matrix);
bool canSpliceRows(const FloatMatrix& matrix);

// Grows every row to targetWidth values: the columns from the chosen second
// onward become a copy of the stretch starting at the chosen first, repeated
// as often as needed. Prints the chosen pair and the seam differences.
// A target not above the current width leaves the matrix as it is.
// Returns false, printing why and changing nothing, when the matrix cannot be
// spliced; `choice` (optional) receives the pair used.
bool spliceColumns(FloatMatrix& matrix, int targetWidth, SpliceChoice* choice = nullptr);

// The same over whole rows, up to targetHeight rows. Prints nothing on success.
bool spliceRows(FloatMatrix& matrix, int targetHeight, SpliceChoice* choice = nullptr);
