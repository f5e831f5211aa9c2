#include "views/ViewSurface.h"

#include "diagnostics/Diagnostics.h"
#include "grid/MatrixShape.h"
#include "views/BackgroundPriority.h"
#include "views/ChunkSelection.h"
#include "views/SurfaceCoordinates.h"

#include <GL/gl.h>

ViewSurface::ViewSurface(QObject* parent) : QObject(parent)
{
    // Frames make only the coarsest levels; a worker makes the rest (startChunkMeshJob).
    chunks_.buildMilliseconds = 0;
    uploadTimer_.setSingleShot(true);
    uploadTimer_.setInterval(0);
    connect(&uploadTimer_, &QTimer::timeout, this, &ViewSurface::uploadStepDue);
    connect(&watcher_, &QFutureWatcher<void>::finished, this, [this] {
        if (job_ != nullptr && job_->done && job_->filled)
            uploadTimer_.start();
    });
}

ViewSurface::~ViewSurface()
{
    settle();
}

void ViewSurface::heightsChanged()
{
    settle();
    // Bands of the old heights still to come would mix with the new ones.
    buffers_.abandonUpload();
    uploadTimer_.stop();
    verticesCurrent_ = false;
    heldColouring_.reset();
    heldCurves_.reset();
    hierarchyCurrent_ = false;
}

void ViewSurface::settle()
{
    if (job_ == nullptr)
        return;
    job_->cancel = true;
    watcher_.waitForFinished();
    job_.reset();
    // The dropped fill's surface is still missing: without a paint the view would keep
    // showing the old one.
    emit fillDropped();
}

void ViewSurface::releaseBuffers()
{
    settle();
    buffers_.destroy();
    chunks_.release();
    uploadTimer_.stop();
    verticesCurrent_ = false;
    heldColouring_.reset();
    heldCurves_.reset();
}

void ViewSurface::setMaxScreenError(float pixels)
{
    maxScreenError_ = pixels > 0.0f ? pixels : 0.0f;
}

bool ViewSurface::drawsLevelsOfDetail(const VeskGrid& grid) const
{
    return maxScreenError_ > 0.0f && grid.width >= 2 && grid.height >= 2
        && std::int64_t{grid.width} * std::int64_t{grid.height} > kLargestExactSurface;
}

void ViewSurface::paintSurface(VeskGrid& grid, RenderMode mode)
{
    // Every mode without colours of its own draws the plain surface.
    const RenderMode colouring = coloursSurface(mode) ? mode : RenderMode::Plain;
    if (drawsLevelsOfDetail(grid)) {
        paintLevelsOfDetail(grid, ChunkContent::surface(colouring));
        return;
    }
    if (chunks_.bytes() != 0)
        chunks_.release();
    bringUpToDate(grid, colouring, std::nullopt);
    buffers_.drawSurface();
}

void ViewSurface::paintLevelsOfDetail(VeskGrid& grid, const ChunkContent& content)
{
    const RenderMode colouring = content.colouring;
    const bool working = job_ != nullptr && !job_->done;
    if (!working) {
        takeFinishedFill();
        if (buffers_.hasVertices() || buffers_.uploading())
            dropFullSurface();
        if (!levelsOfDetailReady(grid, colouring) && grid.hasData)
            startLevelOfDetailJob(grid, colouring);
    }
    PickCamera camera{};
    glGetDoublev(GL_MODELVIEW_MATRIX, camera.modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, camera.projection);
    glGetIntegerv(GL_VIEWPORT, camera.viewport);
    const long long budget = screenTriangleBudget(camera, maxScreenError_);
    // From the first frame of a large terrain on, while its hierarchy is still measured.
    heapReserve_.reserve(static_cast<std::size_t>(budget) * kRendererBytesPerTriangle);
    if (hierarchy_.empty()) {
        chunks_.warmUp(content);
        return;
    }
    // The profile lines lie on their own scale.
    const double cellScale = content.curves ? surface_coordinates::kCurveSpacing
                                            : surface_coordinates::cellScale(grid.cellSize);
    const SurfacePlacement placement{cellScale, grid.minHeight};
    // While a worker changes the grid, or the hierarchy is of older heights, or the data
    // the colouring reads are not made yet (the mode changed while a worker made meshes),
    // only the chunks held are drawn; a worker making meshes only reads the grid.
    const bool gridReadable =
        (job_ == nullptr || job_->chunkMeshes) && levelsOfDetailReady(grid, colouring);
    chunks_.draw(grid, hierarchy_, chooseChunkLevelsWithin(hierarchy_, placement, camera, maxScreenError_, budget),
                 content, gridReadable);
    if (job_ == nullptr && gridReadable && !chunks_.lastMissing().empty())
        startChunkMeshJob(grid, content);
}

void ViewSurface::startChunkMeshJob(const VeskGrid& grid, const ChunkContent& content)
{
    auto job = std::make_shared<Job>();
    job->chunkMeshes = true;
    job->content = content;
    job->wanted = chunks_.lastMissing();
    job_ = job;
    const VeskGrid* const source = &grid;
    // The hierarchy stays as it is while a job runs: only a finished job replaces it.
    const ChunkHierarchy* const hierarchy = &hierarchy_;
    watcher_.setFuture(background_priority::runInBackground([job, source, hierarchy] {
        std::size_t bytes = 0;
        for (const ChunkChoice& choice : job->wanted) {
            if (job->cancel || bytes >= kChunkMeshBytes)
                break;
            job->meshes.push_back(ChunkBuffers::buildMesh(*source, *hierarchy, choice.chunk, choice.level, job->content));
            bytes += job->meshes.back().bytes();
        }
        job->filled = !job->cancel && !job->meshes.empty();
        job->done = true;
    }));
}

bool ViewSurface::levelsOfDetailReady(const VeskGrid& grid, RenderMode colouring) const
{
    const bool analysed = !readsSurfaceData(colouring)
                       || (grid.surfaceValid && matrixHasShape(grid.curvature, grid.height - 1, grid.width - 1)
                           && matrixHasShape(grid.slope, grid.height - 1, grid.width - 1));
    return hierarchyCurrent_ && curvesAreDrawable(grid) && analysed;
}

void ViewSurface::startLevelOfDetailJob(VeskGrid& grid, RenderMode colouring)
{
    auto job = std::make_shared<Job>();
    job->levelOfDetail = true;
    job->request.mode = colouring;
    job->request.vertices = !hierarchyCurrent_;
    job_ = job;
    VeskGrid* const target = &grid;
    // No normals: chunk meshes take theirs from the heights (24 bytes a sample saved).
    watcher_.setFuture(background_priority::runInBackground([job, target] {
        if (readsSurfaceData(job->request.mode))
            target->ensureSurfaceAnalysis();
        const bool cancelled = job->cancel.load();
        job->filled = !cancelled && (!job->request.vertices || job->hierarchy.build(*target, &job->cancel));
        job->done = true;
    }));
}

void ViewSurface::dropFullSurface()
{
    buffers_.destroy();
    uploadTimer_.stop();
    verticesCurrent_ = false;
    heldColouring_.reset();
    heldCurves_.reset();
}

void ViewSurface::paintCurves(VeskGrid& grid, bool uCurves, int spacing)
{
    if (grid.hasData)
        diagnostics::reportf(uCurves ? "Rendering u-curves\n" : "rendering v-curves\n");
    if (drawsLevelsOfDetail(grid)) {
        paintLevelsOfDetail(grid, ChunkContent::profileLines(uCurves, spacing));
        return;
    }
    if (chunks_.bytes() != 0)
        chunks_.release();
    bringUpToDate(grid, std::nullopt, uCurves);
    // Until the lines of a new direction are in, those held are drawn.
    buffers_.drawCurves(spacing);
}

SurfaceRequest ViewSurface::missingParts(std::optional<RenderMode> surfaceMode, std::optional<bool> uCurves) const
{
    SurfaceRequest request;
    request.vertices = !verticesCurrent_;
    if (surfaceMode) {
        request.mode = *surfaceMode;
        request.colours = request.vertices || heldColouring_ != surfaceMode;
    }
    if (uCurves) {
        request.uCurves = *uCurves;
        request.curves = request.vertices || heldCurves_ != uCurves;
    }
    return request;
}

void ViewSurface::advanceUpload()
{
    if (takeFinishedFill())
        return;
    if (chunks_.uploading())
        copyChunkBand();
    else if (buffers_.uploading())
        copyBand();
}

bool ViewSurface::takeFinishedFill()
{
    if (job_ == nullptr || !job_->done)
        return false;
    const std::shared_ptr<Job> finished = std::move(job_);
    watcher_.waitForFinished();
    if (!finished->filled)
        return false;
    if (finished->chunkMeshes) {
        // Their bytes come in bands at the next turns (this may be a paint); the last asks for a frame.
        for (std::size_t k = 0; k < finished->meshes.size(); ++k)
            chunks_.adopt(finished->wanted[k].chunk, finished->wanted[k].level, finished->content,
                          std::move(finished->meshes[k]));
        if (chunks_.uploading())
            uploadTimer_.start();
        else
            emit chunksDue();
        return true;
    }
    if (finished->levelOfDetail) {
        if (finished->request.vertices) {
            hierarchy_ = std::move(finished->hierarchy);
            hierarchyCurrent_ = true;
            chunks_.release();
        }
        emit surfaceReady();
        return true;
    }
    uploadFilled(finished->arrays, finished->request, false);
    return true;
}

void ViewSurface::copyChunkBand()
{
    if (chunks_.advanceUpload(bandBytes))
        uploadTimer_.start();
    else
        emit chunksDue();
}

void ViewSurface::copyBand()
{
    if (buffers_.advanceUpload(bandBytes))
        uploadTimer_.start();
    else
        emit surfaceReady();
}

void ViewSurface::bringUpToDate(VeskGrid& grid, std::optional<RenderMode> surfaceMode, std::optional<bool> uCurves)
{
    // Keep drawing what is held until the fill is ready and every band is in.
    if (job_ != nullptr && !job_->done)
        return;
    if (takeFinishedFill())
        return;
    if (buffers_.uploading()) {
        copyBand();
        return;
    }
    // Buffers the current mode does not draw are given back.
    if (uCurves && heldColouring_ && coloursSurface(*heldColouring_)) {
        buffers_.releaseColours();
        heldColouring_.reset();
    }
    if (surfaceMode && buffers_.hasCurves()) {
        buffers_.releaseCurves();
        heldCurves_.reset();
    }

    const SurfaceRequest request = missingParts(surfaceMode, uCurves);
    if (!request.vertices && !request.colours && !request.curves)
        return;
    if (!grid.hasData)
        return; // a grid without data keeps showing what was last drawn

    const std::int64_t samples = std::int64_t{grid.width} * std::int64_t{grid.height};
    if (samples > kLargestFillInPlace) {
        startFill(grid, request);
        return;
    }
    SurfaceArrays arrays;
    fill(grid, request, arrays, nullptr);
    uploadFilled(arrays, request, true);
}

bool ViewSurface::fill(VeskGrid& grid, const SurfaceRequest& request, SurfaceArrays& arrays,
                       const std::atomic<bool>* cancel)
{
    // Derived data are made on first use; a grid too small for a surface has none to make.
    const bool drawable = grid.width >= 2 && grid.height >= 2;
    if (drawable && request.vertices)
        grid.ensureNormals();
    if (drawable && request.colours && readsSurfaceData(request.mode))
        grid.ensureSurfaceAnalysis();
    return fillSurfaceArrays(grid, request, arrays, FillThreads::All, cancel);
}

void ViewSurface::uploadFilled(SurfaceArrays& arrays, const SurfaceRequest& request, bool inPlace)
{
    const bool surface = request.vertices || request.colours;
    if (surface)
        diagnostics::reportf("Draw Grid . . . ");
    if (inPlace) {
        buffers_.upload(arrays, request);
    } else {
        // The first band now, the others at the next turns of the event loop.
        buffers_.beginUpload(arrays, request);
        copyBand();
    }
    if (request.vertices)
        verticesCurrent_ = true;
    if (request.colours)
        heldColouring_ = request.mode;
    else if (request.vertices)
        heldColouring_.reset(); // new vertices drop colours of another size
    if (request.curves)
        heldCurves_ = request.uCurves;
    else if (request.vertices)
        heldCurves_.reset();
    if (surface)
        diagnostics::reportf("Done\n");
}

void ViewSurface::startFill(VeskGrid& grid, const SurfaceRequest& request)
{
    auto job = std::make_shared<Job>();
    job->request = request;
    job->makesNormals = request.vertices && (!grid.normalsValid || !surfaceIsDrawable(grid));
    job_ = job;
    VeskGrid* const target = &grid;
    watcher_.setFuture(background_priority::runInBackground([job, target] {
        job->filled = fill(*target, job->request, job->arrays, &job->cancel);
        job->done = true;
    }));
}
