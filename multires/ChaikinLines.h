#pragma once

#include "grid/FloatMatrix.h"
#include "multires/LineStencil.h"

// The four Chaikin line rules, each as one stencil per output sample. Building them
// once per pass lets the same rule run along rows and, whole rows at a time, down columns.

// Rule 1, plain refinement: n coarse samples (n >= 3) give 2n - 2 fine samples.
StencilList chaikinRefineStencils(int coarseLength);

// Rule 2, coarse values: an even fine line of N >= 6 samples gives N/2 + 1 coarse samples.
StencilList chaikinCoarseStencils(int fineLength);

// Rule 3, details: a fine line of N >= 6 samples gives floor(N/2) - 1 details; the last
// detail always comes from the last four samples, and d[1] has the sign opposite to the
// interior formula.
StencilList chaikinDetailStencils(int fineLength);

// Rule 4's displacement: the n - 2 details of a coarse line of n >= 5 samples give the
// 2n - 2 offsets added to the plain refinement.
StencilList chaikinDisplacementStencils(int coarseLength);

// Smallest line lengths the rules accept.
constexpr int kChaikinMinPlainRefineLength = 3;
constexpr int kChaikinMinDetailRefineLength = 5;
constexpr int kChaikinMinAnalysisLength = 6;

// Rule 1 on the first `height` rows of `width` values, columns first then rows:
// a (2 * height - 2) x (2 * width - 2) matrix. Both sizes must be at least 3.
FloatMatrix chaikinRefineMatrix(const FloatMatrix& heights, int width, int height);

// Rule 2 down each of the first `columns` columns, taking the first `lineLength` rows
// (even, >= 6) as the line: lineLength/2 + 1 rows of `columns` values.
FloatMatrix chaikinCoarseColumns(const FloatMatrix& matrix, int lineLength, int columns);

// Rule 2 along each of the first `rowCount` rows, taking the first `lineLength` values
// (even, >= 6) as the line: rowCount rows of lineLength/2 + 1 values.
FloatMatrix chaikinCoarseRows(const FloatMatrix& matrix, int lineLength, int rowCount);

// Rule 3 down the first `columns` columns over the first `lineLength` rows, or along the
// first `lineCount` rows over their first `lineLength` values. Prints "d is %i X %i\n"
// (columns, rows of the result) like the public chaikinDetails.
FloatMatrix chaikinDetailColumns(const FloatMatrix& matrix, int lineLength, int columns);
FloatMatrix chaikinDetailRows(const FloatMatrix& matrix, int lineLength, int lineCount);
