#include "views/SurfaceBuffers.h"

#include "diagnostics/Diagnostics.h"
#include "views/GridDrawing.h"
#include "views/SurfaceColours.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr std::size_t kTripleBytes = 3 * sizeof(float);

QOpenGLFunctions& functions()
{
    return *QOpenGLContext::currentContext()->functions();
}

const void* byteOffset(std::size_t bytes)
{
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(bytes));
}

void deleteBuffer(unsigned& name)
{
    if (name != 0) {
        const GLuint names[1] = {name};
        functions().glDeleteBuffers(1, names);
        name = 0;
    }
}

// A new buffer object of the given size, holding data when there is some, or 0 when
// OpenGL could not make one that size.
unsigned makeBuffer(GLenum target, const void* data, std::size_t bytes)
{
    if (bytes == 0)
        return 0;
    QOpenGLFunctions& gl = functions();
    while (gl.glGetError() != GL_NO_ERROR) {
    }
    GLuint name = 0;
    gl.glGenBuffers(1, &name);
    gl.glBindBuffer(target, name);
    gl.glBufferData(target, static_cast<qopengl_GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    gl.glBindBuffer(target, 0);
    if (gl.glGetError() != GL_NO_ERROR) {
        diagnostics::reportf("Surface buffers: OpenGL could not hold %zu bytes\n", bytes);
        deleteBuffer(name);
        return 0;
    }
    return name;
}

unsigned makeIndexBuffer(const std::vector<std::uint32_t>& indices)
{
    return makeBuffer(GL_ELEMENT_ARRAY_BUFFER, indices.data(), indices.size() * sizeof(std::uint32_t));
}

// Moves one part's array into the staged arrays.
void takeOver(TripleArray& from, TripleArray& to)
{
    to.values = std::move(from.values);
    to.triples = from.triples;
    from.release();
}

} // namespace

bool SurfaceBuffers::upload(SurfaceArrays& arrays, const SurfaceRequest& request)
{
    beginUpload(arrays, request);
    advanceUpload(std::numeric_limits<std::size_t>::max());
    return uploadHeld_;
}

bool SurfaceBuffers::beginUpload(SurfaceArrays& arrays, const SurfaceRequest& request)
{
    // Half-uploaded parts (of an unfinished or abandoned upload) this upload does not
    // redo would stay half drawn.
    if (!request.vertices && verticesPending_)
        releaseVertices();
    if (!request.colours && coloursPending_)
        releaseColours();
    if (!request.curves && curvesPending_)
        releaseCurves();
    staged_.reset();
    uploadHeld_ = true;
    StagedUpload staged;
    staged.request = request;
    staged.arrays.width = arrays.width;
    staged.arrays.height = arrays.height;
    if (request.vertices) {
        releaseVertices();
        width_ = arrays.width;
        height_ = arrays.height;
        // Colours and profile lines of another size must not outlive the vertices they belong to.
        if (!request.colours)
            releaseColours();
        if (!request.curves)
            releaseCurves();
        if (!arrays.positions.empty()) {
            strip_ = makeIndexBuffer(stripIndices(width_));
            if (strip_ == 0) {
                uploadHeld_ = false;
            } else {
                vertexBytes_ = 2 * static_cast<std::size_t>(width_) * sizeof(std::uint32_t);
                verticesHeld_ = true;
                verticesPending_ = true;
                takeOver(arrays.positions, staged.arrays.positions);
                takeOver(arrays.normals, staged.arrays.normals);
            }
        }
        arrays.positions.release();
        arrays.normals.release();
        ++uploads_.vertices;
    }
    if (request.colours) {
        releaseColours();
        if (!arrays.colours.empty()) {
            coloursHeld_ = true;
            coloursPending_ = true;
            takeOver(arrays.colours, staged.arrays.colours);
        }
        arrays.colours.release();
        ++uploads_.colours;
    }
    if (request.curves) {
        releaseCurves();
        if (!arrays.curvePositions.empty()) {
            curvesHeld_ = true;
            curvesPending_ = true;
            curveLines_ = curveLines(arrays.width, arrays.height, arrays.uCurves);
            staged.arrays.uCurves = arrays.uCurves;
            takeOver(arrays.curvePositions, staged.arrays.curvePositions);
        }
        arrays.curvePositions.release();
        ++uploads_.curves;
    }
    staged_ = std::move(staged);
    return uploadHeld_;
}

bool SurfaceBuffers::advanceUpload(std::size_t maxBytes)
{
    if (!staged_)
        return false;
    const SurfaceArrays& arrays = staged_->arrays;
    const std::size_t width = static_cast<std::size_t>(arrays.width);
    std::size_t rowBytes = 0;
    if (!arrays.positions.empty())
        rowBytes += 2 * width * kTripleBytes;
    if (!arrays.colours.empty())
        rowBytes += 2 * width * kTripleBytes;
    if (!arrays.curvePositions.empty())
        rowBytes += width * kTripleBytes;
    const int remaining = arrays.height - staged_->nextRow;
    int rows = remaining;
    if (rowBytes != 0 && maxBytes / rowBytes < static_cast<std::size_t>(remaining))
        rows = std::max(1, static_cast<int>(maxBytes / rowBytes));
    copyRows(staged_->nextRow, staged_->nextRow + rows);
    staged_->nextRow += rows;
    ++uploads_.bands;
    if (staged_->nextRow < arrays.height)
        return true;
    staged_.reset(); // the arrays are in OpenGL now
    verticesPending_ = false;
    coloursPending_ = false;
    curvesPending_ = false;
    return false;
}

void SurfaceBuffers::copyRows(int firstRow, int endRow)
{
    const SurfaceArrays& arrays = staged_->arrays;
    if (verticesPending_ && !addVertexBand(arrays, firstRow, endRow))
        uploadHeld_ = false;
    if (coloursPending_ && !addColourBand(arrays, firstRow, endRow))
        uploadHeld_ = false;
    if (curvesPending_ && !addCurveBand(arrays, firstRow, endRow))
        uploadHeld_ = false;
}

bool SurfaceBuffers::addVertexBand(const SurfaceArrays& arrays, int firstRow, int endRow)
{
    // Strip b joins rows b and b+1; the last row starts none.
    const int endStrip = std::min(endRow, arrays.height - 1);
    if (endStrip <= firstRow)
        return true;
    const std::size_t offset = static_cast<std::size_t>(firstRow) * static_cast<std::size_t>(arrays.width) * 3;
    const std::size_t bytes =
        static_cast<std::size_t>(endStrip + 1 - firstRow) * static_cast<std::size_t>(arrays.width) * kTripleBytes;
    VertexBand band{makeBuffer(GL_ARRAY_BUFFER, arrays.positions.data() + offset, bytes),
                    makeBuffer(GL_ARRAY_BUFFER, arrays.normals.data() + offset, bytes), firstRow, endStrip};
    vertexBands_.push_back(band);
    if (band.positions == 0 || band.normals == 0) {
        releaseVertices();
        return false;
    }
    vertexBytes_ += 2 * bytes;
    vertexStrips_ = endStrip;
    return true;
}

bool SurfaceBuffers::addColourBand(const SurfaceArrays& arrays, int firstRow, int endRow)
{
    // Strip b's colours come with row b.
    const int endStrip = std::min(endRow, arrays.height - 1);
    if (endStrip <= firstRow)
        return true;
    if (!addArrayBand(colourBands_, arrays.colours, 2 * static_cast<std::size_t>(arrays.width), firstRow, endStrip,
                      colourBytes_)) {
        releaseColours();
        return false;
    }
    colourStrips_ = endStrip;
    return true;
}

bool SurfaceBuffers::addCurveBand(const SurfaceArrays& arrays, int firstRow, int endRow)
{
    // The lines in step with the rows: a row's worth of samples each, the last row taking the rest.
    const auto linesBefore = [&](int row) {
        if (row >= arrays.height)
            return curveLines_.count;
        return static_cast<int>(std::int64_t{row} * curveLines_.count / arrays.height);
    };
    const int firstLine = linesBefore(firstRow);
    const int endLine = linesBefore(endRow);
    if (endLine <= firstLine)
        return true;
    if (!addArrayBand(curveBands_, arrays.curvePositions, static_cast<std::size_t>(curveLines_.length), firstLine,
                      endLine, curveBytes_)) {
        releaseCurves();
        return false;
    }
    curveLinesIn_ = endLine;
    return true;
}

bool SurfaceBuffers::addArrayBand(std::vector<ArrayBand>& bands, const TripleArray& array, std::size_t runTriples,
                                  int first, int end, std::size_t& bytesHeld)
{
    const std::size_t bytes = static_cast<std::size_t>(end - first) * runTriples * kTripleBytes;
    const ArrayBand band{
        makeBuffer(GL_ARRAY_BUFFER, array.data() + static_cast<std::size_t>(first) * runTriples * 3, bytes), first,
        end};
    if (band.buffer == 0)
        return false;
    bands.push_back(band);
    bytesHeld += bytes;
    return true;
}

void SurfaceBuffers::abandonUpload()
{
    staged_.reset();
}

int SurfaceBuffers::drawableStrips() const
{
    int strips = vertexStrips_;
    if (hasColours())
        strips = std::min(strips, colourStrips_);
    return strips;
}

void SurfaceBuffers::releaseVertices()
{
    for (VertexBand& band : vertexBands_) {
        deleteBuffer(band.positions);
        deleteBuffer(band.normals);
    }
    vertexBands_.clear();
    deleteBuffer(strip_);
    vertexBytes_ = 0;
    vertexStrips_ = 0;
    verticesHeld_ = false;
    verticesPending_ = false;
}

void SurfaceBuffers::releaseColours()
{
    for (ArrayBand& band : colourBands_)
        deleteBuffer(band.buffer);
    colourBands_.clear();
    colourBytes_ = 0;
    colourStrips_ = 0;
    coloursHeld_ = false;
    coloursPending_ = false;
}

void SurfaceBuffers::releaseCurves()
{
    for (ArrayBand& band : curveBands_)
        deleteBuffer(band.buffer);
    curveBands_.clear();
    curveBytes_ = 0;
    curveLinesIn_ = 0;
    curvesHeld_ = false;
    curvesPending_ = false;
}

void SurfaceBuffers::destroy()
{
    staged_.reset();
    releaseVertices();
    releaseColours();
    releaseCurves();
}

std::size_t SurfaceBuffers::bytes() const
{
    return vertexBytes_ + colourBytes_ + curveBytes_;
}

void SurfaceBuffers::drawSurface() const
{
    if (!hasVertices())
        return;
    QOpenGLFunctions& gl = functions();
    const bool coloured = hasColours();
    const std::size_t width = static_cast<std::size_t>(width_);
    const GLsizei stripVertices = static_cast<GLsizei>(2 * width);

    beginLitArrays(coloured);
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, strip_);
    const int strips = drawableStrips();
    auto vertexBand = vertexBands_.begin();
    auto colourBand = colourBands_.begin();
    for (int strip = 0; strip < strips; ++strip) {
        while (vertexBand->endStrip <= strip)
            ++vertexBand;
        const std::size_t firstSample = static_cast<std::size_t>(strip - vertexBand->firstStrip) * width;
        gl.glBindBuffer(GL_ARRAY_BUFFER, vertexBand->positions);
        glVertexPointer(3, GL_FLOAT, 0, byteOffset(firstSample * kTripleBytes));
        gl.glBindBuffer(GL_ARRAY_BUFFER, vertexBand->normals);
        glNormalPointer(GL_FLOAT, 0, byteOffset(firstSample * kTripleBytes));
        if (coloured) {
            while (colourBand->end <= strip)
                ++colourBand;
            const std::size_t firstColour = static_cast<std::size_t>(strip - colourBand->first) * 2 * width;
            gl.glBindBuffer(GL_ARRAY_BUFFER, colourBand->buffer);
            glColorPointer(3, GL_FLOAT, 0, byteOffset(firstColour * kTripleBytes));
        }
        glDrawRangeElements(GL_TRIANGLE_STRIP, 0, static_cast<GLuint>(stripVertices - 1), stripVertices,
                            GL_UNSIGNED_INT, nullptr);
    }
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
    endLitArrays(coloured);
}

void SurfaceBuffers::drawCurves(int spacing) const
{
    // Lines of a spread upload still on their way are left out.
    if (!hasCurves() || curveLinesIn_ == 0)
        return;
    QOpenGLFunctions& gl = functions();
    // A spacing below 1 would never advance.
    const int step = spacing > 1 ? spacing : 1;
    const GLsizei length = static_cast<GLsizei>(curveLines_.length);

    glEnableClientState(GL_VERTEX_ARRAY);
    auto band = curveBands_.begin();
    bool bound = false;
    for (int line = 0; line < curveLinesIn_; line += step) {
        if (band->end <= line) {
            while (band->end <= line)
                ++band;
            bound = false;
        }
        if (!bound) {
            gl.glBindBuffer(GL_ARRAY_BUFFER, band->buffer);
            glVertexPointer(3, GL_FLOAT, 0, nullptr);
            bound = true;
        }
        glDrawArrays(GL_LINE_STRIP, static_cast<GLint>(line - band->first) * length, length);
    }
    gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
}
