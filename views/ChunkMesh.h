#pragma once

#include "grid/VeskGrid.h"
#include "views/ChunkHierarchy.h"
#include "views/RenderMode.h"

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
    std::vector<std::uint32_t> indices; // triangles
    // Vertices of the surface itself, before the skirts' feet.
    int surfaceVertices = 0;

    std::size_t bytes() const { return vertices.size() * sizeof(float) + indices.size() * sizeof(std::uint32_t); }
};

// The grid's normals (and curvature and slope for the modes that read them) must be made.
ChunkMesh buildChunkMesh(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level, RenderMode mode);
