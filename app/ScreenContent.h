#pragma once

#include "grid/VeskGrid.h"

#include <vector>

class GLGrid;

// What a screen shows, as one piece the window can copy, work on off the GUI
// thread and put back: the terrain and the rectangles marked on it.
struct ScreenContent {
    VeskGrid grid;
    bool marked = false;
    std::vector<int> marks;
};

// A copy of the screen's content to work on, without the surface data drawn
// from the heights (normals, curvature, slope), which is made again when needed.
ScreenContent copyOfScreen(GLGrid& view);

// Moves the content out of the screen, leaving it empty.
ScreenContent takeScreen(GLGrid& view);
// Moves the content into the screen; the caller refreshes it.
void putScreen(GLGrid& view, ScreenContent content);

// Puts the content into the screen, refreshes its controls and plots, frames the
// new terrain and hands back what the screen showed before, without the surface data drawn from the
// heights (normals, curvature, slope).
ScreenContent replaceScreen(GLGrid& view, ScreenContent content);

// Drops the normals, curvature and slope and marks them for rebuilding.
void dropSurfaceData(VeskGrid& grid);
