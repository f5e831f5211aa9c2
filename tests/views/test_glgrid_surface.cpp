// A view's surface in buffer objects: what a change rebuilds (uploads are counted),
// large grids filled in a worker while the view keeps painting, the camera that
// frames the terrain, and picking on the real DEM.

#include "diagnostics/CollectingSink.h"
#include "support/ShownView.h"
#include "support/TestGrids.h"
#include "views/GLGrid.h"
#include "views/SamplePicker.h"
#include "views/SurfaceFormat.h"

#include <QThread>
#include <QtTest>

#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <optional>

namespace {

QString sample()
{
    return QStringLiteral(TALVANE_TEST_DATA "/jacksboro.grd");
}

// A shown view holding the sample DEM.
std::unique_ptr<GLGrid> sampleView(int width, int height)
{
    auto view = shownView(width, height);
    if (view != nullptr)
        view->loadGRDFile(sample());
    return view;
}

float hills(int row, int column)
{
    return 300.0f + 120.0f * std::sin(row * 0.03f) * std::cos(column * 0.025f) + 0.5f * column;
}

} // namespace

class GLGridSurfaceTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { installDefaultSurfaceFormat(); }

private:
    diagnostics::SilentSink quiet_;
    std::optional<diagnostics::ScopedSink> quietScope_;

private slots:
    // The loads and multiresolution steps report a lot; none of it is checked here.
    void init() { quietScope_.emplace(quiet_); }
    void cleanup() { quietScope_.reset(); }

    void aRenderModeChangeUploadsColoursOnlyACoarseningEverything()
    {
        auto view = sampleView(440, 310);
        QVERIFY(view != nullptr);
        view->grabFramebuffer();
        QCOMPARE(view->surface.uploads().vertices, 1);
        const int colourUploads = view->surface.uploads().colours;

        for (const int mode : {2, 3, 4, 0}) {
            view->setRenderMethod(mode);
            view->grabFramebuffer();
        }
        QCOMPARE(view->surface.uploads().vertices, 1);
        QCOMPARE(view->surface.uploads().colours, colourUploads + 4);

        // Repaints, rotations and contour spacing upload nothing; the other direction
        // of profile lines uploads those lines only.
        view->setXRotation(-30);
        view->grabFramebuffer();
        view->setRenderMethod(1);
        view->grabFramebuffer();
        QCOMPARE(view->surface.uploads().curves, 1);
        view->setContourSpacing(5);
        view->grabFramebuffer();
        QCOMPARE(view->surface.uploads().curves, 1);
        view->toggleRenderUCurves();
        view->grabFramebuffer();
        QCOMPARE(view->surface.uploads().curves, 2);
        QCOMPARE(view->surface.uploads().vertices, 1);
        QCOMPARE(view->surface.uploads().colours, colourUploads + 4);

        view->setRenderMethod(2);
        view->unsubdivide(1);
        view->grabFramebuffer();
        QCOMPARE(view->surface.uploads().vertices, 2);
    }

    void aLargeGridIsFilledInAWorkerWhileTheViewPaints()
    {
        auto view = sampleView(300, 300);
        QVERIFY(view != nullptr);
        view->grabFramebuffer();
        const QImage small = view->grabFramebuffer();

        fillTestGrid(view->grid, 1100, 900, 20.0f, hills);
        view->updateGUI();
        view->grabFramebuffer();
        // The paint did not wait for the fill: it showed what the view held.
        QCOMPARE(view->surface.uploads().vertices, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!view->surface.filling(), 60000);
        const QImage large = view->grabFramebuffer();
        QCOMPARE(view->surface.uploads().vertices, 2);
        QVERIFY(countNonWhite(large) > 1000);
        QVERIFY(large != small);
    }

    void theEventLoopUploadsALargeSurfaceInBandsToTheOneShotPicture()
    {
        // The same large terrain in two views: one copies 4 MiB per turn of the event
        // loop, the other all of it in one turn.
        QImage pictures[2];
        int bands[2] = {0, 0};
        for (const std::size_t bandBytes : {std::size_t{4} << 20, std::size_t{1} << 30}) {
            const int index = bandBytes < (std::size_t{1} << 30) ? 0 : 1;
            auto view = shownView(320, 240);
            QVERIFY(view != nullptr);
            view->surface.bandBytes = bandBytes;
            view->setRenderMethod(2);
            fillTestGrid(view->grid, 1100, 900, 20.0f, hills);
            view->updateGUI();
            view->grabFramebuffer(); // starts the fill
            const int before = view->surface.uploads().bands;
            // No paint is asked for: the fill's end and the timer's turns do the upload.
            QTRY_VERIFY_WITH_TIMEOUT(!view->surface.filling() && !view->surface.uploading(), 60000);
            bands[index] = view->surface.uploads().bands - before;
            pictures[index] = view->grabFramebuffer();
            QCOMPARE(view->surface.uploads().vertices, 1);
        }
        // 900 rows of 1,100 x 48 bytes: 79 rows a band.
        QCOMPARE(bands[0], 12);
        QCOMPARE(bands[1], 1);
        QVERIFY(countNonWhite(pictures[0]) > 1000);
        QVERIFY(pictures[0] == pictures[1]);
    }

    void aTerrainLoadedMidUploadIsDrawnWithoutTheOldBands()
    {
        QImage expected;
        {
            auto fresh = sampleView(320, 240);
            QVERIFY(fresh != nullptr);
            expected = fresh->grabFramebuffer();
        }
        auto view = shownView(320, 240);
        QVERIFY(view != nullptr);
        view->surface.bandBytes = std::size_t{1} << 20;
        fillTestGrid(view->grid, 1100, 900, 20.0f, hills);
        view->updateGUI();
        view->grabFramebuffer(); // starts the fill
        // Waited for without the event loop, so that the upload goes no further than its first band.
        for (int waited = 0; waited < 60000 && view->surface.filling(); waited += 5)
            QThread::msleep(5);
        view->makeCurrent();
        view->surface.advanceUpload();
        view->doneCurrent();
        QVERIFY(view->surface.uploading());

        // The sample is small enough to be filled and uploaded by the paint itself.
        view->loadGRDFile(sample());
        QCOMPARE(view->grabFramebuffer(), expected);
        QVERIFY(!view->surface.uploading());
        QTest::qWait(50); // turns of the event loop bring no old band back
        QCOMPARE(view->grabFramebuffer(), expected);
    }

    // The window settles a view before it copies the terrain, which drops a running
    // fill: the view asks for the paint that starts it again rather than keep the old
    // surface until something else repaints it.
    void aFillDroppedBySettlingIsStartedAgain()
    {
        auto view = shownView(320, 240);
        QVERIFY(view != nullptr);
        QCoreApplication::processEvents(); // no paint is pending but the one settling asks for
        fillTestGrid(view->grid, 1100, 900, 20.0f, hills);
        view->listDirty = true; // as updateGUI marks it, without asking for a paint
        view->grabFramebuffer(); // starts the fill
        // No turn of the event loop since: however soon the worker ended, its fill was
        // never taken, so settling drops it.
        view->surface.settle();
        QCOMPARE(view->surface.uploads().vertices, 0);
        QTRY_VERIFY_WITH_TIMEOUT(view->surface.uploads().vertices == 1 && !view->surface.filling()
                                     && !view->surface.uploading(),
                                 60000);
    }

    void changingTheGridWhileAFillRunsWaitsForIt()
    {
        auto view = shownView(300, 300);
        QVERIFY(view != nullptr);
        fillTestGrid(view->grid, 1200, 1000, 20.0f, hills);
        view->setRenderMethod(3); // curvature: the worker also computes it
        view->updateGUI();
        view->grabFramebuffer();
        // Each of these changes the grid under a fill that may still run.
        view->changeWidth(1100);
        QVERIFY(!view->surface.filling());
        view->grabFramebuffer();
        view->loadGRDFile(sample());
        QVERIFY(!view->surface.filling());
        view->grabFramebuffer();
        QCOMPARE(view->grid.width, 403);
        QVERIFY(countNonWhite(view->grabFramebuffer()) > 1000);
    }

    void anEmptyScreenKeepsTheStartPose()
    {
        auto view = shownView(300, 200);
        QVERIFY(view != nullptr);
        view->fitTerrain();
        QCOMPARE(view->xTrans, 0.0f);
        QCOMPARE(view->yTrans, 0.0f);
        QCOMPARE(view->zTrans, 0.0f);
    }

    void loadingFramesTheTerrainAndFitKeepsTheRotation()
    {
        auto view = sampleView(440, 310);
        QVERIFY(view != nullptr);
        const float framedZ = view->zTrans;
        QVERIFY(framedZ != 0.0f);
        view->setXRotation(-50);
        view->setScale(30);
        view->fitTerrain();
        QCOMPARE(view->xRot, -50.0f);
        QCOMPARE(view->scale, 4.0f);
        // A larger scale is framed from farther away.
        QVERIFY(view->zTrans < framedZ);
    }

    void pickingTheRealDemGivesTheSampleOfProjectingEverySample()
    {
        auto view = sampleView(440, 310);
        QVERIFY(view != nullptr);
        view->setXRotation(-45);
        view->setZRotation(20);
        view->fitTerrain();
        view->grabFramebuffer();
        view->makeCurrent();
        PickCamera camera{};
        glGetDoublev(GL_MODELVIEW_MATRIX, camera.modelView);
        glGetDoublev(GL_PROJECTION_MATRIX, camera.projection);
        glGetIntegerv(GL_VIEWPORT, camera.viewport);
        camera.pixelRatio = view->devicePixelRatioF();
        for (int y = 5; y < 310; y += 60)
            for (int x = 5; x < 440; x += 70) {
                int row = -2;
                int column = -2;
                view->pickVertex(x, y, row, column);
                int expectedRow = -3;
                int expectedColumn = -3;
                SamplePicker::pickByProjectingEverySample(view->grid, camera, x, view->viewHeight - y, expectedRow,
                                                          expectedColumn);
                QCOMPARE(row, expectedRow);
                QCOMPARE(column, expectedColumn);
            }
    }
};

QTEST_MAIN(GLGridSurfaceTest)
#include "test_glgrid_surface.moc"
