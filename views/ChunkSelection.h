#pragma once

#include "views/ChunkHierarchy.h"
#include "views/SamplePicker.h"

#include <vector>

// Where the surface puts a grid's samples (SurfaceCoordinates.h).
struct SurfacePlacement {
    double cellScale = 0.0;
    float minHeight = 0.0f;
};

struct ChunkChoice {
    int chunk = 0;
    int level = 0;
};

// How long (pixels) the cells of a chosen level may be on screen, per pixel of error
// allowed. The lighting and colours are interpolated across a cell from its corners, so
// a level whose cells span many pixels loses the shading of the samples between them
// even where its heights stay close; at 2 (cells of 2 pixels at a bound of 1) that loss is
// confined to detail finer than 2 pixels, and a frame of the whole screen still needs only
// a few hundred thousand triangles.
inline constexpr double kCellPixelsPerErrorPixel = 2.0;

// The camera (matrices and viewport in pixels, as OpenGL holds them) projects with a
// frustum, as the views set it.
//
// The chunks in the view volume, each at its coarsest level whose projected error is
// at most maxPixels and whose cells span at most kCellPixelsPerErrorPixel x maxPixels
// (level 0 where no coarser one does); maxPixels 0 chooses level 0 everywhere. The
// projected error is bounded, not estimated: for a point e in eye space at depth w and a
// displacement d, the projection moves by at most K |d| |e| / (w (w + d_w)), K being the
// focal length in pixels; the chunk's box (skirts included) bounds |e| from above and the
// depths from below, and a box reaching the eye's plane takes level 0.
std::vector<ChunkChoice> chooseChunkLevels(const ChunkHierarchy& hierarchy, const SurfacePlacement& placement,
                                           const PickCamera& camera, float maxPixels);

// The triangles of the chosen chunks' surfaces (their skirts left out).
long long chosenTriangles(const ChunkHierarchy& hierarchy, const std::vector<ChunkChoice>& choices);

// What a frame may draw within a bound of maxPixels: a triangle for every square of
// maxPixels x maxPixels pixels in the view, twice what cells of up to twice the bound
// need across the whole view; at 1 pixel about what llvmpipe draws in 60 ms.
long long screenTriangleBudget(const PickCamera& camera, float maxPixels);

// chooseChunkLevels, drawing at most about triangleBudget triangles: where the bound
// would draw more, it is loosened by steps of sqrt 2 until the frame fits (or up to 1024
// times, chunks reaching the eye's plane keeping level 0). The bound is conservative for a
// chunk that runs from near the eye into the distance, its far cells then being far
// below a pixel, so those are what the looser bound takes first. maxPixels 0 keeps level 0
// everywhere, whatever the budget.
std::vector<ChunkChoice> chooseChunkLevelsWithin(const ChunkHierarchy& hierarchy, const SurfacePlacement& placement,
                                                 const PickCamera& camera, float maxPixels, long long triangleBudget);
