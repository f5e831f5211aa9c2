// The status bar's readout under the cursor on the real DEM: the mouse is moved to
// where the view's own matrices put three known samples, and the readout names each
// sample's column and row, its height exactly as the file holds it and its place on
// the Earth as the file's geotransform gives it; off the terrain, and once the
// pointer has left the screen, the readout is empty.

#include "AppTestSupport.h"

#include "views/GLGrid.h"
#include "views/SamplePicker.h"
#include "views/SurfaceCoordinates.h"

#include <gdal_priv.h>

#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QtTest>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>

namespace {

const QString kDem = QStringLiteral(TALVANE_TEST_DATA "/jacksboro_geographic.tif");

struct FileSample {
    float height = 0.0f;
    double longitude = 0.0;
    double latitude = 0.0;
};

// The sample as the file holds it, read through GDAL apart from the window's loader.
FileSample fileSample(int row, int column)
{
    FileSample sample;
    GDALAllRegister();
    GDALDataset* dataset = static_cast<GDALDataset*>(GDALOpen(kDem.toUtf8().constData(), GA_ReadOnly));
    if (dataset == nullptr)
        return sample;
    std::array<double, 6> t{};
    dataset->GetGeoTransform(t.data());
    double value = 0.0;
    if (dataset->GetRasterBand(1)->RasterIO(GF_Read, column, row, 1, 1, &value, 1, 1, GDT_Float64, 0, 0, nullptr)
        == CE_None)
        sample.height = static_cast<float>(value);
    sample.longitude = t[0] + (column + 0.5) * t[1];
    sample.latitude = t[3] + (row + 0.5) * t[5];
    GDALClose(dataset);
    return sample;
}

PickCamera viewMatrices(GLGrid* view)
{
    view->makeCurrent();
    PickCamera camera;
    glGetDoublev(GL_MODELVIEW_MATRIX, camera.modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, camera.projection);
    glGetIntegerv(GL_VIEWPORT, camera.viewport);
    camera.pixelRatio = view->devicePixelRatioF();
    return camera;
}

// Where the view draws a sample, in widget pixels with y downwards.
QPoint samplePoint(GLGrid* view, const PickCamera& camera, int row, int column)
{
    using namespace surface_coordinates;
    const VeskGrid& grid = view->grid;
    const double scale = cellScale(grid.cellSize);
    GLdouble x = 0.0;
    GLdouble y = 0.0;
    GLdouble z = 0.0;
    gluProject(column * scale, row * scale, heightAbove(grid.heights[row][column], grid.minHeight), camera.modelView,
               camera.projection, camera.viewport, &x, &y, &z);
    return QPoint(static_cast<int>(std::lround(x / camera.pixelRatio)),
                  view->height() - static_cast<int>(std::lround(y / camera.pixelRatio)));
}

// A move of the pointer over the view with no button down, delivered to it directly so
// that where the display's own pointer rests plays no part.
void movePointer(GLGrid* view, const QPoint& point)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(point), QPointF(view->mapToGlobal(point)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
}

QString readout(TalvaneMainWindow* window)
{
    return window->cursorReadoutLabel->text();
}

QString degreesText(double value, char positive, char negative)
{
    return QString::asprintf("%.6f\u00b0 %c", std::fabs(value), value < 0.0 ? negative : positive);
}

} // namespace

class MainWindowReadoutTest : public QObject {
    Q_OBJECT

private slots:
    void readoutNamesTheSampleUnderTheCursor()
    {
        ScriptedWindow window;
        QVERIFY(window.exposed);
        QVERIFY(window->openTerrainLeft(kDem));
        GLGrid* view = window->gLGrid1;
        QVERIFY(view->hasMouseTracking());
        QCOMPARE(view->grid.width, 403);
        QCOMPARE(view->grid.height, 344);
        processEventsFor(200);

        // Off the terrain (the framed terrain touches no corner of the screen) the
        // readout of the sample before goes.
        movePointer(view, QPoint(view->width() / 2, view->height() / 2));
        QVERIFY(!readout(window.window.get()).isEmpty());
        movePointer(view, QPoint(2, 2));
        QVERIFY(readout(window.window.get()).isEmpty());

        // Closer in, so that neighbouring samples lie pixels apart and the aimed sample
        // is the nearest to its own pixel.
        view->setScale(60);
        view->repaint();
        processEventsFor(100);
        const PickCamera camera = viewMatrices(view);
        // The sample drawn nearest the screen's middle and two a little way from it.
        int middleRow = -1;
        int middleColumn = -1;
        SamplePicker::pickByProjectingEverySample(view->grid, camera, view->width() / 2.0, view->height() / 2.0,
                                                  middleRow, middleColumn);
        QVERIFY(middleRow >= 20 && middleColumn >= 20 && middleRow + 20 < 344 && middleColumn + 20 < 403);
        const std::array<std::array<int, 2>, 3> samples{
            {{middleRow, middleColumn}, {middleRow - 17, middleColumn + 11}, {middleRow + 13, middleColumn - 19}}};
        const QRegularExpression pattern(
            QStringLiteral("^Left Screen: column (\\d+), row (\\d+), height ([-0-9.e]+) m, (.*) \\| "
                           "403 x 344 samples, cell size 90 m$"));
        for (const auto& [row, column] : samples) {
            const QPoint point = samplePoint(view, camera, row, column);
            QVERIFY2(view->rect().adjusted(5, 5, -5, -5).contains(point),
                     qPrintable(QStringLiteral("sample %1,%2 is drawn at %3,%4, off the screen").arg(row).arg(column)
                                    .arg(point.x()).arg(point.y())));
            int expectedRow = -1;
            int expectedColumn = -1;
            SamplePicker::pickByProjectingEverySample(view->grid, camera, point.x(), view->height() - point.y(),
                                                      expectedRow, expectedColumn);
            QCOMPARE(expectedRow, row);
            QCOMPARE(expectedColumn, column);

            movePointer(view, point);
            const QString text = readout(window.window.get());
            const QRegularExpressionMatch match = pattern.match(text);
            QVERIFY2(match.hasMatch(), qPrintable(text));
            QCOMPARE(match.captured(1).toInt(), column);
            QCOMPARE(match.captured(2).toInt(), row);
            const FileSample expected = fileSample(row, column);
            bool number = false;
            const float shown = match.captured(3).toFloat(&number);
            QVERIFY(number);
            QCOMPARE(shown, expected.height); // exactly: the text reads back as the same float
            QCOMPARE(match.captured(4),
                     degreesText(expected.latitude, 'N', 'S') + QStringLiteral(" ")
                         + degreesText(expected.longitude, 'E', 'W'));
        }

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(view, &leave);
        QVERIFY(readout(window.window.get()).isEmpty());
    }

    void terrainWithoutGeoreferencingShowsNoPosition()
    {
        ScriptedWindow window;
        QVERIFY(window.exposed);
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainRight(sample.grd()));
        GLGrid* view = window->gLGrid2;
        processEventsFor(200);
        const PickCamera camera = viewMatrices(view);
        const QPoint point = samplePoint(view, camera, view->grid.height / 2, view->grid.width / 2);
                movePointer(view, point);
        int row = -1;
        int column = -1;
        SamplePicker::pickByProjectingEverySample(view->grid, camera, point.x(), view->height() - point.y(), row,
                                                  column);
        QVERIFY(row >= 0);
        const QRegularExpression pattern(QStringLiteral(
            "^Right Screen: column (\\d+), row (\\d+), height ([-0-9.e]+) m \\| 403 x 344 samples, cell size 90 m$"));
        const QString text = readout(window.window.get());
        const QRegularExpressionMatch match = pattern.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(text));
        QCOMPARE(match.captured(1).toInt(), column);
        QCOMPARE(match.captured(2).toInt(), row);
        QCOMPARE(match.captured(3).toFloat(), view->grid.heights[row][column]);
    }
};

TALVANE_APP_TEST_MAIN(MainWindowReadoutTest)
#include "test_main_window_readout.moc"
