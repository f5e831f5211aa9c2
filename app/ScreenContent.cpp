#include "app/ScreenContent.h"

#include "views/GLGrid.h"

#include <utility>

void dropSurfaceData(VeskGrid& grid)
{
    // Swapping with empty containers gives the memory back; clear() would keep it.
    std::vector<std::vector<Vector3>>().swap(grid.normals);
    FloatMatrix().swap(grid.curvature);
    FloatMatrix().swap(grid.slope);
    grid.normalsValid = false;
    grid.surfaceValid = false;
}

ScreenContent copyOfScreen(GLGrid& view)
{
    // A surface fill in the view's worker may be making the normals being copied.
    view.surface.settle();
    // The operations keep the surface data in step with the heights, so it is copied too.
    return ScreenContent{view.grid, view.marked, view.marks};
}

ScreenContent takeScreen(GLGrid& view)
{
    view.surface.settle();
    ScreenContent content{std::move(view.grid), view.marked, std::move(view.marks)};
    view.grid = VeskGrid();
    view.marks.clear();
    view.marked = false;
    return content;
}

void putScreen(GLGrid& view, ScreenContent content)
{
    view.surface.settle();
    view.grid = std::move(content.grid);
    view.marked = content.marked;
    view.marks = std::move(content.marks);
}

ScreenContent replaceScreen(GLGrid& view, ScreenContent content)
{
    ScreenContent before = takeScreen(view);
    dropSurfaceData(before.grid);
    putScreen(view, std::move(content));
    view.updateGUI();
    view.fitTerrain();
    return before;
}
