#include "views/SurfaceBuffers.h"

#include "diagnostics/Diagnostics.h"
#include "views/GridDrawing.h"
#include "views/SurfaceColours.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <GL/gl.h>

#include <cstdint>
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

// A new buffer object holding the bytes, or 0 when OpenGL could not make or fill one.
unsigned makeBuffer(GLenum target, const void* data, std::size_t bytes)
{
    if (data == nullptr || bytes == 0)
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

} // namespace

bool SurfaceBuffers::upload(SurfaceArrays& arrays, const SurfaceRequest& request)
{
    bool held = true;
    if (request.vertices) {
        deleteBuffer(positions_);
        deleteBuffer(normals_);
        deleteBuffer(strip_);
        vertexBytes_ = 0;
        width_ = arrays.width;
        height_ = arrays.height;
        // Colours and profile lines of another size must not outlive the vertices they belong to.
        if (!request.colours)
            releaseColours();
        if (!request.curves)
            releaseCurves();
        if (!arrays.positions.empty()) {
            positions_ = makeBuffer(GL_ARRAY_BUFFER, arrays.positions.data(), arrays.positions.bytes());
            normals_ = makeBuffer(GL_ARRAY_BUFFER, arrays.normals.data(), arrays.normals.bytes());
            strip_ = makeIndexBuffer(stripIndices(width_));
            if (positions_ == 0 || normals_ == 0 || strip_ == 0) {
                deleteBuffer(positions_);
                deleteBuffer(normals_);
                deleteBuffer(strip_);
                held = false;
            } else {
                vertexBytes_ = arrays.positions.bytes() + arrays.normals.bytes()
                    + 2 * static_cast<std::size_t>(width_) * sizeof(std::uint32_t);
            }
        }
        arrays.positions.release();
        arrays.normals.release();
        ++uploads_.vertices;
    }
    if (request.colours) {
        releaseColours();
        if (!arrays.colours.empty()) {
            colours_ = makeBuffer(GL_ARRAY_BUFFER, arrays.colours.data(), arrays.colours.bytes());
            colourBytes_ = colours_ != 0 ? arrays.colours.bytes() : 0;
            held = held && colours_ != 0;
        }
        arrays.colours.release();
        ++uploads_.colours;
    }
    if (request.curves) {
        releaseCurves();
        if (!arrays.curvePositions.empty()) {
            curvePositions_ = makeBuffer(GL_ARRAY_BUFFER, arrays.curvePositions.data(), arrays.curvePositions.bytes());
            columns_ = makeIndexBuffer(columnIndices(arrays.width, arrays.height));
            if (curvePositions_ == 0 || columns_ == 0) {
                releaseCurves();
                held = false;
            } else {
                curveBytes_ = arrays.curvePositions.bytes()
                    + static_cast<std::size_t>(arrays.height) * sizeof(std::uint32_t);
            }
        }
        arrays.curvePositions.release();
        ++uploads_.curves;
    }
    return held;
}

void SurfaceBuffers::releaseColours()
{
    deleteBuffer(colours_);
    colourBytes_ = 0;
}

void SurfaceBuffers::releaseCurves()
{
    deleteBuffer(curvePositions_);
    deleteBuffer(columns_);
    curveBytes_ = 0;
}

void SurfaceBuffers::destroy()
{
    deleteBuffer(positions_);
    deleteBuffer(normals_);
    deleteBuffer(strip_);
    vertexBytes_ = 0;
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
    for (std::size_t strip = 0; strip + 1 < static_cast<std::size_t>(height_); ++strip) {
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
    const std::size_t height = static_cast<std::size_t>(height_);

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
