// Frame times of the terrain views on the machine's OpenGL (llvmpipe under Xvfb here):
// the surface of 513², 1,025², 2,049² and 4,097² samples in all five render modes,
// drawn from buffer objects and, as the yardstick, in immediate mode as the views'
// immediate drawing (GridDrawing) emits it; the time to fill and upload the buffers, and
// the longest turn of a banded upload. Each frame clears,
// draws into an offscreen framebuffer of 800 x 600 through the view's camera framing
// the terrain, and waits for OpenGL to finish. At 2,049² the frames are also drawn with
// OpenGL told to drop every primitive once its vertices are processed
// (GL_RASTERIZER_DISCARD, rasterise:0): what remains is the submission and vertex work,
// and the difference to the whole frame llvmpipe's triangle setup and rasterising.
//
// Levels of detail: frames of 2,049², 4,097² and 8,193² terrains, sine bands and fBm
// (fbm:1), (16,385² with TALVANE_BENCH_16385=1; it holds about 1 GB of heights) drawn chunk by chunk within 0.5, 1 and 2
// pixels of the full surface, once every chunk level they need is in; the triangles
// drawn, and the frame's difference to the frame of every chunk at its own samples
// (the full surface's triangles): PSNR, and the share of pixels more than 8 grey
// levels off; and, as the floor under that difference, the full surface's frame against
// itself moved a tenth of a pixel. Also the time to measure a terrain's hierarchy.
//
// Run: xvfb-run -a -s "-screen 0 1600x1200x24" build/release/bench/ViewsBenchmark
// (the GL renderer is printed in the context lines of the output).

#include "RunBenchmarks.h"

#include "diagnostics/CollectingSink.h"
#include "grid/VeskGrid.h"
#include "tools/fbm/FbmTerrain.h"
#include "views/CameraFraming.h"
#include "views/ChunkBuffers.h"
#include "views/ChunkHierarchy.h"
#include "views/ChunkSelection.h"
#include "views/GridDrawing.h"
#include "views/RenderMode.h"
#include "views/SurfaceArrays.h"
#include "views/SurfaceBuffers.h"
#include "views/SurfaceCoordinates.h"
#include "views/SurfaceFormat.h"
#include "views/ViewLighting.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <GL/gl.h>
#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;
constexpr int kLargestFullSurfaceSide = 4097;

// The terrains drawn: sine bands, whose colourings all show bands and whose ripple of
// about 7 samples' period is finer than a pixel at 4,097² (so the full surface's frame
// is aliased there), and fBm terrain from the fBm generator, rough at every scale as
// real terrain is.
enum class Terrain { bands = 0, fbm = 1 };

// Counts the terrains made, so that a hierarchy is measured again for a new one (which may
// well be allocated where the last one was).
int terrainsMade = 0;

void fillWithBands(VeskGrid& grid, int side)
{
    grid.resize(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double u = 6.0 * x / side;
            const double v = 6.0 * y / side;
            grid.heights[y][x] = static_cast<float>(500.0 + 300.0 * std::sin(u) * std::cos(v * 1.3)
                                                    + 60.0 * std::sin(5.0 * u + v)
                                                    + 4.0 * std::sin(0.9 * x) * std::cos(0.7 * y));
        }
}

// A terrain of side x side samples, up to 4,097² with the normals, curvature and slope the full-surface frames draw.
const VeskGrid& terrain(int side, Terrain kind = Terrain::bands)
{
    // One terrain at a time: a 4,097² one holds well over a gigabyte.
    static std::unique_ptr<VeskGrid> grid;
    static Terrain madeKind = Terrain::bands;

    if (!grid || grid->width != side || madeKind != kind) {
        grid.reset();
        grid = std::make_unique<VeskGrid>();
        if (kind == Terrain::fbm)
            *grid = makeFbmTerrain(side, 1);
        else
            fillWithBands(*grid, side);
        madeKind = kind;
        ++terrainsMade;
        grid->hasData = true;
        grid->cellSize = 30.0f;
        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        grid->computeStatistics();
        // What the full-surface frames read; the chunked frames read the heights alone,
        // and a larger terrain is only drawn in chunks (as in the window).
        if (side <= kLargestFullSurfaceSide) {
            grid->ensureNormals();
            grid->ensureSurfaceAnalysis();
        }
    }
    return *grid;
}

// The view's lighting and camera, the terrain framed in the frame buffer.
void setUpView(const VeskGrid& grid, RenderMode mode)
{
    glViewport(0, 0, kFrameWidth, kFrameHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = double(kFrameWidth) / kFrameHeight;
    glFrustum(-aspect, aspect, -1.0, 1.0, camera_framing::kNearPlane, camera_framing::kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    applyViewLighting();
    if (mode == RenderMode::Contours) {
        glDisable(GL_LIGHTING);
        glColor3f(0.0f, 0.0f, 0.0f);
    }

    const double spacing = mode == RenderMode::Contours ? surface_coordinates::kCurveSpacing
                                             : surface_coordinates::cellScale(grid.cellSize);
    const camera_framing::WorldBox box{(grid.width - 1) * spacing, (grid.height - 1) * spacing,
                                       surface_coordinates::heightAbove(grid.maxHeight, grid.minHeight)};
    const camera_framing::CameraRotation rotation{-50.0f, 0.0f, 20.0f};
    camera_framing::CameraOffsets offsets;
    camera_framing::frameBox(box, rotation, 2.0f, kFrameWidth, kFrameHeight, offsets);
    glLoadIdentity();
    glTranslatef(offsets.x - 1.5f, offsets.y - 3.0f, offsets.z - 5.0f);
    glScalef(2.0f, 2.0f, 2.0f);
    glRotatef(rotation.xDegrees, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.zDegrees, 0.0f, 0.0f, 1.0f);
}

template <typename Draw>
void timeFrames(benchmark::State& state, const Draw& draw)
{
    const bool rasterise = state.range(2) != 0;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (!rasterise)
            glEnable(GL_RASTERIZER_DISCARD);
        draw();
        glDisable(GL_RASTERIZER_DISCARD);
        glFinish();
    }
}

void BM_ImmediateFrame(benchmark::State& state)
{
    const auto mode = static_cast<RenderMode>(state.range(1));
    const VeskGrid& grid = terrain(static_cast<int>(state.range(0)));
    setUpView(grid, mode);
    diagnostics::SilentSink quiet;
    diagnostics::ScopedSink scope(quiet);
    timeFrames(state, [&] {
        if (mode == RenderMode::Contours)
            drawCurves(grid, true, 1);
        else
            drawSurface(grid, mode);
    });
}

void BM_BufferFrame(benchmark::State& state)
{
    const auto mode = static_cast<RenderMode>(state.range(1));
    const VeskGrid& grid = terrain(static_cast<int>(state.range(0)));
    const bool contours = mode == RenderMode::Contours;
    const SurfaceRequest request{true, !contours, mode, contours};
    SurfaceArrays arrays;
    fillSurfaceArrays(grid, request, arrays, FillThreads::All);
    SurfaceBuffers buffers;
    if (!buffers.upload(arrays, request)) {
        state.SkipWithError("OpenGL could not hold the buffers");
        return;
    }
    setUpView(grid, mode);
    timeFrames(state, [&] {
        if (contours)
            buffers.drawCurves(1);
        else
            buffers.drawSurface();
    });
    state.counters["buffer_bytes_per_sample"] = double(buffers.bytes()) / (double(grid.width) * grid.height);
    buffers.destroy();
}

// Filling the buffers of a new terrain: positions, normals and height colours.
void BM_BufferFill(benchmark::State& state)
{
    const VeskGrid& grid = terrain(static_cast<int>(state.range(0)));
    const FillThreads threads = state.range(1) != 0 ? FillThreads::All : FillThreads::One;
    const SurfaceRequest request{true, true, RenderMode::HeightColours, false};
    for (auto _ : state) {
        SurfaceArrays arrays;
        fillSurfaceArrays(grid, request, arrays, threads);
        benchmark::DoNotOptimize(arrays.colours.data());
    }
}

// Handing the filled arrays to OpenGL (the part that stays on the GUI thread).
void BM_BufferUpload(benchmark::State& state)
{
    const VeskGrid& grid = terrain(static_cast<int>(state.range(0)));
    const SurfaceRequest request{true, true, RenderMode::HeightColours, false};
    for (auto _ : state) {
        state.PauseTiming();
        SurfaceArrays arrays;
        fillSurfaceArrays(grid, request, arrays, FillThreads::All);
        SurfaceBuffers buffers;
        state.ResumeTiming();
        buffers.upload(arrays, request);
        glFinish();
        state.PauseTiming();
        buffers.destroy();
        state.ResumeTiming();
    }
}

// The same upload spread over bands as a view does it, one band per turn of the event
// loop: the longest of those turns (making the buffers and the first band, each later
// band, the last one freeing the arrays) is what the GUI thread stalls for. When
// replacing, the buffers hold a surface of the same size already, as after a load
// over a shown terrain: the first turn also gives the old buffers back. The contour
// mode's u-curves come in bands of whole lines alongside the vertex bands.
void BM_BandedUpload(benchmark::State& state)
{
    const VeskGrid& grid = terrain(static_cast<int>(state.range(0)));
    const bool replacing = state.range(1) != 0;
    // The height colours, or the vertices and profile lines of the contour mode.
    const bool contours = state.range(2) != 0;
    const SurfaceRequest request{true, !contours, contours ? RenderMode::Contours : RenderMode::HeightColours,
                                 contours};
    double longest = 0.0;
    int bands = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SurfaceBuffers buffers;
        if (replacing) {
            SurfaceArrays shown;
            fillSurfaceArrays(grid, request, shown, FillThreads::All);
            buffers.upload(shown, request);
            glFinish();
        }
        SurfaceArrays arrays;
        fillSurfaceArrays(grid, request, arrays, FillThreads::All);
        state.ResumeTiming();
        bands = 0;
        bool more = true;
        for (bool first = true; more; first = false) {
            const auto start = std::chrono::steady_clock::now();
            if (first)
                buffers.beginUpload(arrays, request);
            more = buffers.advanceUpload(SurfaceBuffers::kBandBytes);
            glFinish();
            const std::chrono::duration<double, std::milli> slice = std::chrono::steady_clock::now() - start;
            longest = std::max(longest, slice.count());
            ++bands;
        }
        state.PauseTiming();
        buffers.destroy();
        state.ResumeTiming();
    }
    state.counters["longest_slice_ms"] = longest;
    state.counters["bands"] = bands;
}

std::vector<unsigned char> framePixels()
{
    std::vector<unsigned char> pixels(std::size_t{kFrameWidth} * kFrameHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// A frame that makes every chunk level it draws (none stands in), as a view's frames
// have once they have come in; returns its figures.
ChunkBuffers::FrameFigures settledFrame(ChunkBuffers& chunks, const VeskGrid& grid, const ChunkHierarchy& hierarchy,
                                        const std::vector<ChunkChoice>& choices, RenderMode mode)
{
    chunks.buildMilliseconds = 1 << 30;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    chunks.draw(grid, hierarchy, choices, ChunkContent::surface(mode), true);
    glFinish();
    chunks.buildMilliseconds = ChunkBuffers::kBuildMilliseconds;
    return chunks.lastFrame();
}

const ChunkHierarchy& hierarchyOf(const VeskGrid& grid)
{
    static ChunkHierarchy hierarchy;
    static int measured = -1;
    if (measured != terrainsMade) {
        hierarchy.build(grid);
        measured = terrainsMade;
    }
    return hierarchy;
}

// The frame of every chunk at its own samples (the full surface's triangles), about a
// million samples' chunks at a time so that no more than those are held at once.
std::vector<unsigned char> fullFrame(const VeskGrid& grid, const ChunkHierarchy& hierarchy,
                                     const SurfacePlacement& placement, const PickCamera& camera, RenderMode mode)
{
    const std::vector<ChunkChoice> exact = chooseChunkLevels(hierarchy, placement, camera, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const std::size_t chunkSamples = std::size_t(hierarchy.chunkCells() + 1) * std::size_t(hierarchy.chunkCells() + 1);
    const std::size_t chunksPerSlice = std::max<std::size_t>(1, (std::size_t(1) << 20) / chunkSamples);
    for (std::size_t first = 0; first < exact.size(); first += chunksPerSlice) {
        ChunkBuffers slice;
        slice.buildMilliseconds = 1 << 30;
        slice.draw(grid, hierarchy,
                   std::vector<ChunkChoice>(exact.begin() + first, exact.begin() + std::min(exact.size(), first + chunksPerSlice)),
                   ChunkContent::surface(mode), true);
        glFinish();
        slice.release();
    }
    return framePixels();
}

// PSNR and the share of pixels more than 8 grey levels off, of one frame against another.
void countDifference(benchmark::State& state, const std::vector<unsigned char>& drawn,
                     const std::vector<unsigned char>& yardstick)
{
    double squares = 0.0;
    std::size_t off = 0;
    for (std::size_t pixel = 0; pixel < drawn.size(); pixel += 3) {
        int grey[2] = {0, 0};
        for (int channel = 0; channel < 3; ++channel) {
            const double difference = double(drawn[pixel + channel]) - double(yardstick[pixel + channel]);
            squares += difference * difference;
            grey[0] += drawn[pixel + channel];
            grey[1] += yardstick[pixel + channel];
        }
        if (std::abs(grey[0] - grey[1]) > 3 * 8)
            ++off;
    }
    const double meanSquare = squares / double(drawn.size());
    state.counters["psnr_db"] = meanSquare == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / meanSquare);
    state.counters["off8_percent"] = 100.0 * double(off) / double(drawn.size() / 3);
}

PickCamera currentCamera()
{
    PickCamera camera{};
    glGetDoublev(GL_MODELVIEW_MATRIX, camera.modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, camera.projection);
    glGetIntegerv(GL_VIEWPORT, camera.viewport);
    return camera;
}

void BM_LevelOfDetailFrame(benchmark::State& state)
{
    const auto mode = static_cast<RenderMode>(state.range(1));
    const float maxPixels = static_cast<float>(state.range(2)) / 2.0f;
    const VeskGrid& grid = terrain(static_cast<int>(state.range(0)), static_cast<Terrain>(state.range(3)));
    const ChunkHierarchy& hierarchy = hierarchyOf(grid);
    setUpView(grid, mode);
    const PickCamera camera = currentCamera();
    const SurfacePlacement placement{surface_coordinates::cellScale(grid.cellSize), grid.minHeight};
    const std::vector<unsigned char> full = fullFrame(grid, hierarchy, placement, camera, mode);

    ChunkBuffers chunks;
    const auto choices = [&] {
        return chooseChunkLevelsWithin(hierarchy, placement, camera, maxPixels, screenTriangleBudget(camera, maxPixels));
    };
    const ChunkBuffers::FrameFigures figures = settledFrame(chunks, grid, hierarchy, choices(), mode);
    countDifference(state, framePixels(), full);

    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        chunks.draw(grid, hierarchy, choices(), ChunkContent::surface(mode), true);
        glFinish();
    }
    state.counters["triangles"] = double(figures.triangles);
    state.counters["chunks"] = figures.chunks;
    state.counters["buffer_mb"] = double(chunks.bytes()) / 1e6;
    chunks.release();
}

// The yardstick against itself: the full surface's frame, and the same frame with the
// picture moved a tenth of a pixel sideways (a move no one sees). What differs is the
// full frame's own aliasing (many triangles to a pixel, each pixel taking one), the
// floor under any level-of-detail frame's difference to it.
void BM_FullFrameMovedATenthOfAPixel(benchmark::State& state)
{
    const auto mode = static_cast<RenderMode>(state.range(2));
    const VeskGrid& grid = terrain(static_cast<int>(state.range(0)), static_cast<Terrain>(state.range(1)));
    const ChunkHierarchy& hierarchy = hierarchyOf(grid);
    const SurfacePlacement placement{surface_coordinates::cellScale(grid.cellSize), grid.minHeight};
    setUpView(grid, mode);
    const std::vector<unsigned char> full = fullFrame(grid, hierarchy, placement, currentCamera(), mode);
    // A tenth of a pixel in normalised device coordinates, put before the projection.
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslated(2.0 * 0.1 / kFrameWidth, 0.0, 0.0);
    glMultMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    std::vector<unsigned char> moved;
    for (auto _ : state)
        moved = fullFrame(grid, hierarchy, placement, currentCamera(), mode);
    countDifference(state, moved, full);
}

void BM_HierarchyBuild(benchmark::State& state)
{
    const VeskGrid& grid = terrain(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ChunkHierarchy hierarchy;
        hierarchy.build(grid);
        benchmark::DoNotOptimize(hierarchy.error(0, 1));
    }
}

// Making the mesh of one chunk at its full samples (the middle chunk), the largest a
// frame or a view's worker makes: chunks hold more samples as terrains grow (at most 32
// chunks a side).
void BM_ChunkMeshMade(benchmark::State& state)
{
    const VeskGrid& grid = terrain(static_cast<int>(state.range(0)), Terrain::fbm);
    const ChunkHierarchy& hierarchy = hierarchyOf(grid);
    const int chunk = hierarchy.chunkCount() / 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ChunkBuffers::buildMesh(grid, hierarchy, chunk, 0, ChunkContent::surface(RenderMode::Plain)).bytes());
    state.counters["chunk_cells"] = hierarchy.chunkCells();
}

void chunkMeshArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"side"});
    for (const int side : {4097, 8193})
        benchmark->Args({side});
    if (const char* huge = std::getenv("TALVANE_BENCH_16385"); huge != nullptr && huge[0] == '1')
        benchmark->Args({16385});
}

void levelOfDetailArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"side", "mode", "twice_pixels", "fbm"});
    std::vector<int> sides{2049, 4097, 8193};
    if (const char* huge = std::getenv("TALVANE_BENCH_16385"); huge != nullptr && huge[0] == '1')
        sides.push_back(16385);
    for (const int side : sides)
        for (const Terrain kind : {Terrain::bands, Terrain::fbm})
            for (const RenderMode mode : {RenderMode::Plain, RenderMode::HeightColours})
                for (const int twicePixels : {1, 2, 4})
                    benchmark->Args({side, static_cast<int>(mode), twicePixels, static_cast<int>(kind)});
}

void floorArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"side", "fbm", "mode"});
    for (const int side : {2049, 4097})
        for (const Terrain kind : {Terrain::bands, Terrain::fbm})
            for (const RenderMode mode : {RenderMode::Plain, RenderMode::HeightColours})
                benchmark->Args({side, static_cast<int>(kind), static_cast<int>(mode)});
}

// Sizes outermost, so that each terrain is made once.
void frameArguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgNames({"side", "mode", "rasterise"});
    constexpr int first = static_cast<int>(RenderMode::Plain);
    constexpr int last = static_cast<int>(RenderMode::Slope);
    for (const int side : {513, 1025, 2049, 4097}) {
        for (int mode = first; mode <= last; ++mode)
            benchmark->Args({side, mode, 1});
        if (side == 2049)
            for (int mode = first; mode <= last; ++mode)
                benchmark->Args({side, mode, 0});
    }
}

} // namespace

// Real time is the frame time; the CPU column is the whole process's (llvmpipe's
// rasterising threads included), steadier than real time on a loaded machine.
BENCHMARK(BM_BufferFrame)->Apply(frameArguments)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)
    ->ReportAggregatesOnly(true)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_ImmediateFrame)->Apply(frameArguments)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_BufferFill)->ArgNames({"side", "parallel"})->ArgsProduct({{513, 1025, 2049, 4097}, {0, 1}})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_BufferUpload)->ArgNames({"side"})->Args({513})->Args({1025})->Args({2049})->Args({4097})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_LevelOfDetailFrame)->Apply(levelOfDetailArguments)->Unit(benchmark::kMillisecond)->Iterations(3)
    ->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_FullFrameMovedATenthOfAPixel)->Apply(floorArguments)
    ->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ChunkMeshMade)->Apply(chunkMeshArguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HierarchyBuild)->ArgNames({"side"})->Args({2049})->Args({4097})->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_BandedUpload)->ArgNames({"side", "replacing", "contours"})
    ->ArgsProduct({{513, 1025, 2049, 4097}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();

int main(int argc, char** argv)
{
    installDefaultSurfaceFormat();
    QGuiApplication application(argc, argv);
    QOpenGLContext context;
    context.setFormat(QSurfaceFormat::defaultFormat());
    QOffscreenSurface surface;
    surface.setFormat(QSurfaceFormat::defaultFormat());
    surface.create();
    if (!context.create() || !context.makeCurrent(&surface)) {
        std::fprintf(stderr, "ViewsBenchmark: no OpenGL context (run it under xvfb-run)\n");
        return 1;
    }
    QOpenGLFramebufferObject frame(kFrameWidth, kFrameHeight, QOpenGLFramebufferObject::Depth);
    frame.bind();
    benchmark::AddCustomContext("GL_RENDERER", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchmark::AddCustomContext("GL_VERSION", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    return runSelectedBenchmarks(argc, argv);
}
