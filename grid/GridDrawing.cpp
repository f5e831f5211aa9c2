// The grid's own OpenGL drawing: the lit surface in its four colourings, the
// outline of a block of samples, and the u/v profile lines. Everything is
// immediate mode into whatever context is current; the view decides the camera,
// the lighting and whether the surface goes into a display list.

#include "diagnostics/Diagnostics.h"
#include "grid/MatrixShape.h"
#include "grid/VeskGrid.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

// Drawing scale of the surface and the block outline (world units per metre and per height unit).
constexpr double kSurfaceScale = 0.0005;
constexpr double kHeightScale = 0.000625;
// Profile lines are laid out per sample, ignoring the cell size.
constexpr double kCurveSpacing = 0.02;
// Block outlines float just above the surface so that they are not hidden by it.
constexpr double kOutlineLift = 0.01;

struct Rgba {
    float red;
    float green;
    float blue;
    float alpha;
};

constexpr Rgba kDefaultSurface{0.9f, 0.9f, 0.9f, 1.0f};
constexpr Rgba kDarkRed{0.6f, 0.0f, 0.0f, 1.0f};
constexpr Rgba kLightRed{1.0f, 0.2f, 0.2f, 1.0f};
constexpr Rgba kLightBlue{0.2f, 0.2f, 0.9f, 1.0f};
constexpr Rgba kDarkBlue{0.0f, 0.0f, 0.6f, 1.0f};
constexpr Rgba kYellow{1.0f, 1.0f, 0.0f, 1.0f};
constexpr Rgba kGreen{0.05f, 0.95f, 0.05f, 1.0f};
constexpr Rgba kGrey{0.5f, 0.5f, 0.5f, 1.0f};

enum SurfaceMode { kPlain = 0, kHeightColours = 1, kCurvatureColours = 2, kSlopeColours = 3 };

void setMaterial(const Rgba& colour)
{
    const GLfloat rgba[4] = {colour.red, colour.green, colour.blue, colour.alpha};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, rgba);
}

// Curvature is normalised to a largest magnitude of 1. Each band is tested on its
// own, so a value that is not a number (a perfectly flat terrain) falls through
// every band to the plain surface colour instead of landing in the last one.
Rgba curvatureColour(float k)
{
    if (k > 0.1f)
        return kDarkRed;
    if (k > 0.00001f && k <= 0.1f)
        return kLightRed;
    if (k >= -0.1f && k < -0.00001f)
        return kLightBlue;
    if (k < -0.1f)
        return kDarkBlue;
    return kDefaultSurface;
}

// Slope lies in [0, 1); anything else, not-a-number included, is grey.
Rgba slopeColour(float s)
{
    if (s > 0.5f)
        return kYellow;
    if (s > 0.3f && s <= 0.5f)
        return kLightRed;
    if (s > 0.075f && s <= 0.3f)
        return kGreen;
    return kGrey;
}

bool heightsMatchSize(const VeskGrid& grid)
{
    if (grid.heights.size() != static_cast<std::size_t>(grid.height))
        return false;
    return std::all_of(grid.heights.begin(), grid.heights.end(), [&](const std::vector<float>& row) {
        return row.size() == static_cast<std::size_t>(grid.width);
    });
}

// Per-cell data of the cell whose lower-left corner is (row, column). The last
// column of samples has no cell of its own and takes the colour of the cell to its left.
bool cellValue(const FloatMatrix& cells, int row, int column, float& value)
{
    if (row < 0 || static_cast<std::size_t>(row) >= cells.size())
        return false;
    const std::vector<float>& cellRow = cells[row];
    if (cellRow.empty())
        return false;
    const std::size_t clamped = std::min(static_cast<std::size_t>(std::max(column, 0)), cellRow.size() - 1);
    value = cellRow[clamped];
    return true;
}

class SurfaceEmitter {
public:
    explicit SurfaceEmitter(const VeskGrid& grid) : grid_(grid) {}

    void normal(int row, int column) const
    {
        const Vector3& n = grid_.normals[row][column];
        glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
    }

    void vertex(int row, int column, double lift = 0.0) const
    {
        const double cellScale = static_cast<double>(grid_.cellSize) * kSurfaceScale;
        const double h = static_cast<double>(grid_.heights[row][column]) - static_cast<double>(grid_.minHeight);
        glVertex3f(static_cast<float>(column * cellScale), static_cast<float>(row * cellScale),
                   static_cast<float>(h * kHeightScale + lift));
    }

private:
    const VeskGrid& grid_;
};

} // namespace

void VeskGrid::setHeightMaterial(float sampleHeight)
{
    const double aboveMinimum = static_cast<double>(sampleHeight) - static_cast<double>(minHeight);
    const float t = static_cast<float>(aboveMinimum / (static_cast<double>(maxHeight) - static_cast<double>(minHeight)));
    Rgba colour{0.95f, 0.95f, 0.95f, 1.0f};
    // The lowest band is absolute (height units), so the floor of any terrain reads as water.
    if (aboveMinimum < 0.125)
        colour = {0.2f, 0.2f, 0.8f, 1.0f};
    else if (t < 0.25f)
        colour = {0.6f, 0.4f, 0.0f, 1.0f};
    else if (t < 0.375f)
        colour = {0.1f, 0.5f, 0.1f, 1.0f};
    else if (t < 0.5f)
        colour = {0.1f, 0.8f, 0.1f, 1.0f};
    else if (t < 0.625f)
        colour = {0.9f, 0.25f, 0.25f, 1.0f};
    else if (t < 0.75f)
        colour = {1.0f, 0.6f, 0.1f, 1.0f};
    else if (t < 0.875f)
        colour = {1.0f, 1.0f, 0.1f, 1.0f};
    setMaterial(colour);
}

void VeskGrid::render(int mode)
{
    if (!hasData)
        return;
    // A surface needs two rows and two columns; anything smaller has no cell to draw.
    if (width < 2 || height < 2 || !heightsMatchSize(*this))
        return;

    ensureNormals();
    if (!matrixHasShape(normals, height, width))
        return;
    // Stale curvature and slope (a grid grown since they were computed) are recomputed
    // rather than read past their ends.
    if (mode > 1)
        ensureSurfaceAnalysis();

    setMaterial(kDefaultSurface);

    const SurfaceEmitter surface(*this);
    for (int b = 0; b + 1 < height; ++b) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int i = 0; i < width; ++i) {
            float cell = 0.0f;
            if (mode == kHeightColours)
                setHeightMaterial(heights[b][i]);
            else if (mode == kCurvatureColours)
                setMaterial(cellValue(curvature, b, i, cell) ? curvatureColour(cell) : kDefaultSurface);
            else if (mode == kSlopeColours)
                setMaterial(cellValue(slope, b, i, cell) ? slopeColour(cell) : kDefaultSurface);
            surface.normal(b, i);
            surface.vertex(b, i);
            if (mode == kHeightColours)
                setHeightMaterial(heights[b + 1][i]);
            surface.normal(b + 1, i);
            surface.vertex(b + 1, i);
        }
        glEnd();
    }
}

void VeskGrid::render(int x0, int y0, int blockWidth, int blockHeight, float red, float green, float blue)
{
    if (!hasData)
        return;
    if (x0 < 0 || x0 >= width || y0 < 0 || y0 >= height || blockWidth < 1 || blockHeight < 1) {
        diagnostics::reportf("Bad parameters to render(%i,%i,%i,%i)\n", x0, y0, blockWidth, blockHeight);
        return;
    }
    if (!heightsMatchSize(*this))
        return;
    ensureNormals();
    if (!matrixHasShape(normals, height, width))
        return;

    setMaterial({red, green, blue, 1.0f});

    // Exclusive ends and last drawn column/row, cut at the grid's edge (in 64 bits: a
    // huge block size must not wrap around).
    const int x1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{x0} + blockWidth, width));
    const int y1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{y0} + blockHeight, height));
    const int rightColumn = x1 - 1;
    const int topRow = y1 - 1;

    const SurfaceEmitter surface(*this);
    const auto sample = [&](int row, int column) {
        surface.normal(row, column);
        surface.vertex(row, column, kOutlineLift);
    };

    glBegin(GL_LINE_STRIP);
    for (int column = x0; column < x1; ++column)
        sample(y0, column);
    glEnd();
    glBegin(GL_LINE_STRIP);
    for (int column = x0; column < x1; ++column)
        sample(topRow, column);
    glEnd();
    glBegin(GL_LINE_STRIP);
    for (int row = y0; row < y1; ++row)
        sample(row, x0);
    glEnd();
    glBegin(GL_LINE_STRIP);
    for (int row = y0; row < y1; ++row)
        sample(row, rightColumn);
    glEnd();
}

void VeskGrid::renderCurves(bool uCurves, int spacing)
{
    if (!hasData)
        return;
    // A spacing below 1 would never advance.
    const std::int64_t step = std::max(spacing, 1);

    const auto vertex = [&](int row, int column) {
        const double h = static_cast<double>(heights[row][column]) - static_cast<double>(minHeight);
        glVertex3f(static_cast<float>(column * kCurveSpacing), static_cast<float>(row * kCurveSpacing),
                   static_cast<float>(h * kHeightScale));
    };

    if (uCurves) {
        diagnostics::reportf("Rendering u-curves\n");
        if (!heightsMatchSize(*this))
            return;
        for (std::int64_t row = 0; row < height; row += step) {
            glBegin(GL_LINE_STRIP);
            for (int column = 0; column < width; ++column)
                vertex(static_cast<int>(row), column);
            glEnd();
        }
    } else {
        diagnostics::reportf("rendering v-curves\n");
        if (!heightsMatchSize(*this))
            return;
        for (std::int64_t column = 0; column < width; column += step) {
            glBegin(GL_LINE_STRIP);
            for (int row = 0; row < height; ++row)
                vertex(row, static_cast<int>(column));
            glEnd();
        }
    }
}
