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
    // A surface fill in the view's worker may be making the normals being moved aside.
    view.surface.settle();
    // The surface data is made again from the heights on first use; leaving it out
    // spares the GUI thread a copy of 32 bytes a sample before every operation.
    VeskGrid& grid = view.grid;
    std::vector<std::vector<Vector3>> normals = std::move(grid.normals);
    FloatMatrix curvature = std::move(grid.curvature);
    FloatMatrix slope = std::move(grid.slope);
    const bool normalsValid = grid.normalsValid;
    const bool surfaceValid = grid.surfaceValid;
    grid.normals.clear();
    grid.curvature.clear();
    grid.slope.clear();
    ScreenContent copy{grid, view.marked, view.marks};
    grid.normals = std::move(normals);
    grid.curvature = std::move(curvature);
    grid.slope = std::move(slope);
    copy.grid.normalsValid = false;
    copy.grid.surfaceValid = false;
    grid.normalsValid = normalsValid;
    grid.surfaceValid = surfaceValid;
    return copy;
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
