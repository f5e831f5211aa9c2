// The window's screens frame what they show: after loading the sample terrain into
// both screens (and coarsening the right one, as the README picture does), each
// screen shows the whole terrain, read back from its framebuffer; "View > Fit
// Terrain" frames a screen again after the camera was moved.

#include "AppTestSupport.h"

#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QMenu>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

namespace {

struct TerrainPixels {
    int left = 1 << 30;
    int right = -1;
    int top = 1 << 30;
    int bottom = -1;
    int count = 0;
};

// The bounding box of the pixels that are not the white background.
TerrainPixels terrainPixels(const QImage& image)
{
    TerrainPixels pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) != 0xffffff) {
                pixels.left = std::min(pixels.left, x);
                pixels.right = std::max(pixels.right, x);
                pixels.top = std::min(pixels.top, y);
                pixels.bottom = std::max(pixels.bottom, y);
                ++pixels.count;
            }
    return pixels;
}

// The terrain touches no edge of the screen and fills at least a third of its width or height.
QString framingFault(const QImage& image)
{
    const TerrainPixels pixels = terrainPixels(image);
    if (pixels.count == 0)
        return QStringLiteral("no terrain pixels");
    if (pixels.left == 0 || pixels.top == 0 || pixels.right == image.width() - 1 || pixels.bottom == image.height() - 1)
        return QStringLiteral("terrain %1..%2 x %3..%4 touches an edge of %5 x %6")
            .arg(pixels.left).arg(pixels.right).arg(pixels.top).arg(pixels.bottom).arg(image.width()).arg(image.height());
    const bool wideEnough = 3 * (pixels.right - pixels.left + 1) >= image.width();
    const bool tallEnough = 3 * (pixels.bottom - pixels.top + 1) >= image.height();
    if (!wideEnough && !tallEnough)
        return QStringLiteral("terrain %1..%2 x %3..%4 fills less than a third of %5 x %6")
            .arg(pixels.left).arg(pixels.right).arg(pixels.top).arg(pixels.bottom).arg(image.width()).arg(image.height());
    return QString();
}

} // namespace

class MainWindowViewsTest : public QObject {
    Q_OBJECT

private slots:
    void bothScreensShowTheWholeSampleAfterLoading()
    {
        ScriptedWindow window;
        QVERIFY(window.exposed);
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        QVERIFY(window->openTerrainRight(sample.grd()));
        for (GLGrid* view : {window->gLGrid1, window->gLGrid2}) {
            const QString fault = framingFault(view->grabFramebuffer());
            QVERIFY2(fault.isEmpty(), qPrintable(view->objectName() + QStringLiteral(": ") + fault));
        }
        // The README picture: the right screen coarsened once, height colours.
        window->coarsenRightButton->click();
        window->radioButton2->click();
        for (GLGrid* view : {window->gLGrid1, window->gLGrid2}) {
            const QString fault = framingFault(view->grabFramebuffer());
            QVERIFY2(fault.isEmpty(), qPrintable(view->objectName() + QStringLiteral(": ") + fault));
        }
    }

    void fitTerrainFramesTheScreensAgainKeepingTheRotation()
    {
        ScriptedWindow window;
        QVERIFY(window.exposed);
        SampleFolder sample;
        QVERIFY(window->openTerrainLeft(sample.grd()));
        QVERIFY(window->openTerrainRight(sample.grd()));
        for (GLGrid* view : {window->gLGrid1, window->gLGrid2}) {
            view->setXRotation(-40);
            view->setZRotation(30);
            // Dragged far off to one side and pulled close.
            view->xTrans += 6.0f;
            view->zTrans += 4.0f;
            QVERIFY(!framingFault(view->grabFramebuffer()).isEmpty());
        }
        // The pointer over neither screen: both are framed.
        QCursor::setPos(window->mapToGlobal(QPoint(2, 2)));
        window->viewFit_TerrainAction->trigger();
        for (GLGrid* view : {window->gLGrid1, window->gLGrid2}) {
            QCOMPARE(view->xRot, -40.0f);
            QCOMPARE(view->zRot, 30.0f);
            const QString fault = framingFault(view->grabFramebuffer());
            QVERIFY2(fault.isEmpty(), qPrintable(view->objectName() + QStringLiteral(": ") + fault));
        }
    }

    void theScreenErrorMenuSetsBothScreens()
    {
        ScriptedWindow window;
        QVERIFY(window.exposed);
        const QList<QAction*> choices = window->viewScreen_ErrorMenu->actions();
        QCOMPARE(choices.size(), 5);
        QVERIFY(choices[2]->isChecked()); // 1 pixel
        choices[0]->trigger();
        QVERIFY(choices[0]->isChecked() && !choices[2]->isChecked());
        QCOMPARE(window->gLGrid1->surface.maxScreenError(), 0.0f);
        QCOMPARE(window->gLGrid2->surface.maxScreenError(), 0.0f);
        choices[3]->trigger();
        QCOMPARE(window->gLGrid1->surface.maxScreenError(), 2.0f);
        QCOMPARE(window->gLGrid2->surface.maxScreenError(), 2.0f);
    }

    void anEmptyScreenKeepsTheStartPose()
    {
        ScriptedWindow window;
        QVERIFY(window.exposed);
        window->viewFit_TerrainAction->trigger();
        for (GLGrid* view : {window->gLGrid1, window->gLGrid2}) {
            QCOMPARE(view->xTrans, 0.0f);
            QCOMPARE(view->yTrans, 0.0f);
            QCOMPARE(view->zTrans, 0.0f);
        }
    }
};

TALVANE_APP_TEST_MAIN(MainWindowViewsTest)
#include "test_main_window_views.moc"
