#pragma once

#include "diagnostics/Progress.h"
#include "grid/VeskGrid.h"

#include <QString>

// Fluvial erosion of a terrain, as landscape evolution models compute it: water
// runs from every sample to its steepest neighbour (through depressions towards
// their outlet, found from the levels at which they spill over), rivers cut
// down by the stream power law, lowering a sample towards the one it drains to by
// strength * A^0.5 * slope per step (A the area in square metres that drains
// through it; solved implicitly, downstream first, so any strength is stable), and
// the sediment that reaches a depression settles there until the water runs on,
// leaving the deposit lakeDrop metres above the sample it drains to. Hillslopes may
// creep (diffusion). Channels then run on from sample to sample and closed hollows
// fill, as they do on land.
//
// Deterministic: ties in the routing go to the lower sample index, and the routing
// and the diffusion run in parallel with the same result on any number of threads.
struct ErosionSettings {
    int iterations = 2;
    // K * dt of the stream power law, in m^0 (the area's square root in metres, divided by a distance).
    double strength = 0.0005;
    // Diffusion per iteration as a fraction of the difference to the neighbours' mean (0 to 1).
    double creep = 0.0;
    // Fall of a filled depression's surface towards its outlet, in metres per sample.
    double lakeDrop = 0.01;
    // Water deeper than this, in metres, stays a lake: deep hollows of the terrain itself
    // (a reservoir, a basin) are not filled, only the shallow ones.
    double lakeDepth = 10.0;
    // Water covering more samples than this is a lake too, however shallow: a flat
    // valley's pond, a reservoir's surface stay; the small hollows fill. 0: no limit.
    int lakeArea = 0;
    // 0: water is routed over the whole terrain. Otherwise (16 or more) each step routes
    // it within tiles of at most this many samples a side, the terrain split evenly,
    // each tile seeing a margin of tileMargin samples (1 or more) around it: what a
    // sample becomes depends on no sample farther than the tile and its margin, drainage
    // areas count only what lies there, and the tiles run side by side.
    int tileSide = 0;
    int tileMargin = 32;
    int threads = 0;
    // Iterations done of all (tiles done, where there are tiles); the cancel request.
    diagnostics::Progress progress;
};

// Erodes the grid's heights in place (its detail stack is kept). Refuses (false,
// error set, grid unchanged) a terrain without data, smaller than 3 x 3, or
// settings out of range, and stops unchanged on a cancel.
bool erodeTerrain(VeskGrid& grid, const ErosionSettings& settings, QString& error);
