#pragma once

#include "grid/VeskGrid.h"
#include "views/ChunkBuffers.h"
#include "views/ChunkHierarchy.h"
#include "views/RendererHeapReserve.h"
#include "views/SurfaceArrays.h"
#include "views/SurfaceBuffers.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

// A view's surface in buffer objects, kept up to date with the view's grid and render
// mode: a change of the heights rebuilds everything, a change of the render mode only
// the colours, and the profile lines of a direction are built when they are first
// drawn (a change of direction rebuilds them, the spacing nothing). Small grids
// are filled and uploaded at once on the GUI thread; larger ones are filled in a
// worker while the view keeps drawing what it holds, then uploaded one band of rows
// per turn of the event loop (uploadStepDue asks the view for its context), so that
// no turn spends more than a few tens of milliseconds copying. The worker reads the
// grid (and may compute its curvature and slope), so whoever changes the grid calls
// settle() first.
//
// Grids above kLargestExactSurface samples are drawn at levels of detail instead
// (unless the screen error allowed is 0), the surface and the profile lines alike: the
// worker measures the chunk hierarchy (ChunkHierarchy.h), and each frame draws every
// chunk in view at the coarsest level whose error stays within maxScreenError pixels on
// screen, from the chunk meshes in ChunkBuffers. Smaller grids, and any grid at an error of 0, draw every sample.
// A frame makes no chunk mesh but the coarsest (a handful of vertices): a worker makes
// the levels it lacked, at most kChunkMeshBytes of them at a time, which the next turns
// copy into their buffers, a band a turn, before asking for another frame. So the GUI
// thread only copies meshes, a few milliseconds a turn, however large a chunk is.
class ViewSurface : public QObject {
    Q_OBJECT

public:
    // Grids of at most this many samples are filled on the GUI thread: their fill
    // takes a few tens of milliseconds at most.
    static constexpr std::int64_t kLargestFillInPlace = 1 << 19;

    // Grids of at most this many samples draw every sample whatever the error allowed.
    static constexpr std::int64_t kLargestExactSurface = 999'999;

    // What one turn of the event loop copies into the buffers at most.
    std::size_t bandBytes = SurfaceBuffers::kBandBytes;
    // What one worker's chunk meshes hold at most (a chunk more may go over it).
    static constexpr std::size_t kChunkMeshBytes = std::size_t{16} << 20;
    // What llvmpipe took of the heap a triangle of a level-of-detail frame: up to 70 MB for
    // 136,000 triangles in the window's first frames (two frames' triangles may be held at once).
    static constexpr std::size_t kRendererBytesPerTriangle = 512;

    explicit ViewSurface(QObject* parent = nullptr);
    ~ViewSurface() override;

    // The heights, size, cell size or minimum of the grid changed: rebuild everything.
    void heightsChanged();

    // Paint time, with the owning context current: bring the buffers up to date for
    // what is drawn, then draw them.
    void paintSurface(VeskGrid& grid, RenderMode mode);
    void paintCurves(VeskGrid& grid, bool uCurves, int spacing);

    // With the owning context current: takes a finished fill into the buffers, or
    // copies the next band of an upload under way.
    void advanceUpload();

    // Cancels a running fill and waits for it.
    void settle();
    // A worker is filling (and perhaps making the grid's normals, curvature and slope).
    bool filling() const { return job_ != nullptr && !job_->done; }
    // A worker may be making the grid's normals: nothing else may read them now.
    bool makingNormals() const { return filling() && job_->makesNormals; }
    // A finished fill waits to be taken, or bands of it are still to be copied into the
    // buffers: not filling and not uploading is a surface complete in its buffers.
    bool uploading() const
    {
        return (job_ != nullptr && job_->done && job_->filled) || buffers_.uploading() || chunks_.uploading();
    }

    // How far (pixels) a drawn surface may stray on screen from the full one; 0 draws
    // every sample. The next paint follows a change.
    void setMaxScreenError(float pixels);
    float maxScreenError() const { return maxScreenError_; }
    bool drawsLevelsOfDetail(const VeskGrid& grid) const;
    // What the last level-of-detail frame drew.
    const ChunkBuffers::FrameFigures& levelOfDetailFrame() const { return chunks_.lastFrame(); }

    // Frees the buffer objects, with the owning context current.
    void releaseBuffers();

    const SurfaceBuffers::Uploads& uploads() const { return buffers_.uploads(); }
    std::size_t bufferBytes() const { return buffers_.bytes() + chunks_.bytes(); }

signals:
    // A fill is ready or an upload under way: call advanceUpload() with the context current.
    void uploadStepDue();
    // The last band of an upload is in: the next paint shows the whole new surface.
    void surfaceReady();
    // settle() dropped a fill: the next paint starts it again.
    void fillDropped();
    // A level-of-detail frame drew chunks at stand-in levels: the next paint makes more.
    void chunksDue();

private:
    struct Job {
        SurfaceRequest request;
        SurfaceArrays arrays;
        std::atomic<bool> cancel{false};
        std::atomic<bool> done{false}; // set last by the worker: the arrays are then the GUI thread's
        bool filled = false;
        bool makesNormals = false;
        // Measures the chunk hierarchy (and makes the derived data its colouring reads) instead of filling arrays.
        bool levelOfDetail = false;
        ChunkHierarchy hierarchy;
        // Makes the meshes of the chunk levels a frame lacked instead (the grid only read):
        // meshes[k] is wanted[k]'s.
        bool chunkMeshes = false;
        ChunkContent content;
        std::vector<ChunkChoice> wanted;
        std::vector<ChunkMesh> meshes;
    };

    // What the buffers lack for drawing the surface in a render mode, or the curves of
    // a direction (true for the u-curves).
    SurfaceRequest missingParts(std::optional<RenderMode> surfaceMode, std::optional<bool> uCurves) const;
    void bringUpToDate(VeskGrid& grid, std::optional<RenderMode> surfaceMode, std::optional<bool> uCurves);
    // Starts the upload of filled arrays: at once when inPlace, otherwise in bands.
    void uploadFilled(SurfaceArrays& arrays, const SurfaceRequest& request, bool inPlace);
    // Takes a finished worker fill into an upload; false while the worker runs.
    bool takeFinishedFill();
    void copyBand();
    void copyChunkBand();
    void startFill(VeskGrid& grid, const SurfaceRequest& request);
    void paintLevelsOfDetail(VeskGrid& grid, const ChunkContent& content);
    // The hierarchy is measured, and the normals and the colouring's data made.
    bool levelsOfDetailReady(const VeskGrid& grid, RenderMode colouring) const;
    void startLevelOfDetailJob(VeskGrid& grid, RenderMode colouring);
    void startChunkMeshJob(const VeskGrid& grid, const ChunkContent& content);
    // Frees the full surface's buffers, which a level-of-detail frame does not draw.
    void dropFullSurface();
    // Makes the derived data the request draws, then fills its arrays.
    static bool fill(VeskGrid& grid, const SurfaceRequest& request, SurfaceArrays& arrays,
                     const std::atomic<bool>* cancel);

    SurfaceBuffers buffers_;
    bool verticesCurrent_ = false;
    // The colours held: those of a mode that colours the surface, or Plain for none.
    std::optional<RenderMode> heldColouring_;
    // The direction of the profile lines held (true for the u-curves), if any.
    std::optional<bool> heldCurves_;
    float maxScreenError_ = 1.0f;
    ChunkHierarchy hierarchy_;
    bool hierarchyCurrent_ = false;
    ChunkBuffers chunks_;
    // The heap the renderer sets up level-of-detail frames in, present before they want it.
    RendererHeapReserve heapReserve_;
    std::shared_ptr<Job> job_;
    QFutureWatcher<void> watcher_;
    // Runs the next upload step at the next turn of the event loop.
    QTimer uploadTimer_;
};
