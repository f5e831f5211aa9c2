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

// The most pixels by which a vertical error of errorHeight (height units) anywhere in
// the chunk can move a point on screen. For a point e in eye space at depth w and a
// displacement d, the projection moves by K |d x e|' / (w (w + d_w)) <= K |d| |e| / w^2,
// K being the focal length in pixels; the chunk's box (skirts included) bounds |e| from
// above and w from below. Infinite when the box reaches the eye's plane.
double projectedErrorBound(const ChunkHierarchy& hierarchy, int chunk, const SurfacePlacement& placement,
                           const PickCamera& camera, float errorHeight);

// The camera (matrices and viewport in pixels, as OpenGL holds them) projects with a
// frustum, as the views set it.
//
// The chunks in the view volume, each at its coarsest level whose projected error is
// at most maxPixels (level 0 where no coarser one is); maxPixels 0 chooses level 0
// everywhere.
std::vector<ChunkChoice> chooseChunkLevels(const ChunkHierarchy& hierarchy, const SurfacePlacement& placement,
                                           const PickCamera& camera, float maxPixels);
