#pragma once

#include "grid/VeskGrid.h"
#include "views/RenderMode.h"

struct Rgba;

// The drawing of a terrain into the current OpenGL context, in immediate mode: the
// lit surface in its colourings, the outline of a block of samples and the u/v
// profile lines. The caller decides the camera, the lighting and whether the
// surface goes into a display list.
//
// Drawing only reads the grid. What it reads of the derived data (normals, and
// curvature and slope for their colourings) is brought up to date beforehand by the
// refresh functions, which the view calls where the drawing used to compute them.

// Normals always; curvature and slope when the mode colours by them and the grid has
// cells. Stale data (a grid grown since it was computed) is recomputed.
void refreshSurfaceData(VeskGrid& grid, RenderMode mode);

// The material of the surface drawing: ambient and diffuse, both faces.
void setSurfaceMaterial(const Rgba& colour);

// Around a lit surface drawn from vertex arrays (positions and normals, and a colour
// per vertex when coloured, which then stands for the material): the default
// material and the arrays' state set, and the state put back afterwards.
void beginLitArrays(bool coloured);
void endLitArrays(bool coloured);

// One triangle strip per pair of adjacent rows, coloured by the mode; the modes
// without a colouring of their own (plain, contours) draw plain.
void drawSurface(const VeskGrid& grid, RenderMode mode);
// Four line strips around blockWidth x blockHeight samples from column x0, row y0,
// cut at the grid's edge and lifted just above the surface.
void drawBlockOutline(const VeskGrid& grid, int x0, int y0, int blockWidth, int blockHeight, float red, float green,
                      float blue);
// One line strip per spacing-th row (u) or column (v), in the caller's current colour.
void drawCurves(const VeskGrid& grid, bool uCurves, int spacing);
