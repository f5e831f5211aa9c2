#pragma once

#include "views/SurfaceArrays.h"

#include <cstddef>
#include <optional>

// The surface arrays (SurfaceArrays.h) in OpenGL buffer objects, and their drawing.
// Fixed-function vertex arrays on buffer objects, as the compatibility profile and
// Mesa's llvmpipe offer them. Every call needs the owning context current.
//
// An upload may be spread over several calls: beginUpload() makes the buffers and
// keeps the arrays, each advanceUpload() copies the next band of rows into them.
// Until the last band is in, only the rows that are complete in every part being
// uploaded are drawn, so a surface never shows bands of two different uploads.
class SurfaceBuffers {
public:
    // How often each part was handed to OpenGL, so that a rebuild can be seen to
    // touch only what changed, and in how many bands.
    struct Uploads {
        int vertices = 0; // positions and normals together
        int colours = 0;
        int curves = 0;
        int bands = 0;
    };

    // What one band of a spread upload copies at most (a band holds whole rows, at
    // least one): at llvmpipe's copying speed a few tens of milliseconds.
    static constexpr std::size_t kBandBytes = std::size_t{32} << 20;

    SurfaceBuffers() = default;
    SurfaceBuffers(const SurfaceBuffers&) = delete;
    SurfaceBuffers& operator=(const SurfaceBuffers&) = delete;

    // Hands the parts the request names to OpenGL and releases them from arrays.
    // A part that came back empty leaves its buffer empty (nothing is drawn from it).
    // False, with those buffers emptied, when OpenGL could not hold a part.
    bool upload(SurfaceArrays& arrays, const SurfaceRequest& request);

    // The same upload spread over bands: makes the buffers of the parts the request
    // names and takes those arrays over; nothing of those parts is drawn yet. Parts of
    // an earlier upload still unfinished and not named again are freed.
    bool beginUpload(SurfaceArrays& arrays, const SurfaceRequest& request);
    // Copies the next rows, at most maxBytes of them (at least one row). True while
    // rows remain.
    bool advanceUpload(std::size_t maxBytes);
    // Drops the arrays of an unfinished upload: the rows already in stay drawn as far
    // as they go, and the next upload of those parts starts afresh.
    void abandonUpload();
    bool uploading() const { return staged_.has_value(); }

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
    struct StagedUpload {
        SurfaceArrays arrays;
        SurfaceRequest request;
        int nextRow = 0;
    };

    void releaseVertices();
    void copyRows(int firstRow, int endRow);
    // The surface strips whose vertices (and colours, when held) are all in.
    int drawableStrips() const;

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
    int vertexRows_ = 0;
    int colourStrips_ = 0;
    int curveRows_ = 0;
    std::optional<StagedUpload> staged_;
    Uploads uploads_;
};
