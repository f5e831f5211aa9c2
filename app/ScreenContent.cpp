#include "app/ScreenContent.h"

void dropSurfaceData(VeskGrid& grid)
{
    // Swapping with empty containers gives the memory back; clear() would keep it.
    std::vector<std::vector<Vector3>>().swap(grid.normals);
    FloatMatrix().swap(grid.curvature);
    FloatMatrix().swap(grid.slope);
    grid.normalsValid = false;
    grid.surfaceValid = false;
}
