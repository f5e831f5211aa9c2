#pragma once

#include "grid/VeskGrid.h"
#include "views/SurfaceArrays.h"

// What the surface drawing must compute before it can draw a grid: the normals when
// they are stale or not of the grid's size, the curvature and slope when a colouring
// reads them and they are stale or not of the grid's cell count. Only grids with data
// and at least two rows and columns of heights of the grid's size are drawn at all.
bool surfaceHasHeights(const VeskGrid& grid);
bool normalsNeedComputing(const VeskGrid& grid);
bool cellValuesNeedComputing(const VeskGrid& grid, SurfaceColouring colouring);
