#pragma once

#include "grid/VeskGrid.h"

#include <vector>

// What a screen shows, as one piece the window's document (app/WindowDocument.h) can
// copy, work on off the GUI thread and put back: the terrain and the rectangles marked on it.
struct ScreenContent {
    VeskGrid grid;
    bool marked = false;
    std::vector<int> marks;
};

// Drops the normals, curvature and slope and marks them for rebuilding.
void dropSurfaceData(VeskGrid& grid);
