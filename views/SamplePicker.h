#pragma once

#include "grid/VeskGrid.h"

#include <cstddef>
#include <vector>

// The grid sample nearest on screen to a window point: the sample whose projected
// surface position is closest, ties going to the earliest in row-major order. The
// answer is that of projecting every sample, but only the samples of tiles whose
// projected bounds could hold a closer one are projected, so a 4,097 x 4,097 grid costs
// a few thousand projections instead of 16 million.
struct PickCamera {
    double modelView[16];  // column-major, as OpenGL returns it
    double projection[16];
    int viewport[4];
    double pixelRatio = 1.0; // device pixels per widget pixel
};

class SamplePicker {
public:
    // Forget the tile bounds. The owner calls it whenever the heights change; a change
    // of size is noticed on its own.
    void invalidate() { tiles_.clear(); }

    // target is in widget pixels with y upwards. Row and column are -1 for a grid
    // without samples. Samples whose height is not a number are never picked.
    void pick(const VeskGrid& grid, const PickCamera& camera, double targetX, double targetY, int& row,
              int& column);

    // Whether the target lies on the terrain around the sample rather than beside it: no
    // farther from the sample on screen than the farthest of its neighbours, plus a
    // pixel. The nearest sample to a pointer off the terrain is an edge sample, so a
    // readout of the sample under the pointer asks this first.
    static bool targetNearSample(const VeskGrid& grid, const PickCamera& camera, double targetX, double targetY,
                                 int row, int column);

    // Samples projected by the last pick (tile corners not counted).
    std::size_t lastProjectedSamples() const { return lastProjectedSamples_; }

    // The same answer by projecting every sample: the reference, and the way for grids
    // whose rows are not of the grid's width.
    static void pickByProjectingEverySample(const VeskGrid& grid, const PickCamera& camera, double targetX,
                                            double targetY, int& row, int& column);

private:
    struct Tile {
        int firstRow;
        int endRow;
        int firstColumn;
        int endColumn;
        float lowest; // the tile's height range; NaN when it holds only heights that are not numbers
        float highest;
    };

    void buildTiles(const VeskGrid& grid);

    std::vector<Tile> tiles_;
    int tilesWidth_ = 0;
    int tilesHeight_ = 0;
    std::size_t lastProjectedSamples_ = 0;
};
