#include "views/ViewSurface.h"

#include "diagnostics/Diagnostics.h"

#include <QtConcurrent/QtConcurrentRun>

ViewSurface::ViewSurface(QObject* parent) : QObject(parent)
{
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
    uploadTimer_.stop();
    verticesCurrent_ = false;
    heldColouring_.reset();
    heldCurves_.reset();
}

void ViewSurface::paintSurface(VeskGrid& grid, RenderMode mode)
{
    // Every mode without colours of its own draws the plain surface.
    bringUpToDate(grid, coloursSurface(mode) ? mode : RenderMode::Plain, std::nullopt);
    buffers_.drawSurface();
}

void ViewSurface::paintCurves(VeskGrid& grid, bool uCurves, int spacing)
{
    if (grid.hasData)
        diagnostics::reportf(uCurves ? "Rendering u-curves\n" : "rendering v-curves\n");
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
    if (!takeFinishedFill() && buffers_.uploading())
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
    uploadFilled(finished->arrays, finished->request, false);
    return true;
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
    watcher_.setFuture(QtConcurrent::run([job, target] {
        job->filled = fill(*target, job->request, job->arrays, &job->cancel);
        job->done = true;
    }));
}
