// The GLGrid view on a real OpenGL context: camera slots, projection, render modes,
// display list use, picking and the mouse.

#include "diagnostics/CollectingSink.h"
#include "support/ShownView.h"
#include "support/TestGrids.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QHBoxLayout>
#include <QOpenGLContext>
#include <QtTest>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

// Paints the view once, synchronously, and returns what the paint printed.
std::string paintCapturing(GLGrid& view, QImage* image = nullptr)
{
    diagnostics::CollectingSink output;
    diagnostics::ScopedSink outputScope(output);
    const QImage frame = view.grabFramebuffer();
    if (image != nullptr)
        *image = frame;
    return output.take();
}

// Gentle hills, so that every render mode has something to show.
float hills(int row, int column)
{
    return 300.0f + 120.0f * std::sin(row * 0.3f) * std::cos(column * 0.25f) + 4.0f * column;
}

// The matrix glFrustum builds, column-major as OpenGL returns it.
std::array<double, 16> frustumMatrix(double l, double r, double b, double t, double n, double f)
{
    std::array<double, 16> m{};
    m[0] = 2 * n / (r - l);
    m[5] = 2 * n / (t - b);
    m[8] = (r + l) / (r - l);
    m[9] = (t + b) / (t - b);
    m[10] = -(f + n) / (f - n);
    m[11] = -1;
    m[14] = -2 * f * n / (f - n);
    return m;
}

} // namespace

class GLGridTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { installDefaultSurfaceFormat(); }

private slots:
    void initTestCase()
    {
        auto view = shownView(200, 200);
        QVERIFY2(view != nullptr, "the view's window was never exposed");
        QVERIFY2(view->context() != nullptr && view->context()->isValid(), "no OpenGL context for QOpenGLWidget");
        const QSurfaceFormat format = view->context()->format();
        QVERIFY2(format.profile() == QSurfaceFormat::CompatibilityProfile || format.majorVersion() < 3
                     || (format.majorVersion() == 3 && format.minorVersion() < 2),
                 "the view's context has no fixed-function pipeline");
        view->makeCurrent();
        qInfo("GL_RENDERER %s, GL_VERSION %s", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
              reinterpret_cast<const char*>(glGetString(GL_VERSION)));
        QCOMPARE(view->objectName(), QStringLiteral("gLGridTest"));
    }

    void initialState()
    {
        GLGrid view;
        QCOMPARE(view.scale, 2.0f);
        QCOMPARE(view.xRot + view.yRot + view.zRot, 0.0f);
        QVERIFY(view.renderMode == RenderMode::Plain);
        QVERIFY(view.listDirty && view.surface.bufferBytes() == 0 && view.matchesShown && view.renderUCurves);
        QCOMPARE(view.contourSpacing, 1);
        QCOMPARE(view.selX1, -1);
        QCOMPARE(view.selX2, -1);
        QCOMPARE(view.numDeets, 2);
        QVERIFY(!view.grid.hasData);
    }

    void rotationIsTheTruncatingRemainder_data()
    {
        QTest::addColumn<int>("degrees");
        QTest::addColumn<float>("expected");
        QTest::newRow("-30") << -30 << -30.0f;
        QTest::newRow("725") << 725 << 5.0f;
        QTest::newRow("370") << 370 << 10.0f;
        QTest::newRow("360") << 360 << 0.0f;
        QTest::newRow("-725") << -725 << -5.0f;
        QTest::newRow("359") << 359 << 359.0f;
    }

    void rotationIsTheTruncatingRemainder()
    {
        QFETCH(int, degrees);
        QFETCH(float, expected);
        GLGrid view;
        view.setXRotation(degrees);
        view.setYRotation(degrees);
        view.setZRotation(degrees);
        QCOMPARE(view.xRot, expected);
        QCOMPARE(view.yRot, expected);
        QCOMPARE(view.zRot, expected);
    }

    void scaleSlot_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<float>("expected");
        QTest::newRow("0") << 0 << 1.0f;
        QTest::newRow("10, the initial scale") << 10 << 2.0f;
        QTest::newRow("100") << 100 << 11.0f;
    }

    void scaleSlot()
    {
        QFETCH(int, value);
        QFETCH(float, expected);
        GLGrid view;
        view.setScale(value);
        QCOMPARE(view.scale, expected);
    }

    void frustumKeepsTheAspect_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("halfWidth");
        QTest::addColumn<double>("halfHeight");
        QTest::newRow("wide") << 400 << 200 << 2.0 << 1.0;
        QTest::newRow("tall") << 150 << 300 << 1.0 << 2.0;
        QTest::newRow("square") << 240 << 240 << 1.0 << 1.0;
    }

    void frustumKeepsTheAspect()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, halfWidth);
        QFETCH(double, halfHeight);
        auto view = shownView(width, height);
        QVERIFY(view != nullptr);
        QTRY_COMPARE(view->size(), QSize(width, height));
        view->grabFramebuffer();
        QCOMPARE(view->viewHeight, height);

        view->makeCurrent();
        GLdouble projection[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        const auto expected = frustumMatrix(-halfWidth, halfWidth, -halfHeight, halfHeight, 0.75, 450.0);
        for (int i = 0; i < 16; ++i)
            QVERIFY2(std::fabs(projection[i] - expected[i]) < 1e-5,
                     qPrintable(QStringLiteral("element %1: %2 instead of %3").arg(i).arg(projection[i]).arg(expected[i])));
        const double ratio = view->devicePixelRatioF();
        QCOMPARE(viewport[2], static_cast<GLint>(width * ratio));
        QCOMPARE(viewport[3], static_cast<GLint>(height * ratio));
    }

    void renderModeMessages_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("message");
        QTest::newRow("0 plain") << 0 << "rendering parameter is 0\nrendering plain\n";
        QTest::newRow("1 contours") << 1 << "rendering parameter is 1\nrendering contours\n";
        QTest::newRow("2 height") << 2 << "rendering parameter is 2\nrendering height colors\n";
        QTest::newRow("3 curvature") << 3 << "rendering parameter is 3\nrendering curvature\n";
        QTest::newRow("4 slope") << 4 << "rendering parameter is 4\nrendering slope!\n";
        QTest::newRow("7 unknown") << 7 << "rendering parameter is 7\nError - Unknown rendering parameter = 7\n";
        QTest::newRow("-1 unknown") << -1 << "rendering parameter is -1\nError - Unknown rendering parameter = -1\n";
    }

    void renderModeMessages()
    {
        QFETCH(int, mode);
        QFETCH(QString, message);
        GLGrid view;
        view.listDirty = false;
        diagnostics::CollectingSink output;
        diagnostics::ScopedSink outputScope(output);
        view.setRenderMethod(mode);
        QCOMPARE(QString::fromStdString(output.take()), message);
        const bool known = mode >= 0 && mode <= 4;
        QCOMPARE(view.renderMode.has_value(), known);
        if (known)
            QCOMPARE(static_cast<int>(*view.renderMode), mode);
        // A new mode rebuilds the colours at the next paint, not the whole surface.
        QVERIFY(!view.listDirty);
    }

    void unknownModePaintsTheSlopeSurface()
    {
        auto view = shownView(320, 240);
        QVERIFY(view != nullptr);
        fillTestGrid(view->grid, 40, 40, 100.0f, hills, [](int r, int c) { return 0.02f * (r - c); },
                     [](int r, int c) { return 0.03f * ((r + c) % 20); });
        view->setRenderMethod(4);
        QImage slope;
        paintCapturing(*view, &slope);
        view->setRenderMethod(7);
        QImage unknown;
        const std::string printed = paintCapturing(*view, &unknown);
        view->setRenderMethod(0);
        QImage plain;
        paintCapturing(*view, &plain);
        view->setRenderMethod(3);
        QImage curvature;
        paintCapturing(*view, &curvature);

        QVERIFY(countNonWhite(slope) > 1000);
        QVERIFY(slope == unknown);
        QVERIFY(slope != plain);
        QVERIFY(slope != curvature);
        // The slope colours were already held: nothing was rebuilt for the unknown mode.
        QCOMPARE(printed, std::string());
    }

    void surfaceIsBuiltOncePerChangeWhateverItsSize_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("2,500 samples (50 x 50)") << 50 << 50;
        QTest::newRow("2,501 samples (41 x 61)") << 41 << 61;
        QTest::newRow("240,000 samples (400 x 600)") << 400 << 600;
    }

    void surfaceIsBuiltOncePerChangeWhateverItsSize()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        auto view = shownView(200, 200);
        QVERIFY(view != nullptr);
        fillTestGrid(view->grid, width, height, 1.0f, [](int r, int c) { return 0.5f * ((r * 7 + c * 3) % 11); });

        QCOMPARE(paintCapturing(*view), std::string("Draw Grid . . . Done\n"));
        QVERIFY(!view->listDirty);
        QVERIFY(view->surface.bufferBytes() > 0);
        // The buffers are drawn again; nothing is rebuilt.
        QCOMPARE(paintCapturing(*view), std::string());
        QCOMPARE(view->surface.uploads().vertices, 1);

        // A new render mode rebuilds the colours once, then they are drawn again.
        view->setRenderMethod(2);
        QCOMPARE(paintCapturing(*view), std::string("Draw Grid . . . Done\n"));
        QCOMPARE(paintCapturing(*view), std::string());
        QCOMPARE(view->surface.uploads().vertices, 1);
    }

    void gridWithoutDataCompilesNothing()
    {
        auto view = shownView(200, 200);
        QVERIFY(view != nullptr);
        QImage image;
        QCOMPARE(paintCapturing(*view, &image), std::string());
        QCOMPARE(view->surface.bufferBytes(), std::size_t{0});
        QCOMPARE(countNonWhite(image), 0);
    }

    void contourModeLeavesTheSurfaceAlone()
    {
        auto view = shownView(200, 200);
        QVERIFY(view != nullptr);
        fillTestGrid(view->grid, 41, 61, 40.0f, hills);
        paintCapturing(*view);
        QCOMPARE(view->surface.uploads().vertices, 1);
        view->setRenderMethod(1);
        view->setContourSpacing(5);
        QImage image;
        QCOMPARE(paintCapturing(*view, &image), std::string("rendering contours (spacing=5)\nRendering u-curves\n"));
        QCOMPARE(view->surface.uploads().vertices, 1);
        view->toggleRenderUCurves();
        QCOMPARE(paintCapturing(*view), std::string("rendering contours (spacing=5)\nrendering v-curves\n"));
        QVERIFY(countNonWhite(image) > 100);
    }

    // Views of one window share their OpenGL list names; each must still show its own terrain.
    void twoViewsInOneWindowKeepTheirOwnSurfaces()
    {
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* left = new GLGrid(&window, "gLGrid1");
        auto* right = new GLGrid(&window, "gLGrid2");
        layout->addWidget(left);
        layout->addWidget(right);
        window.resize(600, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        fillTestGrid(left->grid, 41, 61, 40.0f, hills);
        fillTestGrid(right->grid, 61, 41, 40.0f, [](int r, int c) { return 10.0f * r - 5.0f * c; });

        const QImage leftFirst = left->grabFramebuffer();
        const QImage rightFirst = right->grabFramebuffer();
        const QImage leftAgain = left->grabFramebuffer();
        QVERIFY(left->surface.bufferBytes() > 0 && right->surface.bufferBytes() > 0);
        const bool sharing = QOpenGLContext::areSharing(left->context(), right->context());
        qInfo("the two views' contexts %s object names", sharing ? "share" : "do not share");
        QVERIFY(countNonWhite(leftFirst) > 1000);
        QVERIFY(leftFirst == leftAgain);
        QVERIFY(leftFirst != rightFirst);
    }

    void paintedSurfaceIsLitAndNotBlank()
    {
        auto view = shownView(320, 240);
        QVERIFY(view != nullptr);
        fillTestGrid(view->grid, 60, 60, 100.0f, hills);
        // Real normals differ from sample to sample: tilt them so the light shows.
        for (int r = 0; r < 60; ++r)
            for (int c = 0; c < 60; ++c)
                view->grid.normals[r][c].set(std::sin(c * 0.2) * 0.5, 0.0, 1.0);
        QImage image;
        paintCapturing(*view, &image);
        QVERIFY(countNonWhite(image) > 5000);
        QSet<QRgb> shades;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                if ((image.pixel(x, y) & 0xffffff) != 0xffffff)
                    shades.insert(image.pixel(x, y));
        QVERIFY2(shades.size() > 10, "the lit surface shows almost no shading");
    }

    void pickingTiesKeepTheEarliestSample_data()
    {
        QTest::addColumn<int>("mouseX");
        QTest::addColumn<int>("mouseY");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        // The four samples of a 2 x 2 grid appear at window (120|136, 120|136), y upwards.
        QTest::newRow("on (0,0)") << 120 << 136 << 0 << 0;
        QTest::newRow("on (1,1)") << 136 << 120 << 1 << 1;
        QTest::newRow("centre: four-way tie") << 128 << 128 << 0 << 0;
        QTest::newRow("between rows of column 1") << 136 << 128 << 0 << 1;
        QTest::newRow("between columns of row 1") << 128 << 120 << 1 << 0;
        QTest::newRow("far corner") << 250 << 5 << 1 << 1;
    }

    void pickingTiesKeepTheEarliestSample()
    {
        QFETCH(int, mouseX);
        QFETCH(int, mouseY);
        QFETCH(int, row);
        QFETCH(int, column);
        auto view = shownView(256, 256);
        QVERIFY(view != nullptr);
        QCOMPARE(view->devicePixelRatioF(), 1.0);
        // Sample (r, c) at world (c, r, 0); the camera puts the four samples at eye
        // (+-0.5, +-0.5, -6) at scale 1, which project exactly to 128 +- 8 in both directions.
        fillTestGrid(view->grid, 2, 2, 2000.0f, [](int, int) { return 0.0f; });
        view->setScale(0);
        view->xTrans = 1.0f;
        view->yTrans = 2.5f;
        view->zTrans = -1.0f;
        paintCapturing(*view);

        // The premise: exact projections, so ties are real ties.
        view->makeCurrent();
        GLdouble modelView[16];
        GLdouble projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c) {
                GLdouble wx = 0, wy = 0, wz = 0;
                QVERIFY(gluProject(c * 1.0, r * 1.0, 0.0, modelView, projection, viewport, &wx, &wy, &wz));
                QCOMPARE(wx, c == 0 ? 120.0 : 136.0);
                QCOMPARE(wy, r == 0 ? 120.0 : 136.0);
            }

        int pickedRow = -2;
        int pickedColumn = -2;
        view->pickVertex(mouseX, mouseY, pickedRow, pickedColumn);
        QCOMPARE(pickedRow, row);
        QCOMPARE(pickedColumn, column);
    }

    void pickingAGridWithoutSamples()
    {
        auto view = shownView(100, 100);
        QVERIFY(view != nullptr);
        int row = 5;
        int column = 5;
        view->pickVertex(50, 50, row, column);
        QCOMPARE(row, -1);
        QCOMPARE(column, -1);
    }

    void leftDragPans()
    {
        auto view = shownView(300, 300);
        QVERIFY(view != nullptr);
        view->setXRotation(30);
        view->setYRotation(45);
        view->setZRotation(-60);
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(100, 100));
        QVERIFY(view->mouseDown);
        QCOMPARE(view->pressButton, int(Qt::LeftButton));
        QTest::mouseMove(view.get(), QPoint(150, 120));
        QTest::mouseMove(view.get(), QPoint(140, 130));
        QCOMPARE(view->lastX, 140);
        QCOMPARE(view->lastY, 130);
        // 0.12 per pixel: x follows the pointer, y is flipped (screen y runs downwards).
        QVERIFY(std::fabs(view->xTrans - 0.12f * 40) < 1e-5f);
        QVERIFY(std::fabs(view->yTrans + 0.12f * 30) < 1e-5f);
        QCOMPARE(view->zTrans, 0.0f);

        diagnostics::CollectingSink output;
        diagnostics::ScopedSink outputScope(output);
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(140, 130));
        QCOMPARE(QString::fromStdString(output.take()),
                 QStringLiteral("x,y,z tran are 4.800 -3.600 0.000\nx,y,z rot are 30.000 45.000 -60.000\n"));
        QVERIFY(!view->mouseDown);

        // Without a button held, moves change nothing.
        QTest::mouseMove(view.get(), QPoint(10, 10));
        QVERIFY(std::fabs(view->xTrans - 4.8f) < 1e-5f);
    }

    void rightDragDollies()
    {
        auto view = shownView(300, 300);
        QVERIFY(view != nullptr);
        QTest::mousePress(view.get(), Qt::RightButton, {}, QPoint(100, 100));
        QTest::mouseMove(view.get(), QPoint(130, 150));
        QVERIFY(std::fabs(view->zTrans - 6.0f) < 1e-5f); // dragging down brings the terrain closer
        QCOMPARE(view->xTrans, 0.0f);
        QCOMPARE(view->yTrans, 0.0f);
        diagnostics::CollectingSink output;
        diagnostics::ScopedSink outputScope(output);
        QTest::mouseRelease(view.get(), Qt::RightButton, {}, QPoint(130, 150));
        QCOMPARE(QString::fromStdString(output.take()),
                 QStringLiteral("x,y,z tran are 0.000 0.000 6.000\nx,y,z rot are 0.000 0.000 0.000\n"));
    }

    void middleDragSelectsARectangle()
    {
        auto view = shownView(256, 256);
        QVERIFY(view != nullptr);
        // A 5 x 5 flat grid whose sample (r, c) appears at window (96 + 16c, 96 + 16r),
        // that is widget position (96 + 16c, 160 - 16r).
        fillTestGrid(view->grid, 5, 5, 2000.0f, [](int, int) { return 0.0f; });
        view->xTrans = -2.5f;
        view->yTrans = -1.0f;
        view->zTrans = -7.0f;
        paintCapturing(*view);
        const auto at = [](int row, int column) { return QPoint(96 + 16 * column, 160 - 16 * row); };

        diagnostics::CollectingSink pressOutput;
        diagnostics::ScopedSink pressOutputScope(pressOutput);
        QTest::mousePress(view.get(), Qt::MiddleButton, {}, at(3, 1));
        QCOMPARE(pressOutput.take(), std::string("mouse press done, top left corner is 1, 3\n"));
        QCOMPARE(view->selX1, 1);
        QCOMPARE(view->selY1, 3);
        QCOMPARE(view->selX2, -1);
        QCOMPARE(view->selY2, -1);

        QTest::mouseMove(view.get(), at(1, 4) + QPoint(3, -2));
        QCOMPARE(view->selX2, 4); // rubber band from the press point
        QCOMPARE(view->selY2, 1);
        QCOMPARE(view->selX1, 1);
        QCOMPARE(view->selY1, 3);

        view->listDirty = false;
        diagnostics::CollectingSink releaseOutput;
        diagnostics::ScopedSink releaseOutputScope(releaseOutput);
        QTest::mouseRelease(view.get(), Qt::MiddleButton, {}, at(1, 4));
        const std::string released = releaseOutput.take();
        QVERIFY2(released.rfind("x,y,z tran are -2.500 -1.000 -7.000\nx,y,z rot are 0.000 0.000 0.000\n", 0) == 0,
                 released.c_str());
        // Corners ordered after the release.
        QCOMPARE(view->selX1, 1);
        QCOMPARE(view->selX2, 4);
        QCOMPARE(view->selY1, 1);
        QCOMPARE(view->selY2, 3);
        QVERIFY(view->listDirty);
    }

    void middlePressWithAReceivedBlockPlacesIt()
    {
        auto view = shownView(256, 256);
        QVERIFY(view != nullptr);
        fillTestGrid(view->grid, 5, 5, 2000.0f, [](int, int) { return 0.0f; });
        view->xTrans = -2.5f;
        view->yTrans = -1.0f;
        view->zTrans = -7.0f;
        paintCapturing(*view);
        const auto at = [](int row, int column) { return QPoint(96 + 16 * column, 160 - 16 * row); };
        view->blockDetails.matrices.assign(2, FloatMatrix{{1.0f}});
        view->blockDetails.width = 2;
        view->blockDetails.height = 1;

        QTest::mousePress(view.get(), Qt::MiddleButton, {}, at(3, 1));
        QCOMPARE(view->selX1, 1);
        QCOMPARE(view->selY1, 3);
        QCOMPARE(view->selX2, 3);
        QCOMPARE(view->selY2, 4);
        QTest::mouseMove(view.get(), at(2, 2));
        QCOMPARE(view->selX1, 2); // the block follows the pointer
        QCOMPARE(view->selY1, 2);
        QCOMPARE(view->selX2, 4);
        QCOMPARE(view->selY2, 3);
    }

    void middleButtonIgnoresAGridWithoutData()
    {
        auto view = shownView(200, 200);
        QVERIFY(view != nullptr);
        diagnostics::CollectingSink output;
        diagnostics::ScopedSink outputScope(output);
        QTest::mousePress(view.get(), Qt::MiddleButton, {}, QPoint(50, 50));
        QTest::mouseMove(view.get(), QPoint(80, 80));
        QTest::mouseRelease(view.get(), Qt::MiddleButton, {}, QPoint(80, 80));
        QCOMPARE(output.take(), std::string("x,y,z tran are 0.000 0.000 0.000\nx,y,z rot are 0.000 0.000 0.000\n"));
        QCOMPARE(view->selX1, -1);
        QCOMPARE(view->selX2, -1);
    }

    void overlaysAreDrawnOverTheSurface()
    {
        auto view = shownView(256, 256);
        QVERIFY(view != nullptr);
        fillTestGrid(view->grid, 5, 5, 2000.0f, [](int, int) { return 0.0f; });
        view->xTrans = -2.5f;
        view->yTrans = -1.0f;
        view->zTrans = -7.0f;
        QImage bare;
        paintCapturing(*view, &bare);

        // The selection outline from (1, 1) to (3, 4) in light red.
        view->selX1 = 1;
        view->selY1 = 1;
        view->selX2 = 4;
        view->selY2 = 3;
        QImage selected;
        const std::string selectedOutput = paintCapturing(*view, &selected);
        // The surface was built by the first paint; the outline itself prints nothing.
        QCOMPARE(QString::fromStdString(selectedOutput), QString());
        QVERIFY(selected != bare);
        // The outline spans columns 1 to 3 and rows 1 to 2 (width x2 - x1, height y2 - y1);
        // its top edge, row 2, runs along widget y = 160 - 32 = 128.
        bool reddish = false;
        for (int dy = -1; dy <= 1; ++dy) {
            const QColor edge = selected.pixelColor(128, 128 + dy);
            reddish = reddish || (edge.red() > 2 * edge.green() && edge.red() > 2 * edge.blue());
        }
        QVERIFY2(reddish, "no light red outline on the selection's top edge");

        // An empty selection is refused by the outline drawing, at every paint.
        view->selX2 = 1;
        QCOMPARE(paintCapturing(*view), std::string("Bad parameters to render(1,1,0,2)\n"));

        // Marks are drawn only while marked and shown.
        view->selX1 = -1;
        view->marks = {0, 0, 2, 2};
        QImage unmarked;
        paintCapturing(*view, &unmarked);
        QVERIFY(unmarked == bare);
        view->marked = true;
        QImage marked;
        paintCapturing(*view, &marked);
        QVERIFY(marked != bare);
        view->showMatches(false);
        QImage hidden;
        paintCapturing(*view, &hidden);
        QVERIFY(hidden == bare);
    }
};

QTEST_MAIN(GLGridTest)
#include "test_glgrid.moc"
