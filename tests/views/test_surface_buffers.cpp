// The surface drawn from buffer objects against the immediate-mode drawing: on the
// real sample DEM, for every render mode and both kinds of profile lines, the values
// OpenGL's feedback mode reads back from the two paths are the same, bit for bit and
// in the same order. Also: the parallel fill gives the serial fill's bytes, a
// cancelled fill leaves nothing, only the parts asked for are uploaded, and an upload
// spread over bands (the surface and the profile lines of either direction) draws,
// once complete, what a one-shot upload draws, never mixing the bands of two uploads.

#include "diagnostics/CollectingSink.h"
#include "grid/VeskGrid.h"
#include "support/GLTestContext.h"
#include "support/TestGrids.h"
#include "views/SurfaceArrays.h"
#include "views/SurfaceBuffers.h"
#include "views/GridDrawing.h"
#include "views/SurfaceColours.h"
#include "views/SurfaceFormat.h"
#include "views/ViewLighting.h"
#include "views/ViewSurface.h"

#include <QtTest>

#include <GL/gl.h>

#include <QThread>

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

struct Lighting {
    bool viewLight; // the view's directional light: lit colours depend on the normals
};

// Every value feedback mode returns for the drawing, in an orthographic box around the
// whole terrain (nothing clipped), with a tilted model-view so that all three normal
// components reach the lighting.
std::vector<GLfloat> feedbackValues(const VeskGrid& grid, const Lighting& lighting, const std::function<void()>& draw)
{
    const double extent = std::max(grid.width, grid.height) * grid.cellSize * 0.0005 + 1.0;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, 1000, 1000);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-2.0 * extent, 2.0 * extent, -2.0 * extent, 2.0 * extent, -4.0 * extent, 4.0 * extent);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(-35.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(20.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    if (lighting.viewLight) {
        applyViewLighting();
    } else {
        // No light and a white ambient: each vertex carries exactly its material colour.
        const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, white);
        glDisable(GL_LIGHT0);
    }

    // A token and a count per triangle, seven values per vertex.
    const std::size_t triangles = 2 * static_cast<std::size_t>(grid.width) * static_cast<std::size_t>(grid.height);
    std::vector<GLfloat> values(triangles * 23 + 1024);
    glFeedbackBuffer(static_cast<GLsizei>(values.size()), GL_3D_COLOR, values.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    values.resize(used > 0 ? static_cast<std::size_t>(used) : 0);
    return values;
}

bool sameBits(const std::vector<GLfloat>& a, const std::vector<GLfloat>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(GLfloat)) == 0;
}

// Where two feedback streams first differ, for the failure message.
QString firstDifference(const std::vector<GLfloat>& immediate, const std::vector<GLfloat>& buffered)
{
    const std::size_t common = std::min(immediate.size(), buffered.size());
    for (std::size_t i = 0; i < common; ++i)
        if (std::memcmp(&immediate[i], &buffered[i], sizeof(GLfloat)) != 0)
            return QStringLiteral("value %1: immediate %2, buffers %3 (sizes %4, %5)")
                .arg(i).arg(immediate[i], 0, 'g', 9).arg(buffered[i], 0, 'g', 9).arg(immediate.size()).arg(buffered.size());
    return QStringLiteral("sizes %1 and %2").arg(immediate.size()).arg(buffered.size());
}

bool sameTriples(const TripleArray& a, const TripleArray& b)
{
    return a.triples == b.triples && (a.empty() || std::memcmp(a.data(), b.data(), a.bytes()) == 0);
}

// The first values of a feedback stream: the triangles of its first strips.
bool startsWith(const std::vector<GLfloat>& whole, const std::vector<GLfloat>& prefix)
{
    return prefix.size() <= whole.size() && std::memcmp(whole.data(), prefix.data(), prefix.size() * sizeof(GLfloat)) == 0;
}

// Feedback values of one strip of a grid's surface: 2 x width - 2 triangles of 23 values.
std::size_t stripValues(const VeskGrid& grid)
{
    return (2 * static_cast<std::size_t>(grid.width) - 2) * 23;
}

// A worker fill of the view surface has finished; the event loop is not run, so no
// upload step happens behind the test's back.
bool fillFinishes(const ViewSurface& surface)
{
    for (int waited = 0; waited < 120000 && surface.filling(); waited += 5)
        QThread::msleep(5);
    return !surface.filling();
}

SurfaceRequest everything(RenderMode mode, bool uCurves = true)
{
    return SurfaceRequest{true, true, mode, true, uCurves};
}

// The profile lines as the contour mode draws them: unlit, in black.
std::vector<GLfloat> curveFeedback(const VeskGrid& grid, const std::function<void()>& draw)
{
    return feedbackValues(grid, {false}, [&] {
        glDisable(GL_LIGHTING);
        glColor3f(0.0f, 0.0f, 0.0f);
        draw();
    });
}

// Contours draw the plain surface when asked for one, as the immediate drawing does.
constexpr RenderMode kModes[] = {RenderMode::Plain, RenderMode::Contours, RenderMode::HeightColours,
                                 RenderMode::Curvature, RenderMode::Slope};

} // namespace

class SurfaceBuffersTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { installDefaultSurfaceFormat(); }

private:
    GLTestContext context_;
    VeskGrid dem_;

    // The buffers of one render mode of the grid, filled and uploaded.
    void uploadAll(const VeskGrid& grid, RenderMode mode, SurfaceBuffers& buffers, bool uCurves = true)
    {
        SurfaceArrays arrays;
        QVERIFY(fillSurfaceArrays(grid, everything(mode, uCurves), arrays, FillThreads::All));
        QVERIFY(buffers.upload(arrays, everything(mode, uCurves)));
    }

    // Just above the size filled in place, so that a view surface's worker fills it;
    // everything each colouring reads is made.
    static void largeRippledBowl(VeskGrid& grid)
    {
        fillTestGrid(grid, 725, 725, 20.0f, [](int r, int c) {
            return 0.01f * float((r - 300) * (r - 300) + (c - 400) * (c - 400)) + 8.0f * std::sin(0.1f * float(c));
        });
        grid.ensureNormals();
        grid.ensureSurfaceAnalysis();
    }

    // A view surface's paint starts the worker fill of the grid, whose first band of
    // 4 MiB is then taken in without the event loop.
    static void startBandedUpload(ViewSurface& surface, VeskGrid& grid, RenderMode mode)
    {
        surface.bandBytes = std::size_t{4} << 20;
        surface.paintSurface(grid, mode); // starts the fill, draws nothing yet
        QVERIFY(fillFinishes(surface));
        surface.advanceUpload();
        QVERIFY(surface.uploading());
    }

    // The feedback of the surface of one render mode uploaded in one go.
    std::vector<GLfloat> oneShotSurface(const VeskGrid& grid, RenderMode mode)
    {
        SurfaceBuffers whole;
        uploadAll(grid, mode, whole);
        const std::vector<GLfloat> values = feedbackValues(grid, {true}, [&] { whole.drawSurface(); });
        whole.destroy();
        return values;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(context_.create(), context_.error());
        qInfo("GL_RENDERER %s", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        QVERIFY(dem_.loadGRDFile(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.grd")));
        dem_.ensureNormals();
        dem_.ensureSurfaceAnalysis();
        QCOMPARE(dem_.width, 403);
        QCOMPARE(dem_.height, 344);
    }

    void realDemSurfaceIsTheImmediateSurface_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("viewLight");
        for (const RenderMode mode : kModes) {
            const int index = static_cast<int>(mode);
            QTest::addRow("mode %d, material colours", index) << index << false;
            QTest::addRow("mode %d, lit by the view's light", index) << index << true;
        }
    }

    void realDemSurfaceIsTheImmediateSurface()
    {
        QFETCH(int, mode);
        QFETCH(bool, viewLight);
        const auto chosen = static_cast<RenderMode>(mode);
        SurfaceBuffers buffers;
        uploadAll(dem_, chosen, buffers);
        QCOMPARE(buffers.hasColours(), coloursSurface(chosen));

        const std::vector<GLfloat> immediate =
            feedbackValues(dem_, {viewLight}, [&] { drawSurface(dem_, chosen); });
        const std::vector<GLfloat> buffered = feedbackValues(dem_, {viewLight}, [&] { buffers.drawSurface(); });
        buffers.destroy();
        // Every triangle of the 343 strips of 2 x 403 - 2 triangles came through.
        QCOMPARE(immediate.size(), std::size_t{343} * 804 * 23);
        QVERIFY2(sameBits(immediate, buffered), qPrintable(firstDifference(immediate, buffered)));
    }

    void realDemCurvesAreTheImmediateCurves_data()
    {
        QTest::addColumn<bool>("uCurves");
        QTest::addColumn<int>("spacing");
        for (const bool u : {true, false})
            for (const int spacing : {1, 7, 500, 0})
                QTest::addRow("%s-curves, spacing %d", u ? "u" : "v", spacing) << u << spacing;
    }

    void realDemCurvesAreTheImmediateCurves()
    {
        QFETCH(bool, uCurves);
        QFETCH(int, spacing);
        SurfaceBuffers buffers;
        uploadAll(dem_, RenderMode::Plain, buffers, uCurves);
        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        const std::vector<GLfloat> immediate = curveFeedback(dem_, [&] { drawCurves(dem_, uCurves, spacing); });
        const std::vector<GLfloat> buffered = curveFeedback(dem_, [&] { buffers.drawCurves(spacing); });
        buffers.destroy();
        QVERIFY(!immediate.empty());
        QVERIFY2(sameBits(immediate, buffered), qPrintable(firstDifference(immediate, buffered)));
    }

    void parallelFillGivesTheSerialBytes()
    {
        // The DEM, and a grid with heights that are not numbers and uneven cells.
        VeskGrid odd;
        fillTestGrid(
            odd, 257, 131, 30.0f,
            [](int r, int c) { return (r * 31 + c * 17) % 97 == 0 ? std::nanf("") : 0.37f * r - 0.11f * c * c; },
            [](int r, int c) { return std::sin(0.1f * r * c); }, [](int r, int c) { return 0.001f * ((r + c) % 1000); });
        for (const VeskGrid* grid : {&dem_, &odd}) {
            for (const RenderMode mode : kModes) {
                // The v-curves with one of the colourings each.
                const bool uCurves = mode != RenderMode::Slope && mode != RenderMode::Contours;
                SurfaceArrays serial;
                SurfaceArrays parallel;
                QVERIFY(fillSurfaceArrays(*grid, everything(mode, uCurves), serial, FillThreads::One));
                QVERIFY(fillSurfaceArrays(*grid, everything(mode, uCurves), parallel, FillThreads::All));
                QVERIFY(!serial.positions.empty() && !serial.curvePositions.empty());
                QCOMPARE(serial.colours.empty(), !coloursSurface(mode));
                QVERIFY(sameTriples(serial.positions, parallel.positions));
                QVERIFY(sameTriples(serial.normals, parallel.normals));
                QVERIFY(sameTriples(serial.colours, parallel.colours));
                QVERIFY(sameTriples(serial.curvePositions, parallel.curvePositions));
            }
        }
    }

    void arraysHaveTheDocumentedSizes()
    {
        SurfaceArrays arrays;
        QVERIFY(fillSurfaceArrays(dem_, everything(RenderMode::Slope), arrays, FillThreads::All));
        const std::size_t samples = 403 * 344;
        QCOMPARE(arrays.positions.triples, samples);
        QCOMPARE(arrays.normals.triples, samples);
        QCOMPARE(arrays.colours.triples, std::size_t{2 * 403 * 343});
        QCOMPARE(arrays.curvePositions.triples, samples);
        // Strip b's upper block holds sample (b+1, i)'s height colour; spot-check one.
        SurfaceArrays height;
        QVERIFY(fillSurfaceArrays(dem_, everything(RenderMode::HeightColours), height, FillThreads::One));
        const float* upper = height.colours.data() + (6 * 403 * 100 + 3 * 403) + 3 * 7;
        const Rgba expected = heightColour(dem_, dem_.heights[101][7]);
        QCOMPARE(upper[0], expected.red);
        QCOMPARE(upper[1], expected.green);
        QCOMPARE(upper[2], expected.blue);

        // The v-curves column by column: column 7's line holds sample (101, 7) at its place 101.
        SurfaceArrays columns;
        QVERIFY(fillSurfaceArrays(dem_, everything(RenderMode::Plain, false), columns, FillThreads::All));
        QCOMPARE(columns.curvePositions.triples, samples);
        QVERIFY(!columns.uCurves);
        const float* sample = columns.curvePositions.data() + 3 * (344 * 7 + 101);
        const float* sameSample = arrays.curvePositions.data() + 3 * (403 * 101 + 7);
        QVERIFY(std::memcmp(sample, sameSample, 3 * sizeof(float)) == 0);
        QCOMPARE(sample[0], static_cast<float>(7 * 0.02));
        QCOMPARE(sample[1], static_cast<float>(101 * 0.02));

        const std::vector<std::uint32_t> strip = stripIndices(3);
        QCOMPARE(strip, (std::vector<std::uint32_t>{0, 3, 1, 4, 2, 5}));
        QCOMPARE(curveLines(3, 4, true).count, 4);
        QCOMPARE(curveLines(3, 4, true).length, 3);
        QCOMPARE(curveLines(3, 4, false).count, 3);
        QCOMPARE(curveLines(3, 4, false).length, 4);
        QCOMPARE(curveLines(0, 4, false).count, 0);
    }

    void undrawableGridsFillNothing()
    {
        VeskGrid empty;
        SurfaceArrays arrays;
        QVERIFY(fillSurfaceArrays(empty, everything(RenderMode::HeightColours), arrays, FillThreads::All));
        QVERIFY(arrays.positions.empty() && arrays.colours.empty() && arrays.curvePositions.empty());

        VeskGrid narrow;
        fillTestGrid(narrow, 1, 5, 10.0f, [](int r, int) { return float(r); });
        QVERIFY(fillSurfaceArrays(narrow, everything(RenderMode::HeightColours), arrays, FillThreads::All));
        QVERIFY(arrays.positions.empty() && arrays.colours.empty());
        QCOMPARE(arrays.curvePositions.triples, std::size_t{5}); // a one-column grid still has its v-curve

        // Curvature short of a row: the strip without cells takes the default colour,
        // as in the immediate drawing, and the others their bands.
        VeskGrid stale;
        fillTestGrid(stale, 6, 6, 10.0f, [](int r, int c) { return float(r * c); }, [](int r, int) {
            return r % 2 == 0 ? 0.5f : -0.5f;
        });
        stale.curvature.reshape(stale.curvature.rows() - 1, stale.curvature.columns());
        QVERIFY(surfaceIsDrawable(stale));
        QVERIFY(fillSurfaceArrays(stale, everything(RenderMode::Curvature), arrays, FillThreads::All));
        QCOMPARE(arrays.colours.triples, std::size_t{2 * 6 * 5});
        const float* lastStrip = arrays.colours.data() + 6 * 6 * 4;
        for (int vertex = 0; vertex < 12; ++vertex)
            QCOMPARE(lastStrip[3 * vertex], kDefaultSurfaceColour.red);
        const Rgba darkRed = curvatureColour(0.5f);
        QCOMPARE(arrays.colours.data()[0], darkRed.red);
        QCOMPARE(arrays.colours.data()[2], darkRed.blue);
    }

    void cancelledFillLeavesNothing()
    {
        const std::atomic<bool> cancel{true};
        for (const FillThreads threads : {FillThreads::One, FillThreads::All}) {
            SurfaceArrays arrays;
            QVERIFY(!fillSurfaceArrays(dem_, everything(RenderMode::HeightColours), arrays, threads, &cancel));
            QVERIFY(arrays.positions.empty() && arrays.normals.empty() && arrays.colours.empty()
                    && arrays.curvePositions.empty());
        }
    }

    void aSpreadUploadDrawsTheOneShotSurfaceBandByBand()
    {
        for (const RenderMode mode : {RenderMode::HeightColours, RenderMode::Plain}) {
            SurfaceBuffers whole;
            uploadAll(dem_, mode, whole);
            const std::vector<GLfloat> expected = feedbackValues(dem_, {true}, [&] { whole.drawSurface(); });

            SurfaceArrays arrays;
            QVERIFY(fillSurfaceArrays(dem_, everything(mode), arrays, FillThreads::All));
            SurfaceBuffers spread;
            QVERIFY(spread.beginUpload(arrays, everything(mode)));
            QVERIFY(arrays.positions.empty() && arrays.colours.empty()); // taken over
            QVERIFY(feedbackValues(dem_, {true}, [&] { spread.drawSurface(); }).empty());
            // 50 rows a band: the surface grows by whole strips, each the one-shot surface's;
            // a band holds the row after it too, so its 50 strips are drawn at once.
            const std::size_t rowBytes = 403 * (mode == RenderMode::Plain ? 36 : 60);
            int bands = 0;
            bool more = true;
            while (more) {
                more = spread.advanceUpload(50 * rowBytes);
                ++bands;
                const std::vector<GLfloat> partial = feedbackValues(dem_, {true}, [&] { spread.drawSurface(); });
                const std::size_t strips = std::min(343, 50 * bands);
                QCOMPARE(partial.size(), strips * stripValues(dem_));
                QVERIFY(startsWith(expected, partial));
            }
            QCOMPARE(bands, 7);
            QCOMPARE(spread.uploads().bands, 7);
            QVERIFY(!spread.uploading());
            // The six rows shared by two vertex bands are held twice, positions and normals.
            QCOMPARE(spread.bytes(), whole.bytes() + std::size_t{6 * 403 * 24});
            QVERIFY(sameBits(expected, feedbackValues(dem_, {true}, [&] { spread.drawSurface(); })));
            const std::vector<GLfloat> wholeCurves = curveFeedback(dem_, [&] { whole.drawCurves(3); });
            QVERIFY(!wholeCurves.empty());
            QVERIFY(sameBits(wholeCurves, curveFeedback(dem_, [&] { spread.drawCurves(3); })));
            whole.destroy();
            spread.destroy();
        }
    }

    void aSpreadUploadBringsTheProfileLinesInBandsOfWholeLines_data()
    {
        QTest::addColumn<bool>("uCurves");
        QTest::addColumn<int>("spacing");
        for (const bool u : {true, false})
            for (const int spacing : {1, 4})
                QTest::addRow("%s-curves, spacing %d", u ? "u" : "v", spacing) << u << spacing;
    }

    void aSpreadUploadBringsTheProfileLinesInBandsOfWholeLines()
    {
        QFETCH(bool, uCurves);
        QFETCH(int, spacing);
        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        const std::vector<GLfloat> immediate = curveFeedback(dem_, [&] { drawCurves(dem_, uCurves, spacing); });

        // The contour mode's parts: vertices and profile lines, 403 x 36 bytes a row.
        const SurfaceRequest request{true, false, RenderMode::Contours, true, uCurves};
        SurfaceArrays arrays;
        QVERIFY(fillSurfaceArrays(dem_, request, arrays, FillThreads::All));
        SurfaceBuffers spread;
        QVERIFY(spread.beginUpload(arrays, request));
        QVERIFY(spread.hasCurves());
        QVERIFY(curveFeedback(dem_, [&] { spread.drawCurves(spacing); }).empty());
        int bands = 0;
        std::size_t drawnBefore = 0;
        bool more = true;
        while (more) {
            more = spread.advanceUpload(50 * 403 * 36);
            ++bands;
            // Each band adds whole lines in the immediate drawing's order.
            const std::vector<GLfloat> partial = curveFeedback(dem_, [&] { spread.drawCurves(spacing); });
            QVERIFY(startsWith(immediate, partial));
            QVERIFY(partial.size() > drawnBefore);
            drawnBefore = partial.size();
        }
        QCOMPARE(bands, 7);
        // Every line in, once, in buffers of their own: 12 bytes a sample, no index list.
        QCOMPARE(spread.bytes(), std::size_t{403 * 344 * 24 + 6 * 403 * 24 + 2 * 403 * 4 + 403 * 344 * 12});
        QVERIFY2(sameBits(immediate, curveFeedback(dem_, [&] { spread.drawCurves(spacing); })),
                 qPrintable(firstDifference(immediate, curveFeedback(dem_, [&] { spread.drawCurves(spacing); }))));
        spread.destroy();
    }

    void aViewSurfaceBringsALargeGridsProfileLinesInOverSeveralTurns()
    {
        VeskGrid grid;
        largeRippledBowl(grid);
        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        const std::vector<GLfloat> vCurves = curveFeedback(grid, [&] { drawCurves(grid, false, 3); });
        const std::vector<GLfloat> uCurves = curveFeedback(grid, [&] { drawCurves(grid, true, 3); });
        QVERIFY(!sameBits(vCurves, uCurves));

        ViewSurface surface;
        surface.bandBytes = std::size_t{4} << 20; // 160 rows of 725 x 36 bytes
        QVERIFY(curveFeedback(grid, [&] { surface.paintCurves(grid, false, 3); }).empty()); // starts the fill
        QVERIFY(fillFinishes(surface));
        surface.advanceUpload();
        QVERIFY(surface.uploading());
        const int firstBands = surface.uploads().bands;
        // Each paint copies one more band and draws the lines in so far, a start of the
        // immediate drawing's lines.
        std::size_t drawnBefore = 0;
        while (surface.uploading()) {
            const std::vector<GLfloat> partial = curveFeedback(grid, [&] { surface.paintCurves(grid, false, 3); });
            QVERIFY(startsWith(vCurves, partial));
            QVERIFY(partial.size() > drawnBefore);
            drawnBefore = partial.size();
        }
        QCOMPARE(surface.uploads().bands - firstBands + 1, 5); // 725 rows in bands of 160
        QVERIFY(sameBits(vCurves, curveFeedback(grid, [&] { surface.paintCurves(grid, false, 3); })));

        // The other direction: the v-curves stay drawn until the u-curves are all in.
        QVERIFY(sameBits(vCurves, curveFeedback(grid, [&] { surface.paintCurves(grid, true, 3); })));
        QVERIFY(fillFinishes(surface));
        surface.advanceUpload();
        while (surface.uploading()) {
            const std::vector<GLfloat> partial = curveFeedback(grid, [&] { surface.paintCurves(grid, true, 3); });
            QVERIFY(startsWith(uCurves, partial));
        }
        QVERIFY(sameBits(uCurves, curveFeedback(grid, [&] { surface.paintCurves(grid, true, 3); })));
        QCOMPARE(surface.uploads().vertices, 1);
        QCOMPARE(surface.uploads().curves, 2);
        surface.releaseBuffers();
    }

    void aNewUploadDropsTheUnfinishedBandsOfTheLastOne()
    {
        VeskGrid raised;
        fillTestGrid(raised, 403, 344, 30.0f, [this](int r, int c) { return dem_.heights[r][c] + 50.0f; });
        SurfaceBuffers raisedWhole;
        uploadAll(raised, RenderMode::Plain, raisedWhole);
        const std::vector<GLfloat> expected = feedbackValues(raised, {true}, [&] { raisedWhole.drawSurface(); });
        raisedWhole.destroy();

        SurfaceBuffers buffers;
        SurfaceArrays arrays;
        QVERIFY(fillSurfaceArrays(dem_, everything(RenderMode::Plain), arrays, FillThreads::All));
        QVERIFY(buffers.beginUpload(arrays, everything(RenderMode::Plain)));
        QVERIFY(buffers.advanceUpload(1));
        QVERIFY(buffers.advanceUpload(1));
        QVERIFY(fillSurfaceArrays(raised, everything(RenderMode::Plain), arrays, FillThreads::All));
        QVERIFY(buffers.beginUpload(arrays, everything(RenderMode::Plain)));
        // The old heights' rows are gone: nothing is drawn until the new rows come.
        QVERIFY(feedbackValues(raised, {true}, [&] { buffers.drawSurface(); }).empty());
        QVERIFY(buffers.advanceUpload(200 * 403 * 36));
        const std::vector<GLfloat> partial = feedbackValues(raised, {true}, [&] { buffers.drawSurface(); });
        QCOMPARE(partial.size(), 200 * stripValues(raised));
        QVERIFY(startsWith(expected, partial));
        QVERIFY(!buffers.advanceUpload(200 * 403 * 36));
        QVERIFY(sameBits(expected, feedbackValues(raised, {true}, [&] { buffers.drawSurface(); })));

        // New colours over vertices that never finished: the half surface goes, not
        // drawn in colours it was not made for.
        QVERIFY(fillSurfaceArrays(dem_, everything(RenderMode::Plain), arrays, FillThreads::All));
        QVERIFY(buffers.beginUpload(arrays, everything(RenderMode::Plain)));
        QVERIFY(buffers.advanceUpload(1));
        const SurfaceRequest colours{false, true, RenderMode::Slope, false};
        QVERIFY(fillSurfaceArrays(dem_, colours, arrays, FillThreads::All));
        buffers.beginUpload(arrays, colours);
        QVERIFY(!buffers.hasVertices());
        QVERIFY(feedbackValues(dem_, {true}, [&] { buffers.drawSurface(); }).empty());
        buffers.destroy();
    }

    void aViewSurfaceUploadsALargeGridInBandsAndAHeightsChangeMixesNone()
    {
        // Just above the size filled in place, so that a worker fills it.
        const int side = 725;
        QVERIFY(std::int64_t{side} * side > ViewSurface::kLargestFillInPlace);
        const auto bowl = [](float lift) {
            return [lift](int r, int c) { return lift + 0.01f * float((r - 300) * (r - 300) + (c - 400) * (c - 400)); };
        };
        VeskGrid grid;
        fillTestGrid(grid, side, side, 20.0f, bowl(0.0f));
        VeskGrid lifted;
        fillTestGrid(lifted, side, side, 20.0f, bowl(40.0f));
        const RenderMode mode = RenderMode::HeightColours;
        std::vector<GLfloat> first;
        std::vector<GLfloat> second;
        {
            SurfaceBuffers whole;
            uploadAll(grid, mode, whole);
            first = feedbackValues(grid, {true}, [&] { whole.drawSurface(); });
            uploadAll(lifted, mode, whole);
            second = feedbackValues(lifted, {true}, [&] { whole.drawSurface(); });
            whole.destroy();
        }
        QVERIFY(!sameBits(first, second));

        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        ViewSurface surface;
        startBandedUpload(surface, grid, mode); // 120 rows of 725 x 48 bytes a band
        QCOMPARE(surface.uploads().bands, 1);
        std::vector<GLfloat> drawn = feedbackValues(grid, {true}, [&] { surface.paintSurface(grid, mode); });
        // That paint copied the second band and drew both.
        QCOMPARE(surface.uploads().bands, 2);
        QCOMPARE(drawn.size(), 240 * stripValues(grid));
        QVERIFY(startsWith(first, drawn));

        // New heights mid-way: the rows of the old ones that are in stay as they were
        // until the new fill is ready; its bands never join them.
        surface.heightsChanged();
        drawn = feedbackValues(lifted, {true}, [&] { surface.paintSurface(lifted, mode); });
        QCOMPARE(drawn.size(), 240 * stripValues(grid));
        QVERIFY(startsWith(first, drawn));
        QVERIFY(fillFinishes(surface));
        const int bandsBefore = surface.uploads().bands;
        drawn = feedbackValues(lifted, {true}, [&] { surface.paintSurface(lifted, mode); });
        QCOMPARE(drawn.size(), 120 * stripValues(lifted));
        QVERIFY(startsWith(second, drawn));
        while (surface.uploading())
            surface.advanceUpload();
        QCOMPARE(surface.uploads().bands - bandsBefore, 7); // 725 rows in bands of 120
        QVERIFY(sameBits(second, feedbackValues(lifted, {true}, [&] { surface.paintSurface(lifted, mode); })));
        QCOMPARE(surface.uploads().vertices, 2);
        surface.releaseBuffers();
    }

    void aRenderModeChangeMidUploadFinishesTheUploadBeforeTheNewColours()
    {
        VeskGrid grid;
        largeRippledBowl(grid);
        const std::vector<GLfloat> heightColoured = oneShotSurface(grid, RenderMode::HeightColours);
        const std::vector<GLfloat> slopeColoured = oneShotSurface(grid, RenderMode::Slope);
        QVERIFY(!sameBits(heightColoured, slopeColoured));

        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        ViewSurface surface;
        startBandedUpload(surface, grid, RenderMode::HeightColours);

        // The mode changes with one band in: the paints carry on with the upload under
        // way, showing whole strips of the colouring it was made for.
        std::vector<GLfloat> drawn =
            feedbackValues(grid, {true}, [&] { surface.paintSurface(grid, RenderMode::Slope); });
        QCOMPARE(drawn.size(), 240 * stripValues(grid));
        QVERIFY(startsWith(heightColoured, drawn));
        while (surface.uploading())
            surface.advanceUpload();
        // The next paint asks a worker for the slope colours and shows the finished surface meanwhile.
        drawn = feedbackValues(grid, {true}, [&] { surface.paintSurface(grid, RenderMode::Slope); });
        QCOMPARE(surface.uploads().colours, 1);
        QVERIFY(sameBits(heightColoured, drawn));
        QVERIFY(fillFinishes(surface));

        // The new colours come in bands of their own (241 strips of 725 x 24 bytes); only
        // the strips they cover are drawn, never in the old colours.
        drawn = feedbackValues(grid, {true}, [&] { surface.paintSurface(grid, RenderMode::Slope); });
        QVERIFY(surface.uploading());
        QCOMPARE(drawn.size(), 241 * stripValues(grid));
        QVERIFY(startsWith(slopeColoured, drawn));
        while (surface.uploading())
            surface.advanceUpload();
        QVERIFY(sameBits(slopeColoured,
                         feedbackValues(grid, {true}, [&] { surface.paintSurface(grid, RenderMode::Slope); })));
        QCOMPARE(surface.uploads().vertices, 1);
        QCOMPARE(surface.uploads().colours, 2);
        surface.releaseBuffers();
    }

    void buffersGivenBackMidUploadAreBuiltAfresh()
    {
        // What a view does when its context goes (the widget moved to another window).
        VeskGrid grid;
        largeRippledBowl(grid);
        const std::vector<GLfloat> expected = oneShotSurface(grid, RenderMode::Curvature);

        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        ViewSurface surface;
        startBandedUpload(surface, grid, RenderMode::Curvature);
        surface.releaseBuffers();
        QVERIFY(!surface.uploading());
        QCOMPARE(surface.bufferBytes(), std::size_t{0});

        // Nothing is left to draw; the paint starts a new fill.
        QVERIFY(feedbackValues(grid, {true}, [&] { surface.paintSurface(grid, RenderMode::Curvature); }).empty());
        QCOMPARE(surface.uploads().vertices, 1);
        QVERIFY(fillFinishes(surface));
        surface.advanceUpload();
        while (surface.uploading())
            surface.advanceUpload();
        QVERIFY(sameBits(expected,
                         feedbackValues(grid, {true}, [&] { surface.paintSurface(grid, RenderMode::Curvature); })));
        QCOMPARE(surface.uploads().vertices, 2);
        surface.releaseBuffers();
    }

    void onlyTheRequestedPartsAreUploaded()
    {
        SurfaceBuffers buffers;
        uploadAll(dem_, RenderMode::HeightColours, buffers);
        QCOMPARE(buffers.uploads().vertices, 1);
        QCOMPARE(buffers.uploads().colours, 1);
        const std::size_t samples = 403 * 344;
        QCOMPARE(buffers.bytes(), samples * 12 * 2 + std::size_t{2 * 403 * 343} * 12 + 2 * 403 * 4 + samples * 12);

        // A new colouring: colours only.
        SurfaceArrays arrays;
        const SurfaceRequest colours{false, true, RenderMode::Slope, false};
        QVERIFY(fillSurfaceArrays(dem_, colours, arrays, FillThreads::All));
        QVERIFY(arrays.positions.empty());
        QVERIFY(buffers.upload(arrays, colours));
        QCOMPARE(buffers.uploads().vertices, 1);
        QCOMPARE(buffers.uploads().colours, 2);
        QVERIFY(buffers.hasVertices() && buffers.hasColours() && buffers.hasCurves());

        // New vertices without colours or curves drop the old ones: they may be of another size.
        const SurfaceRequest vertices{true, false, RenderMode::Plain, false};
        QVERIFY(fillSurfaceArrays(dem_, vertices, arrays, FillThreads::All));
        QVERIFY(buffers.upload(arrays, vertices));
        QCOMPARE(buffers.uploads().vertices, 2);
        QVERIFY(buffers.hasVertices() && !buffers.hasColours() && !buffers.hasCurves());
        buffers.destroy();
        QCOMPARE(buffers.bytes(), std::size_t{0});
        QVERIFY(!buffers.hasVertices());
    }
};

QTEST_MAIN(SurfaceBuffersTest)
#include "test_surface_buffers.moc"
