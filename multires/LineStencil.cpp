// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "multires/LineStencil.h"

#include <algorithm>

namespace {

// Output lines of `length` samples, enough of them to a task that each task is worth
// handing out; every line is worked out on its own, so the bytes are the same on
// any number of threads.
template <typename Work> void forLinesInParallel(int count, int length, const Work& work)
{
    constexpr int samplesPerTask = 1 << 15;
    const int linesPerTask = std::max(1, samplesPerTask / std::max(1, length));
    tbb::parallel_for(tbb::blocked_range<int>(0, count, linesPerTask), [&](const tbb::blocked_range<int>& lines) {
        for (int line = lines.begin(); line != lines.end(); ++line)
            work(line);
    });
}

} // namespace

LineStencil makeStencil(std::initializer_list<std::pair<double, int>> terms)
{
    LineStencil stencil;
    for (const auto& [weight, index] : terms) {
        if (stencil.count == 4)
            break;
        stencil.weight[stencil.count] = weight;
        stencil.index[stencil.count] = index;
        ++stencil.count;
    }
    return stencil;
}

void applyToLine(const StencilList& stencils, const float* line, float* out)
{
    for (std::size_t k = 0; k < stencils.size(); ++k)
        out[k] = static_cast<float>(stencilSum(stencils[k], line));
}

void combineRows(const LineStencil& stencil, const FloatMatrix& rows, float* out, int columns)
{
    // Same expressions as stencilSum, spelled out per term count so the loop over
    // columns is a straight streaming pass the compiler can vectorise.
    const auto& w = stencil.weight;
    const auto& i = stencil.index;
    switch (stencil.count) {
    case 1: {
        const float* a = rows[i[0]].data();
        for (int x = 0; x < columns; ++x)
            out[x] = static_cast<float>(w[0] * a[x]);
        break;
    }
    case 2: {
        const float* a = rows[i[0]].data();
        const float* b = rows[i[1]].data();
        for (int x = 0; x < columns; ++x)
            out[x] = static_cast<float>(w[0] * a[x] + w[1] * b[x]);
        break;
    }
    case 3: {
        const float* a = rows[i[0]].data();
        const float* b = rows[i[1]].data();
        const float* c = rows[i[2]].data();
        for (int x = 0; x < columns; ++x)
            out[x] = static_cast<float>(w[0] * a[x] + w[1] * b[x] + w[2] * c[x]);
        break;
    }
    case 4: {
        const float* a = rows[i[0]].data();
        const float* b = rows[i[1]].data();
        const float* c = rows[i[2]].data();
        const float* d = rows[i[3]].data();
        for (int x = 0; x < columns; ++x)
            out[x] = static_cast<float>(w[0] * a[x] + w[1] * b[x] + w[2] * c[x] + w[3] * d[x]);
        break;
    }
    default:
        for (int x = 0; x < columns; ++x)
            out[x] = static_cast<float>(0.0);
        break;
    }
}

FloatMatrix applyDownColumns(const StencilList& stencils, const FloatMatrix& rows, int columns)
{
    FloatMatrix result = FloatMatrix::uninitialized(stencils.size(), columns > 0 ? columns : 0);
    forLinesInParallel(int(stencils.size()), columns,
                       [&](int k) { combineRows(stencils[std::size_t(k)], rows, result[k].data(), columns); });
    return result;
}

FloatMatrix applyAlongRows(const StencilList& stencils, const FloatMatrix& rows, int rowCount)
{
    FloatMatrix result = FloatMatrix::uninitialized(rowCount > 0 ? rowCount : 0, stencils.size());
    forLinesInParallel(rowCount, int(stencils.size()),
                       [&](int r) { applyToLine(stencils, rows[r].data(), result[r].data()); });
    return result;
}
