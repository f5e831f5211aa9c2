#pragma once

#include "grid/MatrixShape.h"
#include "grid/VeskGrid.h"

#include <string>

// Helpers shared by the three schemes for the steps every grid operation repeats.

// Replaces the grid's terrain by newHeights (newHeight rows of newWidth values): clearData
// (which keeps the detail stack and frees the old derived data), set the sizes, take the
// heights, set hasData.
void replaceHeights(VeskGrid& grid, FloatMatrix&& newHeights, int newWidth, int newHeight);

// After the heights changed: mark normals, curvature and slope stale (they are made again
// on first use) and recompute the statistics.
void markHeightsReplaced(VeskGrid& grid);

// Refuses an operation: prints the message, keeps it as the grid's lastError and returns
// false so the caller can return it directly. Nothing of the grid is changed.
bool refuseOperation(VeskGrid& grid, const std::string& message);

// Like refuseOperation without printing (for refusals the user is not told about).
bool refuseQuietly(VeskGrid& grid, const std::string& message);

// printf into a std::string (messages are built once and both printed and stored).
std::string formatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// True when the matrix has at least minRows rows and every row at least minColumns values,
// and all its rows have the same length (a ragged matrix is not a detail level).
bool matrixCovers(const FloatMatrix& matrix, int minRows, int minColumns);

// True when heights holds exactly `height` rows of `width` values, the shape every
// operation reads; a grid whose public fields were left inconsistent is refused.
bool heightsMatchSize(const VeskGrid& grid);

// Refuses with a message when the grid's heights do not match its width and height.
bool refuseInconsistentHeights(VeskGrid& grid);

// Refinement with details reads the two top matrices of the stack: row details of at least
// rowDetailRows x rowDetailValues and column details of at least columnDetailRows x
// columnDetailValues. Returns true when they cover that; otherwise refuses (message naming
// both shapes, nothing changed) and returns false. refiningLabel opens the "needs" clause.
bool topDetailsFit(VeskGrid& grid, int rowDetailRows, int rowDetailValues, int columnDetailRows,
                   int columnDetailValues, const char* refiningLabel);

// Takes the top matrix off the detail stack (the caller has checked that there is one).
FloatMatrix popTopDetails(VeskGrid& grid);

// The common end of every refinement without details: half the cell size, mark the
// derived data stale and recompute the statistics. Returns true so the caller can return it directly.
bool finishPlainRefinement(VeskGrid& grid);

// The common end of every refinement with details: report the new size, then finish as
// a plain refinement does.
bool finishRefinement(VeskGrid& grid);

// The checks and opening message every two-level coarsening (Chaikin, Faber) starts with:
// true when the grid can be coarsened; otherwise refuses, nothing changed, and returns false.
bool beginCoarsening(VeskGrid& grid);

// The common end of a two-level coarsening once the coarse heights are in place: report
// the coarse size, double the cell size, mark the derived data stale and recompute the
// statistics. Returns true.
bool finishCoarsening(VeskGrid& grid);
