// Picking by tiles gives the sample that projecting every sample gives: on the real
// DEM and on generated terrains, under many cameras (some with the terrain reaching
// behind the eye), for pointers on and off the terrain, with ties and with heights
// that are not numbers.

#include "diagnostics/CollectingSink.h"
#include "support/TestGrids.h"
#include "support/ViewCamera.h"
#include "views/SamplePicker.h"

#include <QtTest>

#include <array>
#include <cmath>
#include <random>

namespace {

float hills(int row, int column)
{
    return 300.0f + 120.0f * std::sin(row * 0.05f) * std::cos(column * 0.04f) + 2.0f * column;
}

} // namespace

class SamplePickerTest : public QObject {
    Q_OBJECT

private:
    // Both pickers at many pointer positions under one camera; returns how many differ.
    int disagreements(const VeskGrid& grid, SamplePicker& picker, const PickCamera& camera, std::mt19937& random,
                      int pointers)
    {
        std::uniform_real_distribution<double> x(-100.0, camera.viewport[2] + 100.0);
        std::uniform_real_distribution<double> y(-100.0, camera.viewport[3] + 100.0);
        int differing = 0;
        for (int i = 0; i < pointers; ++i) {
            const double targetX = std::round(x(random));
            const double targetY = std::round(y(random));
            int row = -2;
            int column = -2;
            int expectedRow = -3;
            int expectedColumn = -3;
            picker.pick(grid, camera, targetX, targetY, row, column);
            SamplePicker::pickByProjectingEverySample(grid, camera, targetX, targetY, expectedRow, expectedColumn);
            if (row != expectedRow || column != expectedColumn) {
                ++differing;
                qWarning("at (%g, %g): tiles %d,%d, every sample %d,%d", targetX, targetY, row, column, expectedRow,
                         expectedColumn);
            }
        }
        return differing;
    }

    void agreeUnderManyCameras(const VeskGrid& grid, unsigned seed)
    {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> angle(-180.0, 180.0);
        std::uniform_real_distribution<double> shift(-4.0, 4.0);
        std::uniform_real_distribution<double> depth(-12.0, 3.0);
        SamplePicker picker;
        for (int pose = 0; pose < 25; ++pose) {
            const PickCamera camera = viewCamera(pose % 2 ? 400 : 300, pose % 3 ? 300 : 420,
                                                 {shift(random), shift(random), depth(random)}, 1.0 + pose % 4,
                                                 {angle(random), angle(random), angle(random)});
            QCOMPARE(disagreements(grid, picker, camera, random, 12), 0);
        }
    }

private slots:
    void realDemUnderManyCameras()
    {
        VeskGrid dem;
        diagnostics::SilentSink quiet;
        diagnostics::ScopedSink scope(quiet);
        QVERIFY(dem.loadGRDFile(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.grd")));
        agreeUnderManyCameras(dem, 14);
    }

    void generatedTerrainsUnderManyCameras()
    {
        VeskGrid wide;
        fillTestGrid(wide, 300, 130, 30.0f, hills);
        agreeUnderManyCameras(wide, 7);
        VeskGrid tiny;
        fillTestGrid(tiny, 3, 70, 200.0f, hills);
        agreeUnderManyCameras(tiny, 8);
    }

    void theTerrainReachingBehindTheEye()
    {
        // Eye inside the terrain's extent, looking along it: part of it is behind the eye.
        VeskGrid grid;
        fillTestGrid(grid, 200, 200, 100.0f, hills);
        SamplePicker picker;
        std::mt19937 random(3);
        const PickCamera camera = viewCamera(400, 300, {-5.0, -5.0, -0.5}, 1.0, {-80.0, 0.0, 30.0});
        QCOMPARE(disagreements(grid, picker, camera, random, 40), 0);
    }

    void aLargeGridIsPickedFromAFewTiles()
    {
        // 1,025 x 1,025 samples seen from above at an angle, the pointer on the terrain.
        VeskGrid grid;
        fillTestGrid(grid, 1025, 1025, 10.0f, hills);
        SamplePicker picker;
        const PickCamera camera = viewCamera(800, 600, {-2.5, -1.5, -7.0}, 1.0, {-40.0, 0.0, 10.0});
        std::mt19937 random(21);
        std::uniform_int_distribution<int> x(200, 600);
        std::uniform_int_distribution<int> y(150, 450);
        for (int i = 0; i < 6; ++i) {
            const int targetX = x(random);
            const int targetY = y(random);
            int row = -2;
            int column = -2;
            picker.pick(grid, camera, targetX, targetY, row, column);
            QVERIFY2(picker.lastProjectedSamples() < std::size_t{1025 * 1025 / 20},
                     qPrintable(QString::number(picker.lastProjectedSamples())));
            qInfo("projected %zu of %d samples", picker.lastProjectedSamples(), 1025 * 1025);
            int expectedRow = -3;
            int expectedColumn = -3;
            SamplePicker::pickByProjectingEverySample(grid, camera, targetX, targetY, expectedRow, expectedColumn);
            QCOMPARE(row, expectedRow);
            QCOMPARE(column, expectedColumn);
        }
    }

    void tiesKeepTheEarliestSample()
    {
        // A flat 2 x 2 grid whose samples project exactly to 120 and 136 in both axes
        // (cell size 2000: sample (r, c) at world (c, r, 0)).
        VeskGrid grid;
        fillTestGrid(grid, 2, 2, 2000.0f, [](int, int) { return 0.0f; });
        const PickCamera camera = viewCamera(256, 256, {-0.5, -0.5, -6.0}, 1.0, {0.0, 0.0, 0.0});
        SamplePicker picker;
        const std::array<std::array<int, 4>, 5> cases{{{128, 128, 0, 0}, {136, 128, 0, 1}, {128, 136, 1, 0},
                                                       {136, 136, 1, 1}, {250, 250, 1, 1}}};
        for (const auto& [x, y, row, column] : cases) {
            int pickedRow = -2;
            int pickedColumn = -2;
            picker.pick(grid, camera, x, y, pickedRow, pickedColumn);
            QCOMPARE(pickedRow, row);
            QCOMPARE(pickedColumn, column);
        }
    }

    void heightsThatAreNotNumbersAreNeverPicked()
    {
        VeskGrid grid;
        fillTestGrid(grid, 150, 150, 40.0f, [](int r, int c) {
            return (r < 70 && c < 70) || (r * c) % 13 == 0 ? std::nanf("") : hills(r, c);
        });
        SamplePicker picker;
        std::mt19937 random(11);
        const PickCamera camera = viewCamera(400, 400, {-1.5, -1.5, -6.0}, 1.0, {-30.0, 0.0, 10.0});
        QCOMPARE(disagreements(grid, picker, camera, random, 40), 0);
        int row = -2;
        int column = -2;
        picker.pick(grid, camera, 200, 200, row, column);
        QVERIFY(row >= 0 && !std::isnan(grid.heights[row][column]));
    }

    void newHeightsAfterInvalidationOrANewSize_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("invalidated");
        // The owner says the heights changed; a change of size is noticed without being told.
        QTest::newRow("same size, invalidated") << 100 << 100 << true;
        QTest::newRow("new size") << 130 << 90 << false;
    }

    void newHeightsAfterInvalidationOrANewSize()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, invalidated);
        VeskGrid grid;
        fillTestGrid(grid, 100, 100, 40.0f, [](int, int) { return 0.0f; });
        SamplePicker picker;
        const PickCamera camera = viewCamera(400, 400, {-1.0, -1.0, -5.0}, 1.0, {-40.0, 0.0, 0.0});
        int row = -2;
        int column = -2;
        picker.pick(grid, camera, 200, 200, row, column);
        fillTestGrid(grid, width, height, 40.0f, [](int r, int c) { return 4000.0f * r + hills(r, c); });
        if (invalidated)
            picker.invalidate();
        std::mt19937 random(5);
        QCOMPARE(disagreements(grid, picker, camera, random, 30), 0);
    }

    void gridsWithoutSamples()
    {
        VeskGrid empty;
        SamplePicker picker;
        const PickCamera camera = viewCamera(100, 100, {0.0, 0.0, -5.0}, 1.0, {0.0, 0.0, 0.0});
        int row = 5;
        int column = 5;
        picker.pick(empty, camera, 50, 50, row, column);
        QCOMPARE(row, -1);
        QCOMPARE(column, -1);
    }

};

QTEST_GUILESS_MAIN(SamplePickerTest)
#include "test_sample_picker.moc"
