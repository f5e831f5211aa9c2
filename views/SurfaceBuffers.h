#pragma once

#include "views/SurfaceArrays.h"

#include <cstddef>
#include <optional>
#include <vector>

// The surface arrays (SurfaceArrays.h) in OpenGL buffer objects, and their drawing.
// Fixed-function vertex arrays on buffer objects, as the compatibility profile and
// Mesa's llvmpipe offer them. Every call needs the owning context current.
//
// An upload may be spread over several calls: beginUpload() keeps the arrays, each
// advanceUpload() hands the next band of rows to OpenGL. The vertices and colours of
// a band get buffer objects of their own: llvmpipe clears every buffer it makes, at
// about 2.5 GB/s here, so one buffer for a whole 4,097² surface would stall a turn
// for a third of a second. A vertex band also holds the row after its last strip, so
// that each strip is drawn from one band. The profile lines come in bands of whole
// lines, as many lines a turn as the rows of the surface copied in it. Until the last
// band is in, only the strips complete in every part being uploaded are drawn (and the
// lines that are in), so a surface never shows bands of two different uploads.
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
    // least one). llvmpipe copies into memory it touches for the first time: 16 MiB
    // took 12 to 55 ms on one 2-core machine and 78 to 110 ms on another, where page
    // faults cost more; 4 MiB keeps a turn within a few tens of milliseconds on both.
    static constexpr std::size_t kBandBytes = std::size_t{4} << 20;

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
    // The profile lines held: the u-curves (rows 0, spacing, ...) or the v-curves
    // (columns 0, spacing, ...).
    void drawCurves(int spacing) const;

    // Deletes every buffer object.
    void destroy();

    // A part is held from the start of its upload until it is released.
    bool hasVertices() const { return verticesHeld_; }
    bool hasColours() const { return coloursHeld_; }
    bool hasCurves() const { return curvesHeld_; }
    // Bytes held in OpenGL buffers now.
    std::size_t bytes() const;
    const Uploads& uploads() const { return uploads_; }

private:
    struct StagedUpload {
        SurfaceArrays arrays;
        SurfaceRequest request;
        int nextRow = 0;
    };
    // Strips [firstStrip, endStrip) of the surface, in buffers of their own.
    struct VertexBand {
        unsigned positions = 0;
        unsigned normals = 0;
        int firstStrip = 0;
        int endStrip = 0;
    };
    // Runs [first, end) of one array in a buffer of their own: the strip colours of
    // strips first to end, or profile lines first to end.
    struct ArrayBand {
        unsigned buffer = 0;
        int first = 0;
        int end = 0;
    };

    void releaseVertices();
    // False, with the part released, when OpenGL could not hold a band.
    bool addVertexBand(const SurfaceArrays& arrays, int firstRow, int endRow);
    bool addColourBand(const SurfaceArrays& arrays, int firstRow, int endRow);
    bool addCurveBand(const SurfaceArrays& arrays, int firstRow, int endRow);
    // Appends runs [first, end) of runTriples triples each of the array as a band,
    // counting its bytes; false when OpenGL could not hold it.
    static bool addArrayBand(std::vector<ArrayBand>& bands, const TripleArray& array, std::size_t runTriples,
                             int first, int end, std::size_t& bytesHeld);
    void copyRows(int firstRow, int endRow);
    // The surface strips whose vertices (and colours, when held) are all in.
    int drawableStrips() const;

    int width_ = 0;
    int height_ = 0;
    bool verticesHeld_ = false;
    std::vector<VertexBand> vertexBands_;
    unsigned strip_ = 0;
    bool coloursHeld_ = false;
    std::vector<ArrayBand> colourBands_;
    bool curvesHeld_ = false;
    CurveLines curveLines_;
    std::vector<ArrayBand> curveBands_;
    std::size_t vertexBytes_ = 0;
    std::size_t colourBytes_ = 0;
    std::size_t curveBytes_ = 0;
    // Strips or lines in; a part still pending was named by an upload that has not finished.
    int vertexStrips_ = 0;
    int colourStrips_ = 0;
    int curveLinesIn_ = 0;
    bool verticesPending_ = false;
    bool coloursPending_ = false;
    bool curvesPending_ = false;
    bool uploadHeld_ = true;
    std::optional<StagedUpload> staged_;
    Uploads uploads_;
};
