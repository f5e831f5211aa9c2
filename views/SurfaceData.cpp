#include "views/SurfaceData.h"

#include "grid/MatrixShape.h"

bool surfaceHasHeights(const VeskGrid& grid)
{
    return grid.hasData && grid.width >= 2 && grid.height >= 2 && matrixHasShape(grid.heights, grid.height, grid.width);
}

bool normalsNeedComputing(const VeskGrid& grid)
{
    return surfaceHasHeights(grid) && (!grid.normalsValid || !matrixHasShape(grid.normals, grid.height, grid.width));
}

bool cellValuesNeedComputing(const VeskGrid& grid, SurfaceColouring colouring)
{
    if (!surfaceHasHeights(grid) || (colouring != SurfaceColouring::Curvature && colouring != SurfaceColouring::Slope))
        return false;
    // Stale curvature and slope (a grid grown since they were computed) are recomputed
    // rather than read past their ends.
    return !grid.surfaceValid || !matrixHasShape(grid.curvature, grid.height - 1, grid.width - 1)
        || !matrixHasShape(grid.slope, grid.height - 1, grid.width - 1);
}
