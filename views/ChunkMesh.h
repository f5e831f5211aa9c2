#pragma once

#include "grid/VeskGrid.h"
#include "views/ChunkHierarchy.h"
#include "views/RenderMode.h"

#include <array>
#include <cstdint>
#include <vector>

// One chunk of the surface at one level, ready for a buffer object: interleaved
// position, normal and (for a mode with colours of its own) colour per vertex, each
// vertex standing on a sample and taking its normal and colour, with the very
// coordinates the full surface gives that sample. Triangles as the full surface's
// strips split each cell, then a skirt hanging from every edge that meets another
// chunk, deep enough to close any gap between the two edges' levels.
struct ChunkMesh {
    int floatsPerVertex = 6;
    std::vector<float> vertices;
    std::vector<std::uint32_t> indices; // triangles, or segments for profile lines
    // Vertices of the surface itself, before the skirts' feet.
    int surfaceVertices = 0;
    // Indices of the surface's triangles, first in indices; then each edge's skirt
    // (0 first row, 1 last row, 2 first column, 3 last column) in that order, so that a
    // frame can leave out the skirts of edges whose neighbour is drawn at the same level
    // (the two edges then share every vertex, and no gap can open between them).
    int surfaceIndices = 0;
    std::array<int, 4> skirtIndices{};

    std::size_t bytes() const { return vertices.size() * sizeof(float) + indices.size() * sizeof(std::uint32_t); }
};

// Floats a surface vertex takes: position and normal, and a colour when coloured.
constexpr int surfaceFloatsPerVertex(bool coloured)
{
    return coloured ? 9 : 6;
}

// The grid's normals (and curvature and slope for the modes that read them) must be made.
ChunkMesh buildChunkMesh(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level, RenderMode mode);

// One chunk's profile lines at one level: positions only, as the full profile lines place
// them (SurfaceCoordinates.h), and segments. The u-curves run along rows, the v-curves
// along columns. A chunk draws the lines its level keeps (a row or column of the level's
// mesh) that are multiples of spacing, through the samples the level keeps on them, so
// every segment is an edge of the level's mesh (within its error of the full line) and
// meets the neighbouring chunk's at the sample both keep. A line on an edge two chunks
// share is the later chunk's.
ChunkMesh buildChunkCurves(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level, bool uCurves,
                           int spacing);
