#pragma once

#include "views/ChunkHierarchy.h"
#include "views/ChunkMesh.h"
#include "views/ChunkSelection.h"
#include "views/RenderMode.h"

#include <array>
#include <cstddef>
#include <optional>
#include <unordered_map>

// What chunk meshes show: the surface in a colouring (Plain for a mode without colours
// of its own), or the profile lines of a direction (true for the u-curves) at a spacing.
struct ChunkContent {
    RenderMode colouring = RenderMode::Plain;
    bool curves = false;
    bool uCurves = true;
    int spacing = 1;

    static ChunkContent surface(RenderMode mode);
    static ChunkContent profileLines(bool uCurves, int spacing);
    bool operator==(const ChunkContent&) const = default;
};

// The chunk meshes a level-of-detail frame draws, in buffer objects made as frames
// first need them and given back when they have not been drawn for a while and the
// buffers hold more than kMostBytes, so that OpenGL holds about what the screen
// shows rather than the whole terrain. Making meshes stops for the frame after
// buildMilliseconds: a chunk whose level is not in yet is drawn at a level that is
// (a finer one first), or its coarsest, which costs almost nothing; the levels it
// lacked are lastMissing(), which a view has a worker make (buildMesh) and hands back
// by adopt(). Every call but buildMesh needs the owning context current.
class ChunkBuffers {
public:
    static constexpr std::size_t kMostBytes = std::size_t{256} << 20;
    static constexpr int kBuildMilliseconds = 12;

    struct FrameFigures {
        int chunks = 0;
        long long triangles = 0;
        long long segments = 0;
        // Chunks drawn at another level than chosen, their own not being in yet.
        int standIns = 0;
    };

    // How long a frame may spend making meshes.
    int buildMilliseconds = kBuildMilliseconds;

    ChunkBuffers() = default;
    ChunkBuffers(const ChunkBuffers&) = delete;
    ChunkBuffers& operator=(const ChunkBuffers&) = delete;

    // Draws the chosen chunks: the surface lit, coloured per vertex in a mode with colours
    // of its own, or the profile lines. With makeMissing false nothing is made (the grid
    // is not to be read now): only the meshes held are drawn.
    void draw(const VeskGrid& grid, const ChunkHierarchy& hierarchy, const std::vector<ChunkChoice>& choices,
              const ChunkContent& content, bool makeMissing);
    // The meshes held belong to heights or colours no longer shown.
    void release();
    // The chunks the last frame drew at a level other than chosen (or not at all), in
    // the order chosen: the meshes to make next.
    const std::vector<ChunkChoice>& lastMissing() const { return missing_; }
    // A chunk level's mesh for the content, the grid only read: what a frame makes, which
    // a worker may make instead and hand over by adopt().
    static ChunkMesh buildMesh(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level,
                               const ChunkContent& content);
    // Takes a mesh made by buildMesh into a buffer, unless it is of another content than
    // the one held (the mode changed meanwhile) or that level is already in.
    void adopt(int chunk, int level, const ChunkContent& content, const ChunkMesh& mesh);
    // Draws a triangle of no area in the state the content's surface is drawn in, once a
    // content: the OpenGL driver compiles a state's pipeline at its first draw (20 to 30 ms
    // on llvmpipe), which then falls in a frame with nothing else to do (while the
    // hierarchy is built) rather than in the one that makes the first meshes.
    void warmUp(const ChunkContent& content);

    const FrameFigures& lastFrame() const { return lastFrame_; }
    std::size_t bytes() const { return bytes_; }

private:
    struct Entry {
        unsigned vertices = 0;
        unsigned indices = 0;
        int indexCount = 0;
        int level = 0;
        // The surface's indices, then each edge's skirt (ChunkMesh).
        int surfaceIndices = 0;
        std::array<int, 4> skirtIndices{};
        int floatsPerVertex = 6;
        std::size_t bytes = 0;
        long long drawnInFrame = 0;
    };

    Entry* make(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level);
    Entry* store(int chunk, int level, const ChunkMesh& mesh);
    Entry* held(int chunk, int level);
    // A level of the chunk already held, the nearest finer one first; null if none.
    Entry* standIn(const ChunkHierarchy& hierarchy, int chunk, int level);
    // Draws the entry's surface and the skirts of the edges whose neighbour is not drawn
    // at the entry's level (drawnLevels_).
    void drawEntry(Entry& entry, const ChunkHierarchy& hierarchy, int chunk);
    void evictUnused();
    void releaseEntry(Entry& entry);

    std::unordered_map<long long, Entry> entries_;
    // The level each chunk is drawn at in this frame, -1 for one not drawn.
    std::vector<int> drawnLevels_;
    std::vector<ChunkChoice> missing_;
    int levels_ = 0;
    ChunkContent content_;
    std::optional<ChunkContent> warmedUp_;
    std::size_t bytes_ = 0;
    long long frame_ = 0;
    FrameFigures lastFrame_;
};
