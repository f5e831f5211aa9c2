#pragma once

#include "views/ChunkHierarchy.h"
#include "views/ChunkMesh.h"
#include "views/ChunkSelection.h"
#include "views/RenderMode.h"

#include <array>
#include <cstddef>
#include <deque>
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
    // Takes a mesh made by buildMesh for its buffers, unless it is of another content than
    // the one held (the mode changed meanwhile) or that level is already in. Its bytes go
    // in by advanceUpload, band by band: a chunk at full resolution is several MiB, which
    // llvmpipe copies into fresh memory at a few ms a MiB. Until they are all in, the
    // chunk is drawn at a level held and is not among lastMissing().
    void adopt(int chunk, int level, const ChunkContent& content, ChunkMesh mesh);
    // Adopted meshes whose bytes are not all in their buffers yet.
    bool uploading() const { return !pending_.empty(); }
    // Copies up to `bytes` more of the adopted meshes into their buffers, oldest first;
    // true while more remain.
    bool advanceUpload(std::size_t bytes);
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
        // Every byte is in its buffers (an adopted mesh's come band by band).
        bool complete = true;
    };
    // An adopted mesh and how far its bytes are in their buffers.
    struct PendingMesh {
        long long key = 0;
        ChunkMesh mesh;
        std::size_t vertexBytesIn = 0;
        std::size_t indexBytesIn = 0;
    };

    Entry* make(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level);
    // The mesh's buffers, its bytes copied in at once or (withBytes false) to come.
    Entry* store(int chunk, int level, const ChunkMesh& mesh, bool withBytes = true);
    // The chunk level's entry with every byte in; null otherwise.
    Entry* held(int chunk, int level);
    // The chunk level is adopted and its bytes are still coming.
    bool inUpload(int chunk, int level) const;
    long long keyOf(int chunk, int level) const { return static_cast<long long>(chunk) * levels_ + level; }
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
    std::deque<PendingMesh> pending_;
    int levels_ = 0;
    ChunkContent content_;
    std::optional<ChunkContent> warmedUp_;
    std::size_t bytes_ = 0;
    long long frame_ = 0;
    FrameFigures lastFrame_;
};
