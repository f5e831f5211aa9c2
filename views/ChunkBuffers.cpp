#include "views/ChunkBuffers.h"

#include "diagnostics/Diagnostics.h"
#include "views/ChunkMesh.h"
#include "views/GridDrawing.h"
#include "views/SurfaceColours.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

namespace {

QOpenGLFunctions& functions()
{
    return *QOpenGLContext::currentContext()->functions();
}

const void* byteOffset(std::size_t bytes)
{
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(bytes));
}

unsigned makeBuffer(GLenum target, const void* data, std::size_t bytes)
{
    QOpenGLFunctions& gl = functions();
    GLuint name = 0;
    gl.glGenBuffers(1, &name);
    gl.glBindBuffer(target, name);
    gl.glBufferData(target, static_cast<qopengl_GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    gl.glBindBuffer(target, 0);
    return name;
}

// Points the lit arrays into the bound vertex buffer, laid out as a surface chunk mesh's.
void pointSurfaceArrays(int floatsPerVertex, bool coloured)
{
    const GLsizei stride = static_cast<GLsizei>(floatsPerVertex * sizeof(float));
    glVertexPointer(3, GL_FLOAT, stride, byteOffset(0));
    glNormalPointer(GL_FLOAT, stride, byteOffset(3 * sizeof(float)));
    if (coloured)
        glColorPointer(3, GL_FLOAT, stride, byteOffset(6 * sizeof(float)));
}

void deleteBuffer(unsigned& name)
{
    if (name != 0) {
        const GLuint names[1] = {name};
        functions().glDeleteBuffers(1, names);
        name = 0;
    }
}

} // namespace

ChunkContent ChunkContent::surface(RenderMode mode)
{
    return {coloursSurface(mode) ? mode : RenderMode::Plain, false, true, 1};
}

ChunkContent ChunkContent::profileLines(bool uCurves, int spacing)
{
    return {RenderMode::Plain, true, uCurves, std::max(spacing, 1)};
}

void ChunkBuffers::draw(const VeskGrid& grid, const ChunkHierarchy& hierarchy, const std::vector<ChunkChoice>& choices,
                        const ChunkContent& content, bool makeMissing)
{
    if (!(content == content_) || levels_ != hierarchy.levels()) {
        release();
        content_ = content;
        levels_ = hierarchy.levels();
    }
    ++frame_;
    lastFrame_ = {};
    missing_.clear();
    const bool coloured = content_.colouring != RenderMode::Plain;
    // Only the time spent making meshes counts against the budget: with thousands of
    // chunks, drawing those already held can take the whole budget on its own, and then
    // no frame would ever make the rest.
    std::chrono::steady_clock::duration making{};
    const auto budgetLeft = [&] { return making < std::chrono::milliseconds(buildMilliseconds); };
    const auto madeAndTimed = [&](int chunk, int level) {
        const auto start = std::chrono::steady_clock::now();
        Entry* entry = make(grid, hierarchy, chunk, level);
        making += std::chrono::steady_clock::now() - start;
        return entry;
    };

    // First what each chunk is drawn with, so that every chunk knows its neighbours' levels.
    std::vector<Entry*> drawn(choices.size(), nullptr);
    drawnLevels_.assign(static_cast<std::size_t>(hierarchy.chunkCount()), -1);
    for (std::size_t k = 0; k < choices.size(); ++k) {
        const ChunkChoice& choice = choices[k];
        Entry* entry = held(choice.chunk, choice.level);
        const bool coming = entry == nullptr && inUpload(choice.chunk, choice.level);
        if (entry == nullptr && !coming && makeMissing && budgetLeft())
            entry = madeAndTimed(choice.chunk, choice.level);
        if (entry == nullptr) {
            if (!coming)
                missing_.push_back(choice);
            entry = standIn(hierarchy, choice.chunk, choice.level);
            // The coarsest level is a handful of vertices: made whatever the budget.
            if (entry == nullptr && makeMissing && !inUpload(choice.chunk, hierarchy.levels() - 1))
                entry = make(grid, hierarchy, choice.chunk, hierarchy.levels() - 1);
            ++lastFrame_.standIns;
        }
        drawn[k] = entry;
        if (entry != nullptr)
            drawnLevels_[static_cast<std::size_t>(choice.chunk)] = entry->level;
    }

    if (content_.curves)
        glEnableClientState(GL_VERTEX_ARRAY);
    else
        beginLitArrays(coloured);
    for (std::size_t k = 0; k < choices.size(); ++k)
        if (drawn[k] != nullptr)
            drawEntry(*drawn[k], hierarchy, choices[k].chunk);
    functions().glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    functions().glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (content_.curves)
        glDisableClientState(GL_VERTEX_ARRAY);
    else
        endLitArrays(coloured);
    evictUnused();
}

ChunkBuffers::Entry* ChunkBuffers::held(int chunk, int level)
{
    const auto found = entries_.find(keyOf(chunk, level));
    return found == entries_.end() || !found->second.complete ? nullptr : &found->second;
}

bool ChunkBuffers::inUpload(int chunk, int level) const
{
    const auto found = entries_.find(keyOf(chunk, level));
    return found != entries_.end() && !found->second.complete;
}

ChunkBuffers::Entry* ChunkBuffers::standIn(const ChunkHierarchy& hierarchy, int chunk, int level)
{
    for (int finer = level - 1; finer >= 0; --finer)
        if (Entry* entry = held(chunk, finer))
            return entry;
    for (int coarser = level + 1; coarser < hierarchy.levels(); ++coarser)
        if (Entry* entry = held(chunk, coarser))
            return entry;
    return nullptr;
}

ChunkMesh ChunkBuffers::buildMesh(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level,
                                  const ChunkContent& content)
{
    return content.curves ? buildChunkCurves(grid, hierarchy, chunk, level, content.uCurves, content.spacing)
                          : buildChunkMesh(grid, hierarchy, chunk, level, content.colouring);
}

ChunkBuffers::Entry* ChunkBuffers::make(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level)
{
    return store(chunk, level, buildMesh(grid, hierarchy, chunk, level, content_));
}

void ChunkBuffers::adopt(int chunk, int level, const ChunkContent& content, ChunkMesh mesh)
{
    if (!(content == content_) || level >= levels_ || entries_.count(keyOf(chunk, level)) != 0)
        return;
    store(chunk, level, mesh, false);
    pending_.push_back({keyOf(chunk, level), std::move(mesh)});
}

bool ChunkBuffers::advanceUpload(std::size_t bytes)
{
    QOpenGLFunctions& gl = functions();
    std::size_t left = std::max<std::size_t>(bytes, 1);
    // Copies what fits of one array from `in` on, and moves `in` past it.
    const auto copyPart = [&](GLenum target, unsigned buffer, const void* data, std::size_t size, std::size_t& in) {
        const std::size_t part = std::min(size - in, left);
        if (part == 0)
            return;
        gl.glBindBuffer(target, buffer);
        gl.glBufferSubData(target, static_cast<qopengl_GLintptr>(in), static_cast<qopengl_GLsizeiptr>(part),
                           static_cast<const char*>(data) + in);
        gl.glBindBuffer(target, 0);
        in += part;
        left -= part;
    };
    while (!pending_.empty() && left > 0) {
        PendingMesh& next = pending_.front();
        const auto found = entries_.find(next.key);
        if (found == entries_.end()) { // let go meanwhile
            pending_.pop_front();
            continue;
        }
        Entry& entry = found->second;
        const std::size_t vertexBytes = next.mesh.vertices.size() * sizeof(float);
        const std::size_t indexBytes = next.mesh.indices.size() * sizeof(std::uint32_t);
        copyPart(GL_ARRAY_BUFFER, entry.vertices, next.mesh.vertices.data(), vertexBytes, next.vertexBytesIn);
        copyPart(GL_ELEMENT_ARRAY_BUFFER, entry.indices, next.mesh.indices.data(), indexBytes, next.indexBytesIn);
        if (next.vertexBytesIn < vertexBytes || next.indexBytesIn < indexBytes)
            break;
        entry.complete = true;
        pending_.pop_front();
    }
    return !pending_.empty();
}

ChunkBuffers::Entry* ChunkBuffers::store(int chunk, int level, const ChunkMesh& mesh, bool withBytes)
{
    Entry entry;
    entry.floatsPerVertex = mesh.floatsPerVertex;
    entry.indexCount = static_cast<int>(mesh.indices.size());
    entry.level = level;
    entry.surfaceIndices = mesh.surfaceIndices;
    entry.skirtIndices = mesh.skirtIndices;
    entry.vertices = makeBuffer(GL_ARRAY_BUFFER, withBytes ? mesh.vertices.data() : nullptr,
                                mesh.vertices.size() * sizeof(float));
    entry.indices = makeBuffer(GL_ELEMENT_ARRAY_BUFFER, withBytes ? mesh.indices.data() : nullptr,
                               mesh.indices.size() * sizeof(std::uint32_t));
    entry.bytes = mesh.bytes();
    entry.complete = withBytes;
    bytes_ += entry.bytes;
    return &(entries_[keyOf(chunk, level)] = entry);
}

void ChunkBuffers::drawEntry(Entry& entry, const ChunkHierarchy& hierarchy, int chunk)
{
    QOpenGLFunctions& gl = functions();
    gl.glBindBuffer(GL_ARRAY_BUFFER, entry.vertices);
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, entry.indices);
    if (content_.curves) {
        glVertexPointer(3, GL_FLOAT, static_cast<GLsizei>(entry.floatsPerVertex * sizeof(float)), byteOffset(0));
        glDrawElements(GL_LINES, entry.indexCount, GL_UNSIGNED_INT, nullptr);
        lastFrame_.segments += entry.indexCount / 2;
    } else {
        pointSurfaceArrays(entry.floatsPerVertex, content_.colouring != RenderMode::Plain);
        // The surface and the skirts needed, each run of consecutive indices in one draw.
        int first = 0;
        int count = entry.surfaceIndices;
        const auto flush = [&] {
            if (count > 0)
                glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, byteOffset(first * sizeof(std::uint32_t)));
            lastFrame_.triangles += count / 3;
        };
        int next = entry.surfaceIndices;
        for (int edge = 0; edge < 4; ++edge) {
            const int skirt = entry.skirtIndices[static_cast<std::size_t>(edge)];
            const int across = hierarchy.neighbour(chunk, edge);
            const bool needed = across < 0 || drawnLevels_[static_cast<std::size_t>(across)] != entry.level;
            if (skirt > 0 && needed) {
                if (first + count != next) {
                    flush();
                    first = next;
                    count = 0;
                }
                count += skirt;
            }
            next += skirt;
        }
        flush();
    }
    entry.drawnInFrame = frame_;
    ++lastFrame_.chunks;
}

void ChunkBuffers::warmUp(const ChunkContent& content)
{
    if (content.curves || warmedUp_ == content)
        return;
    warmedUp_ = content;
    const bool coloured = content.colouring != RenderMode::Plain;
    const int floatsPerVertex = surfaceFloatsPerVertex(coloured);
    std::vector<float> vertices(static_cast<std::size_t>(3 * floatsPerVertex), 0.0f);
    for (int vertex = 0; vertex < 3; ++vertex)
        vertices[static_cast<std::size_t>(vertex * floatsPerVertex + 5)] = 1.0f;
    const std::uint32_t indices[3] = {0, 1, 2};
    unsigned vertexBuffer = makeBuffer(GL_ARRAY_BUFFER, vertices.data(), vertices.size() * sizeof(float));
    unsigned indexBuffer = makeBuffer(GL_ELEMENT_ARRAY_BUFFER, indices, sizeof(indices));
    QOpenGLFunctions& gl = functions();
    beginLitArrays(coloured);
    gl.glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    pointSurfaceArrays(floatsPerVertex, coloured);
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_INT, nullptr);
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
    endLitArrays(coloured);
    deleteBuffer(vertexBuffer);
    deleteBuffer(indexBuffer);
}

void ChunkBuffers::evictUnused()
{
    if (bytes_ <= kMostBytes)
        return;
    // The least recently drawn go first; what this frame drew stays.
    std::vector<std::pair<long long, long long>> byAge;
    // Meshes still coming stay: their bytes are on the way.
    for (const auto& [key, entry] : entries_)
        if (entry.drawnInFrame < frame_ && entry.complete)
            byAge.emplace_back(entry.drawnInFrame, key);
    std::sort(byAge.begin(), byAge.end());
    for (const auto& [drawn, key] : byAge) {
        if (bytes_ <= kMostBytes)
            break;
        releaseEntry(entries_[key]);
        entries_.erase(key);
    }
}

void ChunkBuffers::releaseEntry(Entry& entry)
{
    deleteBuffer(entry.vertices);
    deleteBuffer(entry.indices);
    bytes_ -= entry.bytes;
}

void ChunkBuffers::release()
{
    for (auto& [key, entry] : entries_)
        releaseEntry(entry);
    entries_.clear();
    pending_.clear();
    bytes_ = 0;
}
