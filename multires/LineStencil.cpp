#include "multires/LineStencil.h"

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
    for (std::size_t k = 0; k < stencils.size(); ++k)
        combineRows(stencils[k], rows, result[k].data(), columns);
    return result;
}

FloatMatrix applyAlongRows(const StencilList& stencils, const FloatMatrix& rows, int rowCount)
{
    FloatMatrix result = FloatMatrix::uninitialized(rowCount > 0 ? rowCount : 0, stencils.size());
    for (int r = 0; r < rowCount; ++r)
        applyToLine(stencils, rows[r].data(), result[r].data());
    return result;
}
