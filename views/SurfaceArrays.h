#pragma once

#include "grid/VeskGrid.h"
#include "views/RenderMode.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The surface of a grid as vertex arrays holding exactly what the immediate-mode
// drawing emits: the same vertices, normals and colours for the same triangle strips
// in the same order.
//
// Layout. Positions and normals are one x, y, z triple per sample, row by row; they
// depend on the heights, the size, the cell size and the minimum only. The surface is
// one triangle strip per pair of rows b, b+1 through (b, 0), (b+1, 0), (b, 1), (b+1, 1),
// ...; every strip draws the same index list (stripIndices) with the position and
// normal arrays offset to row b. Colours cannot be kept per sample: in curvature and
// slope drawing sample (b+1, i) takes the colour of cell (b, i) in strip b and that of
// cell (b+1, i) in strip b+1. So colours are per strip vertex: strip b owns 2 x width
// RGB triples, its lower row's first and then its upper row's, reached through the
// same index list with the colour array offset to strip b's block.
//
// The profile lines of one direction are held, each line's samples one after the
// other: the u-curves row by row, the v-curves column by column, so that every line
// lies whole in whichever band of lines holds it.
//
// Cost per sample: 12 bytes of positions, 12 of normals, 24 of colours (coloured
// modes), 12 of profile-line positions (contour mode); the strip's index list is one
// row long.

// Which threads fill the arrays. Every value is computed on its own, so both give
// the same bytes.
enum class FillThreads { One, All };

// Float triples without the cost of zeroing memory that is written anyway.
struct TripleArray {
    std::unique_ptr<float[]> values;
    std::size_t triples = 0;

    const float* data() const { return values.get(); }
    std::size_t bytes() const { return triples * 3 * sizeof(float); }
    bool empty() const { return triples == 0; }
    void allocate(std::size_t count);
    void release();
};

// What a fill computes: any of the sample vertices, the strip colours of one render
// mode (none for a mode without colours of its own) and the profile-line positions of
// the u-curves (one line a row) or the v-curves (one line a column).
struct SurfaceRequest {
    bool vertices = false;
    bool colours = false;
    RenderMode mode = RenderMode::Plain;
    bool curves = false;
    bool uCurves = true;
};

struct SurfaceArrays {
    int width = 0;
    int height = 0;
    TripleArray positions;
    TripleArray normals;
    TripleArray colours;
    TripleArray curvePositions;
    bool uCurves = true; // the direction of the lines in curvePositions
};

// The profile lines of a direction on a grid of width x height samples: how many there
// are and how many samples each runs through.
struct CurveLines {
    int count = 0;
    int length = 0;
};
CurveLines curveLines(int width, int height, bool uCurves);

// True when the grid's surface can be drawn from its fields as they are: data, at
// least two rows and two columns, heights and normals of the grid's size. Colours
// come from SurfaceColours, which gives cells the data lacks the default colour.
bool surfaceIsDrawable(const VeskGrid& grid);

// True when the profile lines can be drawn: data and heights of the grid's size.
bool curvesAreDrawable(const VeskGrid& grid);

// Fills what the request asks for and leaves the other arrays as they were. Parts that
// cannot be drawn (see above) come back empty. False, with the requested arrays
// released, when cancel was raised before the fill finished.
bool fillSurfaceArrays(const VeskGrid& grid, const SurfaceRequest& request, SurfaceArrays& arrays,
                       FillThreads threads, const std::atomic<bool>* cancel = nullptr);

// The vertex order of one strip relative to its lower row: 0, width, 1, width + 1, ...
std::vector<std::uint32_t> stripIndices(int width);
