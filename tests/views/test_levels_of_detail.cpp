// Levels of detail: what the hierarchy measures, the error the chosen levels make on
// screen, and a rough terrain drawn without cracks.

#include "diagnostics/CollectingSink.h"
#include "support/ShownView.h"
#include "support/TestGrids.h"
#include "support/ViewCamera.h"
#include "views/BackgroundPriority.h"
#include "views/ChunkBuffers.h"
#include "views/ChunkHierarchy.h"
#include "views/ChunkMesh.h"
#include "views/ChunkSelection.h"
#include "views/GLGrid.h"
#include "views/SurfaceCoordinates.h"
#include "views/SurfaceFormat.h"

#include <QSemaphore>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>

namespace {

// Hills with a rough surface on them: every level of a chunk strays from it.
float roughHills(int row, int column)
{
    std::uint32_t hash = static_cast<std::uint32_t>(row) * 73856093u ^ static_cast<std::uint32_t>(column) * 19349663u;
    hash = (hash ^ (hash >> 13)) * 1274126177u;
    const float noise = static_cast<float>(hash >> 8) / static_cast<float>(1u << 24);
    return 400.0f + 150.0f * std::sin(row * 0.02f) * std::cos(column * 0.017f) + 40.0f * std::sin(column * 0.11f)
         + 6.0f * noise;
}

// Every thread of the background pool held until destruction: a job started meanwhile
// waits in the queue, so a test can look at a view whose worker has not finished,
// whatever the machine's speed.
class BackgroundThreadsHeld {
public:
    BackgroundThreadsHeld() : count_(background_priority::backgroundThreads().maxThreadCount())
    {
        // Shared: a blocker may still be leaving acquire() when this object is gone.
        for (int i = 0; i < count_; ++i)
            background_priority::backgroundThreads().start([release = release_] { release->acquire(); });
    }
    ~BackgroundThreadsHeld() { release_->release(count_); }

private:
    int count_;
    std::shared_ptr<QSemaphore> release_ = std::make_shared<QSemaphore>();
};

// A shown view of the rough terrain at 1,100 x 1,000 samples, which it draws at levels of detail.
std::unique_ptr<GLGrid> roughTerrainView()
{
    auto view = shownView(480, 360);
    if (view != nullptr)
        fillTestGrid(view->grid, 1100, 1000, 20.0f, roughHills);
    return view;
}

// The rough hills on 400 x 330 samples, their hierarchy measured (empty if that failed)
// and placed as the views place them.
struct RoughHillsInChunks {
    VeskGrid grid;
    ChunkHierarchy hierarchy;
    SurfacePlacement placement;

    RoughHillsInChunks()
    {
        fillTestGrid(grid, 400, 330, 20.0f, roughHills);
        hierarchy.build(grid);
        placement = {surface_coordinates::cellScale(grid.cellSize), grid.minHeight};
    }
};

// Where a pixel lands on screen for a point in the surface's coordinates; false behind the eye.
bool project(const PickCamera& camera, double x, double y, double z, double& px, double& py)
{
    const double* m = camera.modelView;
    const double* p = camera.projection;
    const double eye[4] = {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
                           m[2] * x + m[6] * y + m[10] * z + m[14], 1.0};
    double clip[4];
    for (int i = 0; i < 4; ++i)
        clip[i] = p[i] * eye[0] + p[4 + i] * eye[1] + p[8 + i] * eye[2] + p[12 + i] * eye[3];
    if (!(clip[3] > 0.0))
        return false;
    px = (clip[0] / clip[3] + 1.0) * camera.viewport[2] / 2.0;
    py = (clip[1] / clip[3] + 1.0) * camera.viewport[3] / 2.0;
    return true;
}

// The largest distance on screen between a sample and the drawn mesh's point at the
// same x and y, over the samples under the mesh's surface triangles.
double largestScreenError(const VeskGrid& grid, const ChunkMesh& mesh, const PickCamera& camera)
{
    using namespace surface_coordinates;
    const double scale = cellScale(grid.cellSize);
    const auto vertex = [&](std::uint32_t index) { return mesh.vertices.data() + index * mesh.floatsPerVertex; };
    double largest = 0.0;
    for (std::size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        const float* a = vertex(mesh.indices[t]);
        const float* b = vertex(mesh.indices[t + 1]);
        const float* c = vertex(mesh.indices[t + 2]);
        if (std::max({mesh.indices[t], mesh.indices[t + 1], mesh.indices[t + 2]})
            >= static_cast<std::uint32_t>(mesh.surfaceVertices))
            continue; // a skirt
        const int firstColumn = static_cast<int>(std::lround(std::min({a[0], b[0], c[0]}) / scale));
        const int lastColumn = static_cast<int>(std::lround(std::max({a[0], b[0], c[0]}) / scale));
        const int firstRow = static_cast<int>(std::lround(std::min({a[1], b[1], c[1]}) / scale));
        const int lastRow = static_cast<int>(std::lround(std::max({a[1], b[1], c[1]}) / scale));
        const double area = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
        for (int row = firstRow; row <= lastRow; ++row)
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const double x = static_cast<float>(column * scale);
                const double y = static_cast<float>(row * scale);
                const double wa = ((b[0] - x) * (c[1] - y) - (c[0] - x) * (b[1] - y)) / area;
                const double wb = ((c[0] - x) * (a[1] - y) - (a[0] - x) * (c[1] - y)) / area;
                const double wc = 1.0 - wa - wb;
                if (wa < -1e-9 || wb < -1e-9 || wc < -1e-9)
                    continue;
                const double onMesh = wa * a[2] + wb * b[2] + wc * c[2];
                const double sample = static_cast<float>(heightAbove(grid.heights[row][column], grid.minHeight));
                double sx, sy, mx, my;
                if (project(camera, x, y, sample, sx, sy) && project(camera, x, y, onMesh, mx, my))
                    largest = std::max(largest, std::hypot(sx - mx, sy - my));
            }
    }
    return largest;
}

// Terrain pixels of the full drawing, all of whose neighbours within reach are terrain
// too, that the other drawing leaves white.
int holesInside(const QImage& full, const QImage& other, int reach)
{
    const auto white = [](const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xffffff) == 0xffffff; };
    int holes = 0;
    for (int y = reach; y < full.height() - reach; ++y)
        for (int x = reach; x < full.width() - reach; ++x) {
            bool inside = true;
            for (int dy = -reach; dy <= reach && inside; ++dy)
                for (int dx = -reach; dx <= reach && inside; ++dx)
                    inside = !white(full, x + dx, y + dy);
            if (inside && white(other, x, y))
                ++holes;
        }
    return holes;
}

// A shown view, and the rough hills (600 x 500 samples) with their chunk hierarchy: for
// driving ChunkBuffers directly in the view's context.
struct RoughChunks {
    std::unique_ptr<GLGrid> view = shownView(200, 150);
    VeskGrid grid;
    ChunkHierarchy hierarchy;

    bool ready()
    {
        fillTestGrid(grid, 600, 500, 20.0f, roughHills);
        return view != nullptr && hierarchy.build(grid);
    }
};

} // namespace

class LevelsOfDetailTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { installDefaultSurfaceFormat(); }

private slots:
    void errorsStartAtZeroAndNeverFall()
    {
        VeskGrid grid;
        fillTestGrid(grid, 300, 200, 20.0f, roughHills);
        ChunkHierarchy hierarchy;
        QVERIFY(hierarchy.build(grid));
        QCOMPARE(hierarchy.chunkColumns(), 5); // 299 cells in chunks of 64
        QCOMPARE(hierarchy.chunkRows(), 4);
        QCOMPARE(hierarchy.levels(), 7);
        for (int chunk = 0; chunk < hierarchy.chunkCount(); ++chunk) {
            QCOMPARE(hierarchy.error(chunk, 0), 0.0f);
            QVERIFY(hierarchy.error(chunk, 1) > 0.0f);
            for (int level = 1; level < hierarchy.levels(); ++level)
                QVERIFY(hierarchy.error(chunk, level) >= hierarchy.error(chunk, level - 1));
        }
    }

    void aPlaneIsExactAtEveryLevelAndASpikeCountsInItsChunkAlone()
    {
        VeskGrid grid;
        fillTestGrid(grid, 200, 150, 10.0f, [](int r, int c) { return 3.0f * r - 2.0f * c + 1000.0f; });
        grid.heights[71][99] += 250.0f; // odd row and column: no level above 0 keeps it
        ChunkHierarchy hierarchy;
        QVERIFY(hierarchy.build(grid));
        const int spiked = 1 * hierarchy.chunkColumns() + 1;
        for (int chunk = 0; chunk < hierarchy.chunkCount(); ++chunk)
            for (int level = 1; level < hierarchy.levels(); ++level) {
                if (chunk == spiked)
                    QVERIFY(std::fabs(hierarchy.error(chunk, level) - 250.0f) < 0.01f);
                else
                    QVERIFY(hierarchy.error(chunk, level) < 0.001f);
            }
    }

    // Level 0 draws every segment of the full profile lines once; a coarser level's
    // segments join samples of one line and stray from it by no more than its error.
    void profileLinesThroughTheLevelsAreExactAtLevelZeroAndWithinTheErrorAbove()
    {
        VeskGrid grid;
        fillTestGrid(grid, 300, 200, 20.0f, roughHills);
        ChunkHierarchy hierarchy;
        QVERIFY(hierarchy.build(grid));
        for (const bool uCurves : {true, false}) {
            const int lines = uCurves ? grid.height : grid.width;
            const int length = uCurves ? grid.width : grid.height;
            const int spacing = 3;
            for (const int coarser : {0, 2}) {
                std::vector<int> drawn(static_cast<std::size_t>(lines) * length, 0);
                for (int chunk = 0; chunk < hierarchy.chunkCount(); ++chunk) {
                    const int level = chunk % 2 == 0 ? 0 : coarser;
                    const ChunkMesh mesh = buildChunkCurves(grid, hierarchy, chunk, level, uCurves, spacing);
                    for (std::size_t k = 0; k + 1 < mesh.indices.size(); k += 2) {
                        const float* a = mesh.vertices.data() + 3 * mesh.indices[k];
                        const float* b = mesh.vertices.data() + 3 * mesh.indices[k + 1];
                        const auto sampleOf = [](float coordinate) {
                            return static_cast<int>(std::lround(coordinate / surface_coordinates::kCurveSpacing));
                        };
                        const int line = sampleOf(uCurves ? a[1] : a[0]);
                        QCOMPARE(sampleOf(uCurves ? b[1] : b[0]), line);
                        QCOMPARE(line % spacing, 0);
                        const int from = sampleOf(uCurves ? a[0] : a[1]);
                        const int to = sampleOf(uCurves ? b[0] : b[1]);
                        QVERIFY(to > from && (level > 0 || to == from + 1));
                        const auto height = [&](int at) {
                            return uCurves ? grid.heights[line][at] : grid.heights[at][line];
                        };
                        QCOMPARE(a[2], static_cast<float>(surface_coordinates::heightAbove(height(from), grid.minHeight)));
                        for (int at = from; at < to; ++at) {
                            ++drawn[static_cast<std::size_t>(line) * length + at];
                            const double t = static_cast<double>(at - from) / (to - from);
                            const double onLine = (1.0 - t) * height(from) + t * height(to);
                            QVERIFY(std::fabs(height(at) - onLine) <= hierarchy.error(chunk, level) + 1e-3);
                        }
                    }
                }
                if (coarser == 0)
                    for (int line = 0; line < lines; ++line)
                        for (int at = 0; at + 1 < length; ++at)
                            QCOMPARE(drawn[static_cast<std::size_t>(line) * length + at], line % spacing == 0 ? 1 : 0);
                else
                    QVERIFY(*std::max_element(drawn.begin(), drawn.end()) == 1);
            }
        }
    }

    void aGridWithoutASurfaceHasNoHierarchy()
    {
        VeskGrid grid;
        fillTestGrid(grid, 1, 50, 10.0f, roughHills);
        ChunkHierarchy hierarchy;
        QVERIFY(!hierarchy.build(grid));
        QVERIFY(hierarchy.empty());
        fillTestGrid(grid, 50, 50, 10.0f, roughHills);
        grid.heights.reshape(grid.heights.rows() - 1, grid.heights.columns());
        QVERIFY(!hierarchy.build(grid));
    }

    // Random poses and bounds; every chunk drawn coarser than its samples stays within
    // the bound on screen, measured by projecting each sample and the mesh above or below it.
    void everyDrawnChunkStaysWithinTheBoundOnScreen()
    {
        const RoughHillsInChunks hills;
        QVERIFY(!hills.hierarchy.empty());
        const VeskGrid& grid = hills.grid;
        const ChunkHierarchy& hierarchy = hills.hierarchy;
        const SurfacePlacement& placement = hills.placement;
        std::mt19937 random(27); // a fixed seed: the same poses every run
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        int coarseChunks = 0;
        for (int pose = 0; pose < 12; ++pose) {
            const PickCamera camera =
                viewCamera(400, 300, {-4.0 * unit(random), -4.0 * unit(random), -2.0 - 8.0 * unit(random)},
                           1.0 + 2.0 * unit(random), {-85.0 + 60.0 * unit(random), 0.0, 360.0 * unit(random)});
            const float bound = pose % 3 == 0 ? 0.5f : static_cast<float>(pose % 3);
            for (const ChunkChoice& choice : chooseChunkLevels(hierarchy, placement, camera, bound)) {
                if (choice.level == 0)
                    continue;
                ++coarseChunks;
                const ChunkMesh mesh = buildChunkMesh(grid, hierarchy, choice.chunk, choice.level, RenderMode::Plain);
                QVERIFY2(largestScreenError(grid, mesh, camera) <= bound + 1e-3,
                         qPrintable(QStringLiteral("pose %1, chunk %2").arg(pose).arg(choice.chunk)));
            }
        }
        QVERIFY(coarseChunks > 20);
    }

    // A frame beyond its triangle budget loosens the bound until it fits, never drawing
    // a chunk finer than the bound alone chose; within the budget the choice is the bound's.
    void aFrameBeyondItsTriangleBudgetIsCoarsenedToFitIt()
    {
        const RoughHillsInChunks hills;
        QVERIFY(!hills.hierarchy.empty());
        const PickCamera camera = viewCamera(400, 300, {-2.0, -2.0, -3.0}, 1.5, {-80.0, 0.0, 30.0});
        const auto triangles = [&](const std::vector<ChunkChoice>& choices) {
            return chosenTriangles(hills.hierarchy, choices);
        };
        const std::vector<ChunkChoice> bounded = chooseChunkLevels(hills.hierarchy, hills.placement, camera, 1.0f);
        const long long wanted = triangles(bounded);
        QVERIFY(wanted > 4000);
        const std::vector<ChunkChoice> budgeted =
            chooseChunkLevelsWithin(hills.hierarchy, hills.placement, camera, 1.0f, wanted / 4);
        QVERIFY2(triangles(budgeted) <= wanted / 4, qPrintable(QString::number(triangles(budgeted))));
        QCOMPARE(budgeted.size(), bounded.size());
        for (std::size_t i = 0; i < bounded.size(); ++i)
            QVERIFY(budgeted[i].chunk == bounded[i].chunk && budgeted[i].level >= bounded[i].level);
        const std::vector<ChunkChoice> roomy = chooseChunkLevelsWithin(hills.hierarchy, hills.placement, camera, 1.0f, wanted);
        QVERIFY(std::equal(roomy.begin(), roomy.end(), bounded.begin(), bounded.end(),
                           [](const ChunkChoice& a, const ChunkChoice& b) { return a.chunk == b.chunk && a.level == b.level; }));
        QCOMPARE(chooseChunkLevelsWithin(hills.hierarchy, hills.placement, camera, 0.0f, 1).front().level, 0);
    }

    // The rough terrain under a grazing camera, at a bound that mixes levels: no white
    // pixel inside the full drawing's outline (away from its silhouette).
    void everyFrameMakesMeshesHoweverLongDrawingTheHeldOnesTakes()
    {
        RoughChunks rough;
        QVERIFY(rough.ready());
        auto& [view, grid, hierarchy] = rough;
        std::vector<ChunkChoice> choices;
        for (int chunk = 0; chunk < hierarchy.chunkCount(); ++chunk)
            choices.push_back({chunk, 0});
        view->makeCurrent();
        ChunkBuffers buffers;
        // A budget smaller than drawing the held chunks takes, which once ended every
        // frame's making before it began.
        buffers.buildMilliseconds = 1;
        int standIns = hierarchy.chunkCount();
        for (int frame = 0; standIns > 0 && frame <= hierarchy.chunkCount(); ++frame) {
            buffers.draw(grid, hierarchy, choices, ChunkContent::surface(RenderMode::Plain), true);
            QVERIFY2(buffers.lastFrame().standIns < standIns, qPrintable(QStringLiteral("frame %1").arg(frame)));
            standIns = buffers.lastFrame().standIns;
        }
        QCOMPARE(standIns, 0);
        buffers.release();
        view->doneCurrent();
    }

    // A mesh a worker made comes into its buffers a band at a time: until the last band
    // the chunk is drawn at a level held and is not asked for again.
    void anAdoptedMeshIsDrawnOnceItsLastBandIsIn()
    {
        RoughChunks rough;
        QVERIFY(rough.ready());
        auto& [view, grid, hierarchy] = rough;
        const std::vector<ChunkChoice> choices{{0, 0}};
        const ChunkContent content = ChunkContent::surface(RenderMode::Plain);
        view->makeCurrent();
        ChunkBuffers buffers;
        buffers.buildMilliseconds = 0;
        buffers.draw(grid, hierarchy, choices, content, true);
        QCOMPARE(buffers.lastMissing().size(), std::size_t(1));
        ChunkMesh mesh = ChunkBuffers::buildMesh(grid, hierarchy, 0, 0, content);
        const std::size_t band = mesh.bytes() / 3 + 1;
        buffers.adopt(0, 0, content, std::move(mesh));
        int bands = 0;
        while (buffers.uploading() && bands < 10) {
            buffers.draw(grid, hierarchy, choices, content, true);
            QCOMPARE(buffers.lastFrame().standIns, 1);
            QVERIFY(buffers.lastMissing().empty());
            buffers.advanceUpload(band);
            ++bands;
        }
        QCOMPARE(bands, 3);
        buffers.draw(grid, hierarchy, choices, content, true);
        QCOMPARE(buffers.lastFrame().standIns, 0);
        buffers.release();
        view->doneCurrent();
    }

    void aRoughTerrainUnderAGrazingCameraShowsNoCracks()
    {
        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        auto view = roughTerrainView();
        QVERIFY(view != nullptr);
        view->grid.normalsValid = false; // lit by its own normals, which the worker makes
        QVERIFY(view->surface.drawsLevelsOfDetail(view->grid));
        view->updateGUI();
        view->setXRotation(-62);
        view->setZRotation(35);
        view->fitTerrain();
        view->setScreenError(4.0);
        // Frames until the hierarchy is in and every chunk is drawn at its own level.
        const ChunkBuffers::FrameFigures& frame = view->surface.levelOfDetailFrame();
        QImage coarse;
        QTRY_VERIFY_WITH_TIMEOUT((coarse = view->grabFramebuffer(), frame.chunks > 0 && frame.standIns == 0), 60000);
        const long long triangles = frame.triangles;
        QVERIFY(triangles > 0);
        QVERIFY(triangles < 2LL * 1099 * 999 / 4);

        view->setScreenError(0.0);
        QImage full;
        QTRY_VERIFY_WITH_TIMEOUT((full = view->grabFramebuffer(), view->surface.uploads().vertices == 1
                                                                      && !view->surface.filling()
                                                                      && !view->surface.uploading()),
                                 60000);
        coarse.save(QStringLiteral(TALVANE_TEST_OUTPUT "/rough_levels_of_detail.png"));
        full.save(QStringLiteral(TALVANE_TEST_OUTPUT "/rough_full.png"));
        QVERIFY(countNonWhite(full) > 10000);
        QCOMPARE(holesInside(full, coarse, 5), 0);
    }

    // A frame while the worker makes meshes for the plain surface, in a colouring whose
    // curvature is not made yet: it makes none of that colouring's meshes (they would keep
    // the colour of missing data), and the view comes in, every chunk at its own level,
    // in the new mode.
    void aModeChangedWhileMeshesAreMadeWaitsForItsData()
    {
        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        auto view = roughTerrainView();
        QVERIFY(view != nullptr);
        // No curvature yet: the view makes it when a mode first reads it.
        view->grid.curvature.clear();
        view->grid.slope.clear();
        view->grid.surfaceValid = false;
        view->updateGUI();
        view->setXRotation(-50);
        view->fitTerrain();
        // The view in, at a loose bound.
        view->setScreenError(4.0);
        const ChunkBuffers::FrameFigures& frame = view->surface.levelOfDetailFrame();
        QTRY_VERIFY_WITH_TIMEOUT((view->grabFramebuffer(), frame.chunks > 0 && frame.standIns == 0
                                                               && !view->surface.filling()),
                                 60000);
        {
            // A tight bound: the chunks drawn lack their finer levels, which a worker is to make.
            const BackgroundThreadsHeld held;
            view->setScreenError(0.25);
            QTRY_VERIFY_WITH_TIMEOUT((view->grabFramebuffer(), frame.chunks > 0 && view->surface.filling()), 60000);
            QVERIFY(view->grid.curvature.empty());
            view->setRenderMethod(static_cast<int>(RenderMode::Curvature));
            view->grabFramebuffer();
            QCOMPARE(frame.chunks, 0);
        }
        QTRY_VERIFY_WITH_TIMEOUT((view->grabFramebuffer(), !view->grid.curvature.empty() && frame.chunks > 0
                                                               && frame.standIns == 0 && !view->surface.filling()),
                                 60000);
    }

    void profileLinesOfALargeGridDrawThroughTheLevels()
    {
        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        auto view = roughTerrainView();
        QVERIFY(view != nullptr);
        view->updateGUI();
        view->setRenderMethod(static_cast<int>(RenderMode::Contours));
        view->setContourSpacing(16);
        view->setXRotation(-50);
        view->fitTerrain();
        const ChunkBuffers::FrameFigures& frame = view->surface.levelOfDetailFrame();
        QImage coarse;
        QTRY_VERIFY_WITH_TIMEOUT((coarse = view->grabFramebuffer(), frame.chunks > 0 && frame.standIns == 0), 60000);
        QVERIFY(frame.segments > 0 && frame.segments < 1000LL * 1099 / 16);
        QCOMPARE(frame.triangles, 0LL);

        view->setScreenError(0.0);
        QImage full;
        QTRY_VERIFY_WITH_TIMEOUT((full = view->grabFramebuffer(), view->surface.uploads().curves == 1
                                                                      && !view->surface.filling()
                                                                      && !view->surface.uploading()),
                                 60000);
        coarse.save(QStringLiteral(TALVANE_TEST_OUTPUT "/rough_profile_levels_of_detail.png"));
        full.save(QStringLiteral(TALVANE_TEST_OUTPUT "/rough_profile_full.png"));
        // The same lines, a little thinned where the levels keep fewer rows.
        const int fullInk = countNonWhite(full);
        QVERIFY(fullInk > 5000);
        QVERIFY(countNonWhite(coarse) > fullInk / 2 && countNonWhite(coarse) <= fullInk * 11 / 10);
    }
};

QTEST_MAIN(LevelsOfDetailTest)
#include "test_levels_of_detail.moc"
