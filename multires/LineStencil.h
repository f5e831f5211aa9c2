#pragma once

#include "grid/FloatMatrix.h"

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>

// One output sample of a line rule: up to four weighted input samples, kept in the
// order the rule writes them. The same stencil evaluates one line sample by sample
// (a pass along a row) or whole rows at once (a pass down the columns, which then
// walks memory row by row). Both evaluate the identical expression, weights in
// double and the sum rounded once to float, so a value never depends on the pass
// direction.
struct LineStencil {
    int count = 0;
    std::array<int, 4> index{};
    std::array<double, 4> weight{};
};

using StencilList = std::vector<LineStencil>;

// Terms as (weight, input index), written in the order of the rule.
LineStencil makeStencil(std::initializer_list<std::pair<double, int>> terms);

// The weighted sum of a stencil over one line, in double.
inline double stencilSum(const LineStencil& stencil, const float* line)
{
    const auto& w = stencil.weight;
    const auto& i = stencil.index;
    switch (stencil.count) {
    case 1:
        return w[0] * line[i[0]];
    case 2:
        return w[0] * line[i[0]] + w[1] * line[i[1]];
    case 3:
        return w[0] * line[i[0]] + w[1] * line[i[1]] + w[2] * line[i[2]];
    case 4:
        return w[0] * line[i[0]] + w[1] * line[i[1]] + w[2] * line[i[2]] + w[3] * line[i[3]];
    default:
        return 0.0;
    }
}

// Applies every stencil to one line into out[0..stencils.size()-1]; the caller guarantees
// the line holds every index used.
void applyToLine(const StencilList& stencils, const float* line, float* out);

// Applies every stencil down the columns: output row k combines the input rows named by
// stencil k, for columns 0..columns-1. Every input row used must hold at least `columns` values.
FloatMatrix applyDownColumns(const StencilList& stencils, const FloatMatrix& rows, int columns);

// Writes stencil k's combination of input rows into out[0..columns-1].
void combineRows(const LineStencil& stencil, const FloatMatrix& rows, float* out, int columns);

// Applies the stencils along each of the first rowCount rows of the matrix.
FloatMatrix applyAlongRows(const StencilList& stencils, const FloatMatrix& rows, int rowCount);
