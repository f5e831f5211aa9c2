// The terrain's OpenGL drawing: surface strips, block outlines and profile lines,
// emitted in immediate mode into whatever context is current.

#include "views/GridDrawing.h"

#include "diagnostics/Diagnostics.h"
#include "grid/MatrixShape.h"
#include "grid/SurfaceNormals.h"
#include "views/SurfaceArrays.h"
#include "views/SurfaceColours.h"
#include "views/SurfaceCoordinates.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

namespace {

using namespace surface_coordinates;

// Block outlines float just above the surface so that they are not hidden by it.
constexpr double kOutlineLift = 0.01;

bool heightsMatchSize(const VeskGrid& grid)
{
    return matrixHasShape(grid.heights, grid.height, grid.width);
}

bool normalsMatchSize(const VeskGrid& grid)
{
    return matrixHasShape(grid.normals, grid.height, grid.width);
}

// A surface needs two rows and two columns; anything smaller has no cell to draw.
bool hasSurface(const VeskGrid& grid)
{
    return grid.hasData && grid.width >= 2 && grid.height >= 2 && heightsMatchSize(grid);
}

class SurfaceEmitter {
public:
    // Outlines on a terrain drawn in chunks, which holds no normals, take them from the heights.
    explicit SurfaceEmitter(const VeskGrid& grid)
        : grid_(grid), storedNormals_(grid.normalsValid && normalsMatchSize(grid))
    {
    }

    void normal(int row, int column) const
    {
        const Vector3 n = storedNormals_ ? grid_.normals[row][column] : sampleNormal(grid_.heights, row, column);
        glNormal3f(static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z));
    }

    void vertex(int row, int column, double lift = 0.0) const
    {
        const double scale = cellScale(grid_.cellSize);
        glVertex3f(static_cast<float>(column * scale), static_cast<float>(row * scale),
                   static_cast<float>(heightAbove(grid_.heights[row][column], grid_.minHeight) + lift));
    }

private:
    const VeskGrid& grid_;
    const bool storedNormals_;
};

} // namespace

void refreshSurfaceData(VeskGrid& grid, RenderMode mode)
{
    if (!hasSurface(grid))
        return;
    grid.ensureNormals();
    if (!normalsMatchSize(grid))
        return;
    if (readsSurfaceData(mode))
        grid.ensureSurfaceAnalysis();
}

void setSurfaceMaterial(const Rgba& colour)
{
    const GLfloat rgba[4] = {colour.red, colour.green, colour.blue, colour.alpha};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, rgba);
}

void beginLitArrays(bool coloured)
{
    setSurfaceMaterial(kDefaultSurfaceColour);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (coloured) {
        // The per-vertex colour stands for the material, as each glMaterial call does in immediate mode.
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        glEnableClientState(GL_COLOR_ARRAY);
    }
}

void endLitArrays(bool coloured)
{
    if (coloured) {
        glDisableClientState(GL_COLOR_ARRAY);
        glDisable(GL_COLOR_MATERIAL);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void drawSurface(const VeskGrid& grid, RenderMode mode)
{
    if (!surfaceIsDrawable(grid))
        return;

    setSurfaceMaterial(kDefaultSurfaceColour);

    const SurfaceEmitter surface(grid);
    for (int b = 0; b + 1 < grid.height; ++b) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int i = 0; i < grid.width; ++i) {
            if (mode == RenderMode::HeightColours)
                setSurfaceMaterial(heightColour(grid, grid.heights[b][i]));
            else if (readsSurfaceData(mode))
                setSurfaceMaterial(cellColour(grid, mode, b, i));
            surface.normal(b, i);
            surface.vertex(b, i);
            if (mode == RenderMode::HeightColours)
                setSurfaceMaterial(heightColour(grid, grid.heights[b + 1][i]));
            surface.normal(b + 1, i);
            surface.vertex(b + 1, i);
        }
        glEnd();
    }
}

void drawBlockOutline(const VeskGrid& grid, int x0, int y0, int blockWidth, int blockHeight, float red, float green,
                      float blue)
{
    if (!grid.hasData)
        return;
    if (x0 < 0 || x0 >= grid.width || y0 < 0 || y0 >= grid.height || blockWidth < 1 || blockHeight < 1) {
        diagnostics::reportf("Bad parameters to render(%i,%i,%i,%i)\n", x0, y0, blockWidth, blockHeight);
        return;
    }
    if (!heightsMatchSize(grid))
        return;

    setSurfaceMaterial({red, green, blue, 1.0f});

    // Exclusive ends and last drawn column/row, cut at the grid's edge (in 64 bits: a
    // huge block size must not wrap around).
    const int x1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{x0} + blockWidth, grid.width));
    const int y1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{y0} + blockHeight, grid.height));
    const int rightColumn = x1 - 1;
    const int topRow = y1 - 1;

    const SurfaceEmitter surface(grid);
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

void drawCurves(const VeskGrid& grid, bool uCurves, int spacing)
{
    if (!grid.hasData)
        return;
    // A spacing below 1 would never advance.
    const std::int64_t step = std::max(spacing, 1);

    const auto vertex = [&](int row, int column) {
        glVertex3f(static_cast<float>(column * kCurveSpacing), static_cast<float>(row * kCurveSpacing),
                   static_cast<float>(heightAbove(grid.heights[row][column], grid.minHeight)));
    };

    if (uCurves) {
        diagnostics::reportf("Rendering u-curves\n");
        if (!heightsMatchSize(grid))
            return;
        for (std::int64_t row = 0; row < grid.height; row += step) {
            glBegin(GL_LINE_STRIP);
            for (int column = 0; column < grid.width; ++column)
                vertex(static_cast<int>(row), column);
            glEnd();
        }
    } else {
        diagnostics::reportf("rendering v-curves\n");
        if (!heightsMatchSize(grid))
            return;
        for (std::int64_t column = 0; column < grid.width; column += step) {
            glBegin(GL_LINE_STRIP);
            for (int row = 0; row < grid.height; ++row)
                vertex(row, static_cast<int>(column));
            glEnd();
        }
    }
}
