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

template <typename Index>
unsigned makeIndexBuffer(const std::vector<Index>& indices)
{
    return makeBuffer(GL_ELEMENT_ARRAY_BUFFER, indices.data(), indices.size() * sizeof(Index));
}

// Copies the triples of rows [first, end) of rowTriples each from the array into the buffer.
void copyTripleRows(unsigned buffer, const TripleArray& array, std::size_t rowTriples, int first, int end)
{
    if (buffer == 0 || array.empty() || end <= first)
        return;
    const std::size_t offset = static_cast<std::size_t>(first) * rowTriples * 3;
    const std::size_t count = static_cast<std::size_t>(end - first) * rowTriples * 3;
    QOpenGLFunctions& gl = functions();
    gl.glBindBuffer(GL_ARRAY_BUFFER, buffer);
    gl.glBufferSubData(GL_ARRAY_BUFFER, static_cast<qopengl_GLintptr>(offset * sizeof(float)),
                       static_cast<qopengl_GLsizeiptr>(count * sizeof(float)), array.data() + offset);
    gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
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
    const bool held = beginUpload(arrays, request);
    advanceUpload(std::numeric_limits<std::size_t>::max());
    return held;
}

bool SurfaceBuffers::beginUpload(SurfaceArrays& arrays, const SurfaceRequest& request)
{
    // Half-uploaded parts (of an unfinished or abandoned upload) this upload does not
    // redo would stay half drawn.
    if (!request.vertices && vertexRows_ < height_)
        releaseVertices();
    if (!request.colours && colourStrips_ < height_ - 1)
        releaseColours();
    if (!request.curves && curveRows_ < height_)
        releaseCurves();
    staged_.reset();
    StagedUpload staged;
    staged.request = request;
    staged.arrays.width = arrays.width;
    staged.arrays.height = arrays.height;
    bool held = true;
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
            positions_ = makeBuffer(GL_ARRAY_BUFFER, nullptr, arrays.positions.bytes());
            normals_ = makeBuffer(GL_ARRAY_BUFFER, nullptr, arrays.normals.bytes());
            strip_ = makeIndexBuffer(stripIndices(width_));
            if (positions_ == 0 || normals_ == 0 || strip_ == 0) {
                releaseVertices();
                held = false;
            } else {
                vertexBytes_ = arrays.positions.bytes() + arrays.normals.bytes()
                    + 2 * static_cast<std::size_t>(width_) * sizeof(std::uint32_t);
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
            colours_ = makeBuffer(GL_ARRAY_BUFFER, nullptr, arrays.colours.bytes());
            held = held && colours_ != 0;
            if (colours_ != 0) {
                colourBytes_ = arrays.colours.bytes();
                takeOver(arrays.colours, staged.arrays.colours);
            }
        }
        arrays.colours.release();
        ++uploads_.colours;
    }
    if (request.curves) {
        releaseCurves();
        if (!arrays.curvePositions.empty()) {
            curvePositions_ = makeBuffer(GL_ARRAY_BUFFER, nullptr, arrays.curvePositions.bytes());
            columns_ = makeIndexBuffer(columnIndices(arrays.width, arrays.height));
            if (curvePositions_ == 0 || columns_ == 0) {
                releaseCurves();
                held = false;
            } else {
                curveBytes_ = arrays.curvePositions.bytes()
                    + static_cast<std::size_t>(arrays.height) * sizeof(std::uint32_t);
                takeOver(arrays.curvePositions, staged.arrays.curvePositions);
            }
        }
        arrays.curvePositions.release();
        ++uploads_.curves;
    }
    staged_ = std::move(staged);
    return held;
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
    return false;
}

void SurfaceBuffers::copyRows(int firstRow, int endRow)
{
    const SurfaceArrays& arrays = staged_->arrays;
    const SurfaceRequest& request = staged_->request;
    const std::size_t width = static_cast<std::size_t>(arrays.width);
    if (request.vertices) {
        copyTripleRows(positions_, arrays.positions, width, firstRow, endRow);
        copyTripleRows(normals_, arrays.normals, width, firstRow, endRow);
        vertexRows_ = endRow;
    }
    if (request.colours) {
        // Strip b's colours come with row b; the last row starts no strip.
        const int endStrip = std::min(endRow, arrays.height - 1);
        copyTripleRows(colours_, arrays.colours, 2 * width, firstRow, endStrip);
        colourStrips_ = endStrip;
    }
    if (request.curves) {
        copyTripleRows(curvePositions_, arrays.curvePositions, width, firstRow, endRow);
        curveRows_ = endRow;
    }
}

void SurfaceBuffers::abandonUpload()
{
    staged_.reset();
}

int SurfaceBuffers::drawableStrips() const
{
    int strips = std::max(0, vertexRows_ - 1);
    if (hasColours())
        strips = std::min(strips, colourStrips_);
    return strips;
}

void SurfaceBuffers::releaseVertices()
{
    deleteBuffer(positions_);
    deleteBuffer(normals_);
    deleteBuffer(strip_);
    vertexBytes_ = 0;
    vertexRows_ = 0;
}

void SurfaceBuffers::releaseColours()
{
    deleteBuffer(colours_);
    colourBytes_ = 0;
    colourStrips_ = 0;
}

void SurfaceBuffers::releaseCurves()
{
    deleteBuffer(curvePositions_);
    deleteBuffer(columns_);
    curveBytes_ = 0;
    curveRows_ = 0;
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

    setSurfaceMaterial(kDefaultSurfaceColour);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (coloured) {
        // The per-vertex colour stands for the material, as each glMaterial call does in immediate mode.
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        glEnableClientState(GL_COLOR_ARRAY);
    }
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, strip_);
    const std::size_t strips = static_cast<std::size_t>(drawableStrips());
    for (std::size_t strip = 0; strip < strips; ++strip) {
        const std::size_t firstSample = strip * width;
        gl.glBindBuffer(GL_ARRAY_BUFFER, positions_);
        glVertexPointer(3, GL_FLOAT, 0, byteOffset(firstSample * kTripleBytes));
        gl.glBindBuffer(GL_ARRAY_BUFFER, normals_);
        glNormalPointer(GL_FLOAT, 0, byteOffset(firstSample * kTripleBytes));
        if (coloured) {
            gl.glBindBuffer(GL_ARRAY_BUFFER, colours_);
            glColorPointer(3, GL_FLOAT, 0, byteOffset(2 * firstSample * kTripleBytes));
        }
        glDrawRangeElements(GL_TRIANGLE_STRIP, 0, static_cast<GLuint>(stripVertices - 1), stripVertices,
                            GL_UNSIGNED_INT, nullptr);
    }
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (coloured) {
        glDisableClientState(GL_COLOR_ARRAY);
        glDisable(GL_COLOR_MATERIAL);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void SurfaceBuffers::drawCurves(bool uCurves, int spacing) const
{
    if (!hasCurves())
        return;
    QOpenGLFunctions& gl = functions();
    // A spacing below 1 would never advance.
    const std::size_t step = static_cast<std::size_t>(spacing > 1 ? spacing : 1);
    const std::size_t width = static_cast<std::size_t>(width_);
    // Rows of a spread upload still on their way are left out.
    const std::size_t height = static_cast<std::size_t>(curveRows_);
    if (height == 0)
        return;

    glEnableClientState(GL_VERTEX_ARRAY);
    gl.glBindBuffer(GL_ARRAY_BUFFER, curvePositions_);
    if (uCurves) {
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        for (std::size_t row = 0; row < height; row += step)
            glDrawArrays(GL_LINE_STRIP, static_cast<GLint>(row * width), static_cast<GLsizei>(width));
    } else {
        gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, columns_);
        for (std::size_t column = 0; column < width; column += step) {
            glVertexPointer(3, GL_FLOAT, 0, byteOffset(column * kTripleBytes));
            glDrawRangeElements(GL_LINE_STRIP, 0, static_cast<GLuint>((height - 1) * width),
                                static_cast<GLsizei>(height), GL_UNSIGNED_INT, nullptr);
        }
        gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
}
