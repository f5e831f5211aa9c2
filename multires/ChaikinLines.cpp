#include "multires/ChaikinLines.h"
#include "diagnostics/Diagnostics.h"

#include <cstdio>

StencilList chaikinRefineStencils(int n)
{
    StencilList f;
    if (n < kChaikinMinPlainRefineLength)
        return f;
    f.reserve(2 * n - 2);
    f.push_back(makeStencil({{1.0, 0}}));
    f.push_back(makeStencil({{0.5, 0}, {0.5, 1}}));
    for (int k = 1; k <= n - 3; ++k) {
        f.push_back(makeStencil({{0.75, k}, {0.25, k + 1}}));
        f.push_back(makeStencil({{0.25, k}, {0.75, k + 1}}));
    }
    f.push_back(makeStencil({{0.5, n - 2}, {0.5, n - 1}}));
    f.push_back(makeStencil({{1.0, n - 1}}));
    return f;
}

StencilList chaikinCoarseStencils(int N)
{
    StencilList c;
    if (N < kChaikinMinAnalysisLength || N % 2 != 0)
        return c;
    c.reserve(N / 2 + 1);
    c.push_back(makeStencil({{1.0, 0}}));
    c.push_back(makeStencil({{-0.5, 0}, {1.0, 1}, {0.75, 2}, {-0.25, 3}}));
    for (int k = 2; k <= N / 2 - 2; ++k)
        c.push_back(makeStencil({{-0.25, 2 * k - 2}, {0.75, 2 * k - 1}, {0.75, 2 * k}, {-0.25, 2 * k + 1}}));
    c.push_back(makeStencil({{-0.25, N - 4}, {0.75, N - 3}, {1.0, N - 2}, {-0.5, N - 1}}));
    c.push_back(makeStencil({{1.0, N - 1}}));
    return c;
}

StencilList chaikinDetailStencils(int N)
{
    StencilList d;
    if (N < kChaikinMinAnalysisLength)
        return d;
    const int count = N / 2 - 1;
    d.reserve(count);
    d.push_back(makeStencil({{-0.5, 0}, {1.0, 1}, {-0.75, 2}, {0.25, 3}}));
    // For lines of 6 or 7 samples the end formula below takes the place of d[1].
    if (count >= 3)
        d.push_back(makeStencil({{-0.25, 2}, {0.75, 3}, {-0.75, 4}, {0.25, 5}}));
    for (int j = 2; j <= N / 2 - 3; ++j)
        d.push_back(makeStencil({{0.25, 2 * j}, {-0.75, 2 * j + 1}, {0.75, 2 * j + 2}, {-0.25, 2 * j + 3}}));
    d.push_back(makeStencil({{0.25, N - 4}, {-0.75, N - 3}, {1.0, N - 2}, {-0.5, N - 1}}));
    return d;
}

StencilList chaikinDisplacementStencils(int n)
{
    StencilList e;
    if (n < kChaikinMinDetailRefineLength)
        return e;
    e.reserve(2 * n - 2);
    e.push_back(LineStencil{}); // the end sample is interpolated: no displacement
    e.push_back(makeStencil({{0.5, 0}}));
    e.push_back(makeStencil({{-0.75, 0}, {0.25, 1}}));
    e.push_back(makeStencil({{-0.25, 0}, {0.75, 1}}));
    e.push_back(makeStencil({{-0.75, 1}, {-0.25, 2}}));
    e.push_back(makeStencil({{-0.25, 1}, {-0.75, 2}}));
    for (int j = 2; j <= n - 4; ++j) {
        e.push_back(makeStencil({{0.75, j}, {-0.25, j + 1}}));
        e.push_back(makeStencil({{0.25, j}, {-0.75, j + 1}}));
    }
    e.push_back(makeStencil({{0.5, n - 3}}));
    e.push_back(LineStencil{});
    return e;
}

FloatMatrix chaikinRefineMatrix(const FloatMatrix& heights, int width, int height)
{
    const FloatMatrix refinedColumns = applyDownColumns(chaikinRefineStencils(height), heights, width);
    return applyAlongRows(chaikinRefineStencils(width), refinedColumns, 2 * height - 2);
}

FloatMatrix chaikinCoarseColumns(const FloatMatrix& matrix, int lineLength, int columns)
{
    return applyDownColumns(chaikinCoarseStencils(lineLength), matrix, columns);
}

FloatMatrix chaikinCoarseRows(const FloatMatrix& matrix, int lineLength, int rowCount)
{
    return applyAlongRows(chaikinCoarseStencils(lineLength), matrix, rowCount);
}

FloatMatrix chaikinDetailColumns(const FloatMatrix& matrix, int lineLength, int columns)
{
    FloatMatrix details = applyDownColumns(chaikinDetailStencils(lineLength), matrix, columns);
    diagnostics::reportf("d is %i X %i\n", details.empty() ? 0 : static_cast<int>(details.front().size()),
                static_cast<int>(details.size()));
    return details;
}

FloatMatrix chaikinDetailRows(const FloatMatrix& matrix, int lineLength, int lineCount)
{
    FloatMatrix details = applyAlongRows(chaikinDetailStencils(lineLength), matrix, lineCount);
    diagnostics::reportf("d is %i X %i\n", details.empty() ? 0 : static_cast<int>(details.front().size()),
                static_cast<int>(details.size()));
    return details;
}
