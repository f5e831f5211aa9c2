// The view's command interface: the meta-object table, the refresh and its
// signals, the multiresolution slots with their marks, marking, size changes,
// the answers of an empty view and the camera movie.

#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include "multires/Chaikin.h"
#include "multires/Fractal.h"

#include "diagnostics/CollectingSink.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <string>
#include <vector>

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A smooth hill with a ripple on it: every detail coefficient is non-zero.
float terrainHeight(int row, int column)
{
    return static_cast<float>(200.0 + 40.0 * std::sin(0.11 * column) * std::cos(0.07 * row)
                              + 6.0 * std::sin(0.9 * column + 1.3 * row));
}

void makeTerrain(VeskGrid& grid, int width, int height, float cellSize = 30.0f)
{
    grid.clearData();
    grid.clearDetails();
    grid.resize(width, height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            grid.heights[row][column] = terrainHeight(row, column);
    grid.cellSize = cellSize;
    grid.refresh();
}

struct SlotRow {
    const char* signature;
    QList<QByteArray> argumentNames;
};

const std::vector<SlotRow> kSlotTable = {
    {"setXRotation(int)", {"degrees"}},
    {"setYRotation(int)", {"degrees"}},
    {"setZRotation(int)", {"degrees"}},
    {"setScale(int)", {"val"}},
    {"loadGRDFile(QString)", {"file"}},
    {"loadFLTFile(QString)", {"file"}},
    {"writeDetails(QString&,int&)", {"status", "numfiles"}},
    {"writeTerrain(QString&,bool&)", {"filename", "status"}},
    {"loadDetail(QString)", {"file"}},
    {"writeTerrainSplit(QString&,QString&,bool&)", {"file1", "file2", "success"}},
    {"saveGRD(QString&)", {"f"}},
    {"saveOBJ(const QString&)", {"f"}},
    {"subdivide(int)", {"subdivisiontype"}},
    {"unsubdivide(int)", {"subdivisiontype"}},
    {"setRenderMethod(int)", {"m"}},
    {"toggleRenderUCurves()", {}},
    {"setContourSpacing(int)", {"s"}},
    {"showMatches(bool)", {"on"}},
    {"updateGUI()", {}},
    {"getGrid(VeskGrid*&)", {"g"}},
    {"changeWidth(int)", {"w"}},
    {"changeHeight(int)", {"h"}},
    {"clearDetails()", {}},
    {"emitStdDev()", {}},
    {"setMarked(bool)", {"a"}},
    {"addMarked(int,int,int,int)", {"x", "y", "width", "height"}},
    {"clearMarked()", {}},
    {"receiveBlockDetails(BlockDetails)", {"block"}},
    {"changeNumDeets(int)", {"num"}},
    {"startmovie()", {}},
    {"timerDone()", {}},
    {"move(double,double,double,double,double,double,double,double,double,double,double,double,int,int)",
     {"xts", "yts", "zts", "xrs", "yrs", "zrs", "xtf", "ytf", "ztf", "xrf", "yrf", "zrf", "totalsteps",
      "currentstep"}},
};

const std::vector<SlotRow> kSignalTable = {
    {"widthChanged(const QString&)", {"width"}},
    {"widthChanged(int)", {""}},
    {"heightChanged(const QString&)", {"height"}},
    {"heightChanged(int)", {""}},
    {"freqChanged(int)", {""}},
    {"sendCurve(std::vector<float>)", {""}},
    {"sendDetails(std::vector<float>)", {""}},
    {"sendStdDev(float)", {""}},
    {"sendBlockDetails(BlockDetails)", {"block"}},
};

// Spies on every signal the refresh sends.
struct RefreshSpies {
    explicit RefreshSpies(GLGrid& view)
        : widthText(&view, qOverload<const QString&>(&GLGrid::widthChanged)),
          widthNumber(&view, qOverload<int>(&GLGrid::widthChanged)),
          heightText(&view, qOverload<const QString&>(&GLGrid::heightChanged)),
          heightNumber(&view, qOverload<int>(&GLGrid::heightChanged)),
          frequency(&view, &GLGrid::freqChanged),
          curve(&view, &GLGrid::sendCurve),
          details(&view, &GLGrid::sendDetails)
    {
    }
    int total() const
    {
        return static_cast<int>(widthText.count() + widthNumber.count() + heightText.count() + heightNumber.count()
                                + frequency.count() + curve.count() + details.count());
    }
    QSignalSpy widthText;
    QSignalSpy widthNumber;
    QSignalSpy heightText;
    QSignalSpy heightNumber;
    QSignalSpy frequency;
    QSignalSpy curve;
    QSignalSpy details;
};

std::vector<float> vectorArgument(const QSignalSpy& spy, int emission)
{
    return spy.at(emission).at(0).value<std::vector<float>>();
}

std::vector<int> markOf(const GLGrid& view)
{
    return view.marks;
}

} // namespace

class GLGridCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        GLGrid::movieStartPending = true;
        GLGrid::movieFrame = 0;
    }

    // --- The meta-object table ---

    void slotsExistInDeclaredOrderWithTheirArgumentNames()
    {
        const QMetaObject& meta = GLGrid::staticMetaObject;
        const int first = meta.indexOfSlot(QMetaObject::normalizedSignature(kSlotTable.front().signature));
        QVERIFY(first >= meta.methodOffset());
        for (std::size_t k = 0; k < kSlotTable.size(); ++k) {
            const QByteArray signature = QMetaObject::normalizedSignature(kSlotTable[k].signature);
            const int index = meta.indexOfSlot(signature);
            QVERIFY2(index >= 0, signature.constData());
            QCOMPARE(index, first + static_cast<int>(k));
            const QMetaMethod method = meta.method(index);
            QCOMPARE(method.methodType(), QMetaMethod::Slot);
            QCOMPARE(method.access(), QMetaMethod::Public);
            QCOMPARE(method.parameterNames(), kSlotTable[k].argumentNames);
        }
        // Nothing else in the view's own table: the slots end with move(...).
        int ownSlots = 0;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
            ownSlots += meta.method(i).methodType() == QMetaMethod::Slot ? 1 : 0;
        QCOMPARE(ownSlots, static_cast<int>(kSlotTable.size()));
    }

    void signalsExistInDeclaredOrderWithTheirArgumentNames()
    {
        const QMetaObject& meta = GLGrid::staticMetaObject;
        const int first = meta.indexOfSignal(QMetaObject::normalizedSignature(kSignalTable.front().signature));
        QCOMPARE(first, meta.methodOffset());
        for (std::size_t k = 0; k < kSignalTable.size(); ++k) {
            const QByteArray signature = QMetaObject::normalizedSignature(kSignalTable[k].signature);
            const int index = meta.indexOfSignal(signature);
            QVERIFY2(index >= 0, signature.constData());
            QCOMPARE(index, first + static_cast<int>(k));
            const QList<QByteArray> names = meta.method(index).parameterNames();
            QCOMPARE(names.size(), kSignalTable[k].argumentNames.size());
            if (kSignalTable[k].argumentNames.front() != "")
                QCOMPARE(names, kSignalTable[k].argumentNames);
        }
    }

    // --- Refresh ---

    void refreshOfAnEmptyViewReportsZeroSizesAndNoProfiles()
    {
        GLGrid view;
        RefreshSpies spies(view);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        view.updateGUI();
        const std::string output = capture.take();
        QVERIFY(contains(output, "updateGUI\n"));

        QCOMPARE(spies.widthText.count(), 1);
        QCOMPARE(spies.widthText.at(0).at(0).toString(), QString("0"));
        QCOMPARE(spies.widthNumber.at(0).at(0).toInt(), 0);
        QCOMPARE(spies.heightText.at(0).at(0).toString(), QString("0"));
        QCOMPARE(spies.heightNumber.at(0).at(0).toInt(), 0);
        QCOMPARE(spies.curve.count(), 0);
        QCOMPARE(spies.details.count(), 1);
        QVERIFY(vectorArgument(spies.details, 0).empty());
        // An empty grid's cell size is -1: truncated, -1.
        QCOMPARE(spies.frequency.count(), 1);
        QCOMPARE(spies.frequency.at(0).at(0).toInt(), -1);
        QVERIFY(view.listDirty);
    }

    void refreshOfALoadedViewReportsSizeResolutionAndMiddleRows()
    {
        GLGrid view;
        RefreshSpies spies(view);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        view.loadGRDFile(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.grd"));
        const std::string output = capture.take();
        QVERIFY(view.grid.hasData);
        QCOMPARE(spies.widthNumber.at(0).at(0).toInt(), 403);
        QCOMPARE(spies.widthText.at(0).at(0).toString(), QString("403"));
        QCOMPARE(spies.heightNumber.at(0).at(0).toInt(), 344);
        QCOMPARE(spies.heightText.at(0).at(0).toString(), QString("344"));
        QCOMPARE(spies.frequency.at(0).at(0).toInt(), static_cast<int>(view.grid.cellSize));
        QVERIFY(view.grid.cellSize > 1.0f);
        QCOMPARE(spies.curve.count(), 1);
        QCOMPARE(vectorArgument(spies.curve, 0), view.grid.heights[172]);
        QVERIFY(contains(output, "emit curve\n"));
        // No details yet: the details plot is cleared.
        QCOMPARE(spies.details.count(), 1);
        QVERIFY(vectorArgument(spies.details, 0).empty());

        // After a coarsening the details plot shows the middle row of the row details.
        view.unsubdivide(1);
        QCOMPARE(view.grid.width, 202);
        QCOMPARE(view.grid.height, 173);
        QCOMPARE(spies.details.count(), 2);
        const std::vector<float> details = vectorArgument(spies.details, 1);
        QCOMPARE(details.size(), std::size_t(200));
        QCOMPARE(details, view.grid.details.back()[173 / 2]);
        QCOMPARE(spies.widthNumber.last().at(0).toInt(), 202);
        QCOMPARE(spies.frequency.last().at(0).toInt(), static_cast<int>(view.grid.cellSize));
    }

    void loadingClearsTheMarks()
    {
        GLGrid view;
        makeTerrain(view.grid, 50, 50);
        view.addMarked(1, 2, 3, 4);
        view.setMarked(true);
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        view.loadGRDFile(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.grd"));
        QVERIFY(!view.marked);
        QVERIFY(view.marks.empty());

        view.addMarked(1, 2, 3, 4);
        view.setMarked(true);
        view.loadFLTFile(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.flt"));
        QVERIFY(!view.marked);
        QVERIFY(view.marks.empty());
        QCOMPARE(view.grid.width, 403);
    }

    // A top matrix smaller than the grid implies (another scheme's, or a
    // details file's) is sent only as far as it goes.
    void detailsProfileIsClippedToTheTopMatrix()
    {
        GLGrid view;
        makeTerrain(view.grid, 50, 50);
        RefreshSpies spies(view);

        view.grid.details.push_back(FloatMatrix(30, std::vector<float>{1, 2, 3, 4, 5}));
        view.updateGUI();
        QCOMPARE(vectorArgument(spies.details, 0), (std::vector<float>{1, 2, 3, 4, 5}));

        // Fewer rows than the middle row: nothing of that row exists.
        view.grid.details.push_back(FloatMatrix(3, std::vector<float>(48, 7.0f)));
        view.updateGUI();
        QVERIFY(vectorArgument(spies.details, 1).empty());

        // A matrix that fits gives width - 2 values of its middle row.
        FloatMatrix fitting(50, std::vector<float>(60, 0.0f));
        for (int k = 0; k < 60; ++k)
            fitting[25][k] = static_cast<float>(k);
        view.grid.details.push_back(fitting);
        view.updateGUI();
        const std::vector<float> sent = vectorArgument(spies.details, 2);
        QCOMPARE(sent.size(), std::size_t(48));
        QCOMPARE(sent.back(), 47.0f);
    }

    // --- Multiresolution through the view ---

    void chaikinRefinementDoublesTheMarks()
    {
        GLGrid view;
        makeTerrain(view.grid, 50, 50);
        view.addMarked(10, 20, 30, 25);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        view.subdivide(1);
        const std::string output = capture.take();
        QVERIFY(contains(output, "GLGRID::subdivide\n*** CALLING CHAIKIN *** \n"));
        QCOMPARE(view.grid.width, 98);
        QCOMPARE(view.grid.height, 98);
        QCOMPARE(markOf(view), (std::vector<int>{20, 40, 60, 50}));
    }

    void noSchemeStillScalesAndCutsTheMarks()
    {
        GLGrid view;
        makeTerrain(view.grid, 50, 50);
        const FloatMatrix before = view.grid.heights;
        view.addMarked(10, 20, 30, 25);
        RefreshSpies spies(view);
        view.subdivide(0);
        QCOMPARE(view.grid.heights, before);
        QCOMPARE(markOf(view), (std::vector<int>{20, 40, 30, 10}));
        QCOMPARE(spies.widthNumber.count(), 1);

        view.unsubdivide(0);
        QCOMPARE(view.grid.heights, before);
        QCOMPARE(markOf(view), (std::vector<int>{10, 20, 15, 5}));
        QCOMPARE(spies.widthNumber.count(), 2);
    }

    void coarseningHalvesTheMarks()
    {
        GLGrid view;
        makeTerrain(view.grid, 50, 50);
        view.addMarked(7, 9, 5, 3);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        view.unsubdivide(1);
        const std::string output = capture.take();
        QVERIFY(contains(output, "GLGRID::unsubdivide\n"));
        QVERIFY(!contains(output, "CALLING"));
        QCOMPARE(view.grid.width, 26);
        QCOMPARE(markOf(view), (std::vector<int>{3, 4, 2, 1}));
    }

    void coarsenThenRefineRestoresTheTerrainForEachDetailScheme()
    {
        for (const int scheme : {1, 3}) {
            GLGrid view;
            // Sizes that stay even (Chaikin) or odd (Faber) through two levels.
            const int size = scheme == 1 ? 66 : 65;
            makeTerrain(view.grid, size, size);
            const FloatMatrix original = view.grid.heights;
            RefreshSpies spies(view);
            diagnostics::CollectingSink capture;
            diagnostics::ScopedSink captureScope(capture);
            view.unsubdivide(scheme);
            view.unsubdivide(scheme);
            view.subdivide(scheme);
            view.subdivide(scheme);
            const std::string output = capture.take();
            QVERIFY(contains(output, scheme == 1 ? "*** CALLING CHAIKIN *** \n" : "*** CALLING FABER ***\n"));
            QCOMPARE(view.grid.width, size);
            QCOMPARE(view.grid.height, size);
            QVERIFY(view.grid.details.empty());
            for (int row = 0; row < size; ++row)
                for (int column = 0; column < size; ++column)
                    QVERIFY(std::fabs(view.grid.heights[row][column] - original[row][column]) < 1e-3f);
            // Every step reported its size: coarse, coarser, coarse, full.
            QCOMPARE(spies.widthNumber.count(), 4);
            QCOMPARE(spies.widthNumber.at(3).at(0).toInt(), size);
            QCOMPARE(spies.details.at(0).at(0).value<std::vector<float>>().size(),
                     static_cast<std::size_t>(spies.widthNumber.at(0).at(0).toInt() - 2));
        }
    }

    void fractalSchemeRefinesWithNoiseAndCoarsensByDecimation()
    {
        GLGrid view;
        makeTerrain(view.grid, 40, 40);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        view.subdivide(2);
        const std::string output = capture.take();
        QVERIFY(contains(output, "*** CALLING FRACTAL ***\n"));
        QCOMPARE(view.grid.width, 78);
        view.unsubdivide(2);
        QCOMPARE(view.grid.width, 39);
    }

    // Details that do not fit the grid are refused by the refinement; the view
    // keeps its terrain and marks and still refreshes.
    void refusedRefinementKeepsTheGridAndMarksAndStillRefreshes()
    {
        GLGrid view;
        makeTerrain(view.grid, 50, 50);
        view.addMarked(10, 20, 30, 25);
        view.grid.details.push_back(FloatMatrix(3, std::vector<float>(3, 1.0f)));
        view.grid.details.push_back(FloatMatrix(3, std::vector<float>(3, 1.0f)));
        const FloatMatrix before = view.grid.heights;
        RefreshSpies spies(view);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        view.subdivide(1);
        const std::string output = capture.take();
        QVERIFY(contains(output, "*** CALLING CHAIKIN *** \n"));
        QVERIFY(contains(output, "updateGUI\n"));
        QCOMPARE(view.grid.width, 50);
        QCOMPARE(view.grid.heights, before);
        QCOMPARE(view.grid.details.size(), std::size_t(2));
        QCOMPARE(markOf(view), (std::vector<int>{10, 20, 30, 25}));
        QCOMPARE(spies.widthNumber.count(), 1);
        QCOMPARE(spies.widthNumber.at(0).at(0).toInt(), 50);

        // A grid too small to coarsen keeps its marks as well.
        GLGrid small;
        makeTerrain(small.grid, 9, 100);
        small.addMarked(2, 4, 4, 6);
        small.unsubdivide(1);
        QCOMPARE(small.grid.width, 9);
        QCOMPARE(markOf(small), (std::vector<int>{2, 4, 4, 6}));
    }

    // --- Marking ---

    void markingAcceptsRectanglesInsideTheGridOnly()
    {
        GLGrid view;
        makeTerrain(view.grid, 50, 50);
        {
            diagnostics::CollectingSink capture;
            diagnostics::ScopedSink captureScope(capture);
            view.addMarked(0, 0, 50, 10);
            const std::string output = capture.take();
            QCOMPARE(output, std::string("Error in marking . . . 50 w >= 50\n"));
            QVERIFY(view.marks.empty());
        }
        {
            diagnostics::CollectingSink capture;
            diagnostics::ScopedSink captureScope(capture);
            view.addMarked(3, 45, 0, 5);
            const std::string output = capture.take();
            QCOMPARE(output, std::string("Error in marking . . . 50 h >= 50\nwidth = 0\n"));
            QVERIFY(view.marks.empty());
        }
        {
            // Starting left of the grid is refused even though the far edge is inside.
            diagnostics::CollectingSink capture;
            diagnostics::ScopedSink captureScope(capture);
            view.addMarked(-5, 0, 10, 10);
            const std::string output = capture.take();
            QVERIFY(contains(output, "Error in marking . . . "));
            QVERIFY(view.marks.empty());
        }
        {
            // Sums that would overflow an int are outside, not wrapped inside.
            diagnostics::SilentSink silence;
            diagnostics::ScopedSink silenced(silence);
            view.addMarked(2147483000, 0, 2000, 10);
            QVERIFY(view.marks.empty());
        }
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        view.addMarked(10, 20, 30, 25);
        view.addMarked(0, 0, 49, 49);
        const std::string output = capture.take();
        QVERIFY(contains(output, "Marking 10 20 30 25\nMarking 0 0 49 49\n"));
        QCOMPARE(markOf(view), (std::vector<int>{10, 20, 30, 25, 0, 0, 49, 49}));

        view.setMarked(true);
        QVERIFY(view.marked);
        view.clearMarked();
        QVERIFY(!view.marked);
        QVERIFY(view.marks.empty());
    }

    // --- Sizes, details, grid access ---

    void sizeChangesRefreshOnlyWhenTheSizeChanges()
    {
        GLGrid view;
        makeTerrain(view.grid, 50, 40);
        RefreshSpies spies(view);
        {
            diagnostics::CollectingSink capture;
            diagnostics::ScopedSink captureScope(capture);
            view.changeWidth(50);
            view.changeHeight(40);
            QCOMPARE(capture.take(), std::string());
            QCOMPARE(spies.total(), 0);
        }
        view.changeWidth(60);
        QCOMPARE(view.grid.width, 60);
        QCOMPARE(spies.widthNumber.count(), 1);
        QCOMPARE(spies.widthNumber.at(0).at(0).toInt(), 60);
        view.changeHeight(30);
        QCOMPARE(view.grid.height, 30);
        QCOMPARE(spies.heightNumber.last().at(0).toInt(), 30);
        QCOMPARE(spies.heightText.last().at(0).toString(), QString("30"));

        // The window's spin boxes echo the reported value back: the exchange stops.
        GLGrid echoing;
        makeTerrain(echoing.grid, 50, 40);
        connect(&echoing, qOverload<int>(&GLGrid::widthChanged), &echoing, &GLGrid::changeWidth);
        QSignalSpy echoed(&echoing, qOverload<int>(&GLGrid::widthChanged));
        echoing.changeWidth(1);
        QCOMPARE(echoing.grid.width, 2);
        QCOMPARE(echoed.count(), 1);
    }

    void clearingDetailsEmptiesTheStackAndTheDetailsPlot()
    {
        GLGrid view;
        makeTerrain(view.grid, 50, 50);
        view.unsubdivide(1);
        QVERIFY(!view.grid.details.empty());
        RefreshSpies spies(view);
        view.clearDetails();
        QVERIFY(view.grid.details.empty());
        QCOMPARE(spies.details.count(), 1);
        QVERIFY(vectorArgument(spies.details, 0).empty());
    }

    void getGridHandsOutTheViewsOwnGrid()
    {
        GLGrid view;
        VeskGrid* grid = nullptr;
        view.getGrid(grid);
        QCOMPARE(grid, &view.grid);
        // Through the meta-object as well, as the window may call it.
        VeskGrid* viaMeta = nullptr;
        QVERIFY(QMetaObject::invokeMethod(&view, "getGrid", Q_ARG(VeskGrid*&, viaMeta)));
        QCOMPARE(viaMeta, &view.grid);
    }

    void standardDeviationIsTheEstimateOfTheGrid()
    {
        GLGrid view;
        makeTerrain(view.grid, 40, 40);
        VeskGrid copy = view.grid;
        const float expected = estimateDetailDeviation(copy);
        QSignalSpy spy(&view, &GLGrid::sendStdDev);
        view.emitStdDev();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toFloat(), expected);
        QVERIFY(expected > 0.0f);

        // An odd height is trimmed by the estimate; the controls hear of it.
        GLGrid odd;
        makeTerrain(odd.grid, 40, 41);
        QSignalSpy heights(&odd, qOverload<int>(&GLGrid::heightChanged));
        odd.emitStdDev();
        QCOMPARE(odd.grid.height, 40);
        QCOMPARE(heights.count(), 1);
        QCOMPARE(heights.at(0).at(0).toInt(), 40);
    }

    // --- Answers of a view without data ---

    void saveSlotsOfAnEmptyViewAnswerGridHasNoData()
    {
        GLGrid view;
        const QString noData = QStringLiteral("Grid has no data");

        QString status = QStringLiteral("before");
        int files = 7;
        view.writeDetails(status, files);
        QCOMPARE(status, noData);
        QCOMPARE(files, 0);

        QString name = QStringLiteral("terrain.grd");
        bool written = true;
        view.writeTerrain(name, written);
        QCOMPARE(name, noData);
        QVERIFY(!written);

        QString left = QStringLiteral("l");
        QString right = QStringLiteral("r");
        bool split = true;
        view.writeTerrainSplit(left, right, split);
        QCOMPARE(left, noData);
        QCOMPARE(right, QStringLiteral("r"));
        QVERIFY(!split);

        // Loading details into nothing is ignored altogether.
        RefreshSpies spies(view);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        view.loadDetail(QStringLiteral("/nonexistent.dtl"));
        QCOMPARE(capture.take(), std::string());
        QCOMPARE(spies.total(), 0);
    }

    void saveSlotsOfALoadedViewWriteThroughTheGrid()
    {
        const QString folder = QDir::tempPath() + QStringLiteral("/viewcommands-save");
        QDir().mkpath(folder);
        GLGrid view;
        makeTerrain(view.grid, 30, 30);
        view.unsubdivide(1);

        QString name = folder + QStringLiteral("/terrain.grd");
        bool written = false;
        view.writeTerrain(name, written);
        QVERIFY(written);
        QVERIFY(QFile::exists(name));

        QString status;
        int files = -5;
        view.grid.name = folder + QStringLiteral("/t");
        view.writeDetails(status, files);
        QCOMPARE(files, 1);
        QVERIFY(QFile::exists(status));

        // A details file loads back onto a grid with data and refreshes.
        RefreshSpies spies(view);
        view.clearDetails();
        view.loadDetail(status);
        QCOMPARE(view.grid.details.size(), std::size_t(2));
        QCOMPARE(spies.details.count(), 2);
        QVERIFY(!vectorArgument(spies.details, 1).empty());
        QDir(folder).removeRecursively();
    }

    void saveGrdAndObjWriteTheTerrain()
    {
        const QString folder = QDir::tempPath() + QStringLiteral("/viewcommands-grd-obj");
        QDir().mkpath(folder);
        GLGrid view;
        makeTerrain(view.grid, 3, 2);
        QString grdName = folder + QStringLiteral("/plain.grd");
        view.saveGRD(grdName);
        QVERIFY(QFile::exists(grdName));
        GLGrid reloaded;
        reloaded.loadGRDFile(grdName);
        QCOMPARE(reloaded.grid.width, 3);
        QCOMPARE(reloaded.grid.height, 2);

        const QString objName = folder + QStringLiteral("/mesh.obj");
        view.saveOBJ(objName);
        QFile obj(objName);
        QVERIFY(obj.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromLatin1(obj.readAll());
        QCOMPARE(text.count(QStringLiteral("\nv ")), 6);
        QCOMPARE(text.count(QStringLiteral("\nf ")), 4);
        QDir(folder).removeRecursively();
    }

    void multiresolutionOnAnEmptyViewChangesNothingAndStillRefreshes()
    {
        GLGrid view;
        view.addMarked(0, 0, 1, 1); // refused: the grid has no samples
        QVERIFY(view.marks.empty());
        RefreshSpies spies(view);
        QSignalSpy deviation(&view, &GLGrid::sendStdDev);
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        for (const int scheme : {1, 2, 3}) {
            view.subdivide(scheme);
            view.unsubdivide(scheme);
        }
        view.emitStdDev();
        QVERIFY(!view.grid.hasData);
        QCOMPARE(view.grid.width, 0);
        QCOMPARE(spies.widthNumber.count(), 6);
        QCOMPARE(spies.curve.count(), 0);
        QCOMPARE(deviation.count(), 1);
        QCOMPARE(deviation.at(0).at(0).toFloat(), 0.0f);
    }

    // --- Block levels ---

    void changingTheLevelsDropsTheBlockAndHidesTheSelection()
    {
        GLGrid view;
        view.blockDetails.matrices.push_back(FloatMatrix(2, std::vector<float>(2, 1.0f)));
        view.selX1 = 4;
        view.changeNumDeets(5);
        QCOMPARE(view.numDeets, 5);
        QVERIFY(view.blockDetails.empty());
        QCOMPARE(view.selX1, -1);
    }

    // --- Movie ---

    void firstMoviePressPlacesTheCameraLaterPressesStartTimers()
    {
        GLGrid left;
        GLGrid right;
        left.startmovie();
        QCOMPARE(left.xTrans, 0.9f);
        QCOMPARE(left.yTrans, 5.82f);
        QCOMPARE(left.zTrans, -7.95f);
        QCOMPARE(left.zRot, 270.0f);
        QVERIFY(!GLGrid::movieStartPending);
        QCOMPARE(left.findChildren<QTimer*>().size(), 0);

        // The pending start is shared: the other view's first press already flies.
        right.startmovie();
        QCOMPARE(right.xTrans, 0.0f);
        const QList<QTimer*> timers = right.findChildren<QTimer*>();
        QCOMPARE(timers.size(), 1);
        QCOMPARE(timers.front()->interval(), 450);
        QVERIFY(timers.front()->isActive());
        QVERIFY(!timers.front()->isSingleShot());
        right.startmovie();
        QCOMPARE(right.findChildren<QTimer*>().size(), 2);

        // A running timer drives the ticks.
        QTRY_VERIFY_WITH_TIMEOUT(GLGrid::movieFrame >= 1, 3000);
    }

    void movieTickAtFrameSevenIsTwoTenthsIntoTheSecondLeg()
    {
        GLGrid view;
        GLGrid::movieFrame = 7;
        view.timerDone();
        QCOMPARE(GLGrid::movieFrame, 8);
        QCOMPARE(view.xTrans, -0.3f);
        QCOMPARE(view.yTrans, 4.8f);
        QCOMPARE(view.zTrans, -15.36f);
        QCOMPARE(view.xRot, -82.0f);
        QCOMPARE(view.zRot, 270.0f);
    }

    void flightEndsFourFifteenthsIntoTheLastLegAndStaysThere()
    {
        GLGrid view;
        for (int tick = 0; tick < 50; ++tick)
            view.timerDone();
        QCOMPARE(view.xTrans, -0.3f);
        QCOMPARE(view.yTrans, static_cast<float>(1.8 + 4.0 / 15.0 * (1.56 - 1.8)));
        QCOMPARE(view.zTrans, static_cast<float>(0.84 + 4.0 / 15.0 * (2.52 - 0.84)));
        QVERIFY(std::fabs(view.yTrans - 1.736f) < 1e-6f);
        QVERIFY(std::fabs(view.zTrans - 1.288f) < 1e-6f);
        view.xTrans = 9.0f;
        view.timerDone();
        QCOMPARE(view.xTrans, 9.0f);
        QCOMPARE(GLGrid::movieFrame, 51);
    }

    void moveInterpolatesWithoutRepaintingAndArrivesWhenThereAreNoSteps()
    {
        GLGrid view;
        view.move(0, 0, 0, 0, 0, 0, 10, 20, 30, 40, 50, 60, 4, 1);
        QCOMPARE(view.xTrans, 2.5f);
        QCOMPARE(view.yTrans, 5.0f);
        QCOMPARE(view.zTrans, 7.5f);
        QCOMPARE(view.xRot, 10.0f);
        QCOMPARE(view.yRot, 12.5f);
        QCOMPARE(view.zRot, 15.0f);
        view.move(0, 0, 0, 0, 0, 0, 10, 20, 30, 40, 50, 60, 0, 0);
        QCOMPARE(view.xTrans, 10.0f);
        QVERIFY(std::isfinite(view.zRot));
    }
};

int main(int argc, char** argv)
{
    installDefaultSurfaceFormat();
    QApplication application(argc, argv);
    GLGridCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_glgrid_commands.moc"
