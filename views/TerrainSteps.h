#pragma once

#include "grid/VeskGrid.h"

#include <vector>

// The parts of a view's multiresolution and marking commands that need no OpenGL:
// the scheme's step on a grid and the marked rectangles following it. The view runs
// them on its own grid; the window runs them on a copy in a worker thread and puts
// the result into the view when it is done.
// Marks are kept flat: x, y, width, height of each rectangle in turn.

// Refines with the scheme numbered as in multires/Scheme.h (any other number runs no
// scheme); the marks double with an accepted refinement. False when the scheme refused.
bool subdivideTerrain(VeskGrid& grid, std::vector<int>& marks, int scheme);

// Coarsens with the scheme; the marks halve with an accepted coarsening.
bool unsubdivideTerrain(VeskGrid& grid, std::vector<int>& marks, int scheme);

// Adds the rectangle when it lies inside the grid, with the message "Marking ..."
// or "Error in marking . . . " and what is wrong. True when it was added.
bool addTerrainMark(const VeskGrid& grid, std::vector<int>& marks, int x, int y, int width, int height);
