#include "diagnostics/Diagnostics.h"
#include "grid/MatrixShape.h"
#include "grid/SurfaceNormals.h"
#include "grid/VeskGrid.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <utility>

// Normals, curvature and slope in sample-index units: rows and columns one unit apart,
// heights as stored. Normals are (along rows, along columns, up).

namespace {

// The two face normals of cell c between rows top and bottom: faces[0] the first
// triangle, (r, c), (r+1, c), (r, c+1); faces[1] the second, (r+1, c+1), (r, c+1),
// (r+1, c). Both point up and have unit length.
inline void computeCellFaces(const float* top, const float* bottom, std::size_t c, Vector3* faces)
{
    const double z00 = top[c];
    const double z01 = top[c + 1];
    const double z10 = bottom[c];
    const double z11 = bottom[c + 1];
    const double x1 = z00 - z10;
    const double y1 = z00 - z01;
    const double x2 = z01 - z11;
    const double y2 = z10 - z11;
    // Unit length, unless the squared length is below 1e-10 (never, with an up
    // component of 1, but for heights that are not numbers). Division as
    // multiplication by the reciprocal, as Vector3 divides; branch-free so that
    // the compiler can pair the square roots.
    const double squared1 = 1.0 + y1 * y1 + x1 * x1;
    const double squared2 = 1.0 + y2 * y2 + x2 * x2;
    const double scale1 = squared1 >= 1e-10 ? 1.0 / std::sqrt(squared1) : 1.0;
    const double scale2 = squared2 >= 1e-10 ? 1.0 / std::sqrt(squared2) : 1.0;
    faces[0] = Vector3{x1 * scale1, y1 * scale1, scale1};
    faces[1] = Vector3{x2 * scale2, y2 * scale2, scale2};
}

// Face normals of the cells of one row: entries 2c and 2c+1 are cell c's two triangles.
void computeFaceRow(const FloatRow& upper, const FloatRow& lower,
                    std::vector<Vector3>& faces)
{
    const std::size_t cells = upper.size() - 1;
    for (std::size_t c = 0; c < cells; ++c)
        computeCellFaces(upper.data(), lower.data(), c, faces.data() + 2 * c);
}

// The sample's normal: the mean of the face normals of the triangles that hold it.
// above holds the faces of the cells above the sample's row (row r-1), below those of
// row r; either may be absent at the first or last row.
Vector3 vertexNormal(const Vector3* above, const Vector3* below, std::size_t c, std::size_t lastColumn)
{
    const bool first = c == 0;
    const bool last = c == lastColumn;
    Vector3 sum;
    if (above != nullptr && below != nullptr) {
        if (first) {
            sum = below[0];
            sum += above[0];
            sum += above[1];
            sum /= 3.0;
        } else if (last) {
            sum = above[2 * c - 1];
            sum += below[2 * c - 2];
            sum += below[2 * c - 1];
            sum /= 3.0;
        } else {
            sum = below[2 * c];
            sum += below[2 * c - 2];
            sum += below[2 * c - 1];
            sum += above[2 * c - 1];
            sum += above[2 * c];
            sum += above[2 * c + 1];
            sum /= 6.0;
        }
    } else if (below != nullptr) { // first row
        if (first) {
            sum = below[0];
        } else if (last) {
            sum = below[2 * c - 2];
            sum += below[2 * c - 1];
            sum /= 2.0;
        } else {
            sum = below[2 * c];
            sum += below[2 * c - 2];
            sum += below[2 * c - 1];
            sum /= 3.0;
        }
    } else { // last row
        if (first) {
            sum = above[0];
            sum += above[1];
            sum /= 2.0;
        } else if (last) {
            sum = above[2 * c - 1];
        } else {
            sum = above[2 * c - 1];
            sum += above[2 * c];
            sum += above[2 * c + 1];
            sum /= 3.0;
        }
    }
    return sum;
}

} // namespace

Vector3 sampleNormal(const FloatMatrix& heights, int row, int column)
{
    const std::size_t rows = heights.rows();
    const std::size_t columns = heights.columns();
    if (rows < 2 || columns < 2)
        return Vector3{0.0, 0.0, 1.0};
    // The faces of the cells left and right of the sample, in the rows above and below
    // it, indexed as vertexNormal expects of a sample one cell in from the first column.
    const std::size_t c = static_cast<std::size_t>(column);
    const std::size_t lastColumn = columns - 1;
    const std::size_t firstCell = c == 0 ? 0 : c - 1;
    const std::size_t endCell = std::min(c + 1, lastColumn);
    const std::size_t localColumn = c - firstCell;
    const std::size_t localLast = c == lastColumn ? localColumn : localColumn + 1;
    Vector3 above[4];
    Vector3 below[4];
    const auto facesOf = [&](std::size_t upperRow, Vector3* faces) {
        for (std::size_t cell = firstCell; cell < endCell; ++cell)
            computeCellFaces(heights[upperRow].data(), heights[upperRow + 1].data(), cell,
                             faces + 2 * (cell - firstCell));
    };
    const std::size_t r = static_cast<std::size_t>(row);
    if (r > 0)
        facesOf(r - 1, above);
    if (r + 1 < rows)
        facesOf(r, below);
    return vertexNormal(r > 0 ? above : nullptr, r + 1 < rows ? below : nullptr, localColumn, localLast);
}

void VeskGrid::ensureNormals()
{
    if (!matrixHasShape(normals, static_cast<int>(heights.rows()), static_cast<int>(heights.columns())))
        normalsValid = false;
    calculateNormals();
}

void VeskGrid::ensureSurfaceAnalysis()
{
    const int cellRows = height - 1;
    const int cellColumns = width - 1;
    if (!surfaceValid || !matrixHasShape(curvature, cellRows, cellColumns) || !matrixHasShape(slope, cellRows, cellColumns))
        calculateCurvature();
}

void VeskGrid::calculateNormals()
{
    if (normalsValid)
        return;

    // The normals take the shape of the heights, whatever the size fields say, so
    // that nothing here reads outside them.
    const std::size_t rows = heights.rows();
    const std::size_t columns = heights.columns();
    normals.resize(rows);
    for (auto& row : normals)
        row.resize(columns);

    if (rows < 2 || columns < 2) {
        // No cells: there is no surface to tilt, so every sample faces up.
        for (std::size_t r = 0; r < rows; ++r) {
            normals[r].assign(columns, Vector3{0.0, 0.0, 1.0});
        }
        normalsValid = true;
        return;
    }

    // One pass down the rows with the faces of two cell rows at hand.
    std::vector<Vector3> above(2 * (columns - 1));
    std::vector<Vector3> below(2 * (columns - 1));
    computeFaceRow(heights[0], heights[1], below);
    const std::size_t lastColumn = columns - 1;
    for (std::size_t r = 0; r < rows; ++r) {
        if (r > 0) {
            std::swap(above, below);
            if (r + 1 < rows)
                computeFaceRow(heights[r], heights[r + 1], below);
        }
        const Vector3* facesAbove = r > 0 ? above.data() : nullptr;
        const Vector3* facesBelow = r + 1 < rows ? below.data() : nullptr;
        std::vector<Vector3>& normalRow = normals[r];
        for (std::size_t c = 0; c < columns; ++c)
            normalRow[c] = vertexNormal(facesAbove, facesBelow, c, lastColumn);
    }
    normalsValid = true;
}

void VeskGrid::calculateCurvature()
{
    diagnostics::reportf("starting to calculate curvature\n");

    const std::size_t rows = heights.rows();
    const std::size_t columns = heights.columns();
    const bool hasCells = rows >= 2 && columns >= 2;
    const std::size_t cellRows = hasCells ? rows - 1 : 0;
    const std::size_t cellColumns = hasCells ? columns - 1 : 0;
    curvature.assign(cellRows, cellColumns);
    slope.assign(cellRows, cellColumns);

    const float s = cellSize * (1.0f / 3.0f);
    const float d = 2.0f * s;
    float largest = 0.0f;
    for (std::size_t r = 0; r < cellRows; ++r) {
        const FloatRow& upper = heights[r];
        const FloatRow& lower = heights[r + 1];
        for (std::size_t c = 0; c < cellColumns; ++c) {
            const float z00 = upper[c];
            const float z01 = upper[c + 1];
            const float z10 = lower[c];
            const float z11 = lower[c + 1];

            const float right = (z11 + z01) / 2.0f;
            const float bottom = (z01 + z00) / 2.0f;
            const float left = (z10 + z00) / 2.0f;
            const float top = (z11 + z10) / 2.0f;
            const float middle = (z00 + z01 + z10 + z11) / 4.0f;

            const float p = (right - left) / d;
            const float q = (bottom - top) / d;
            const float g = p * p + q * q;

            const float a = (s * (left + right) - d * middle) / (d * s * s);
            const float b = (s * (top + bottom) - d * middle) / (d * s * s);
            const float e = (z10 + z01 - z00 - z11) / (d * d);

            const float numerator = a * (1.0f + q * q) - 2.0f * p * q * e + b * (1.0f + p * p);
            const float k = static_cast<float>(-numerator / std::sqrt(std::pow(2.0 * (g + 1.0f), 3.0)));
            curvature[r][c] = k;
            slope[r][c] = static_cast<float>(std::atan(std::sqrt(static_cast<double>(g))) * 0.6366197546520227);
            if (std::fabs(k) > largest)
                largest = std::fabs(k);
        }
    }

    diagnostics::reportf("max is %1.5f\n", largest);
    // A surface without curvature stays 0 rather than 0 / 0.
    if (largest > 0.0f) {
        for (auto& row : curvature) {
            for (float& value : row)
                value /= largest;
        }
    }
    diagnostics::reportf("finished curvature calculation\n");
    surfaceValid = true;
}
