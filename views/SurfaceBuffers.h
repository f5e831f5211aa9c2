#pragma once

#include "views/SurfaceArrays.h"

#include <cstddef>

// The surface arrays (SurfaceArrays.h) in OpenGL buffer objects, and their drawing.
// Fixed-function vertex arrays on buffer objects, as the compatibility profile and
// Mesa's llvmpipe offer them. Every call needs the owning context current.
class SurfaceBuffers {
public:
    // How often each part was handed to OpenGL, so that a rebuild can be seen to
    // touch only what changed.
    struct Uploads {
        int vertices = 0; // positions and normals together
        int colours = 0;
        int curves = 0;
    };

    SurfaceBuffers() = default;
    SurfaceBuffers(const SurfaceBuffers&) = delete;
    SurfaceBuffers& operator=(const SurfaceBuffers&) = delete;

    // Hands the parts the request names to OpenGL and releases them from arrays.
    // A part that came back empty leaves its buffer empty (nothing is drawn from it).
    // False, with those buffers emptied, when OpenGL could not hold a part.
    bool upload(SurfaceArrays& arrays, const SurfaceRequest& request);

    // Frees the buffers of a part the current mode no longer draws.
    void releaseColours();
    void releaseCurves();

    // The lit surface, coloured per vertex when colours are held, otherwise in the
    // plain surface material. Nothing without vertices.
    void drawSurface() const;
    // The u-curves (rows 0, spacing, ...) or v-curves (columns 0, spacing, ...).
    void drawCurves(bool uCurves, int spacing) const;

    // Deletes every buffer object.
    void destroy();

    bool hasVertices() const { return positions_ != 0; }
    bool hasColours() const { return colours_ != 0; }
    bool hasCurves() const { return curvePositions_ != 0; }
    // Bytes held in OpenGL buffers now.
    std::size_t bytes() const;
    const Uploads& uploads() const { return uploads_; }

private:
    int width_ = 0;
    int height_ = 0;
    unsigned positions_ = 0;
    unsigned normals_ = 0;
    unsigned strip_ = 0;
    unsigned colours_ = 0;
    unsigned curvePositions_ = 0;
    unsigned columns_ = 0;
    std::size_t vertexBytes_ = 0;
    std::size_t colourBytes_ = 0;
    std::size_t curveBytes_ = 0;
    Uploads uploads_;
};
