#include "views/TerrainSteps.h"

#include "diagnostics/Diagnostics.h"
#include "multires/Scheme.h"

#include <climits>
#include <cstddef>

namespace {

constexpr std::size_t valuesPerMark = 4;

int clampToInt(long long value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// A right or bottom edge (start + extent) lies inside a grid side when
// 0 <= edge < side: the comparison of the sum as unsigned against the side.
bool edgeInside(long long edge, int side)
{
    return edge >= 0 && edge < side;
}

void doubleMarks(const VeskGrid& grid, std::vector<int>& marks)
{
    for (std::size_t k = 0; k + valuesPerMark <= marks.size(); k += valuesPerMark) {
        const long long x = 2LL * marks[k];
        const long long y = 2LL * marks[k + 1];
        long long markWidth = 2LL * marks[k + 2];
        long long markHeight = 2LL * marks[k + 3];
        // Shrink the doubled rectangle until its far edges are inside the refined grid.
        if (x + markWidth >= 0 && x + markWidth > grid.width)
            markWidth = grid.width - x;
        if (y + markHeight >= 0 && y + markHeight > grid.height)
            markHeight = grid.height - y;
        marks[k] = clampToInt(x);
        marks[k + 1] = clampToInt(y);
        marks[k + 2] = clampToInt(markWidth);
        marks[k + 3] = clampToInt(markHeight);
    }
}

void halveMarks(std::vector<int>& marks)
{
    // Integer division truncates toward zero, as the coarsening halves sizes.
    for (int& value : marks)
        value /= 2;
}

} // namespace

bool subdivideTerrain(VeskGrid& grid, std::vector<int>& marks, int scheme)
{
    diagnostics::reportf("GLGRID::subdivide\n");
    bool refined = true;
    // Any other number runs no scheme, and the marks still scale as after a refinement.
    if (const SchemeTraits* traits = schemeNumbered(scheme)) {
        diagnostics::report(traits->refinementNotice);
        refined = traits->refine(grid);
    }
    // A refused refinement left the grid as it was, so its marks still fit it.
    if (refined)
        doubleMarks(grid, marks);
    return refined;
}

bool unsubdivideTerrain(VeskGrid& grid, std::vector<int>& marks, int scheme)
{
    diagnostics::reportf("GLGRID::unsubdivide\n");
    bool coarsened = true;
    if (const SchemeTraits* traits = schemeNumbered(scheme))
        coarsened = traits->coarsen(grid);
    if (coarsened)
        halveMarks(marks);
    return coarsened;
}

bool addTerrainMark(const VeskGrid& grid, std::vector<int>& marks, int x, int y, int width, int height)
{
    const long long right = static_cast<long long>(x) + width;
    const long long bottom = static_cast<long long>(y) + height;
    const bool fitsAcross = edgeInside(right, grid.width);
    const bool fitsDown = edgeInside(bottom, grid.height);
    // A rectangle starting left of or above the grid would be drawn from samples that do not exist.
    const bool startsInside = x >= 0 && y >= 0;
    if (fitsAcross && fitsDown && width > 0 && height > 0 && startsInside) {
        diagnostics::reportf("Marking %i %i %i %i\n", x, y, width, height);
        marks.push_back(x);
        marks.push_back(y);
        marks.push_back(width);
        marks.push_back(height);
        return true;
    }
    diagnostics::reportf("Error in marking . . . ");
    if (!fitsAcross)
        diagnostics::reportf("%i w >= %i\n", static_cast<int>(right), grid.width);
    if (!fitsDown)
        diagnostics::reportf("%i h >= %i\n", static_cast<int>(bottom), grid.height);
    if (width < 1)
        diagnostics::reportf("width = 0\n");
    if (height < 1)
        diagnostics::reportf("height = 0\n");
    if (x < 0)
        diagnostics::reportf("%i x < 0\n", x);
    if (y < 0)
        diagnostics::reportf("%i y < 0\n", y);
    return false;
}
