// Undo and redo through the real window: every change of a screen (loads,
// coarsening, refinement, "Go") comes back to the bit in both directions, and the
// history stays within its memory bound by dropping its oldest changes.

#include "AppTestSupport.h"
#include "ScreenStates.h"

#include "app/TerrainHistory.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"
#include "views/TerrainSteps.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#include <cmath>
#include <vector>

namespace {

// A middle-button drag across a view, from one point to another.
void middleDrag(GLGrid* view, QPoint from, QPoint to)
{
    QTest::mousePress(view, Qt::MiddleButton, Qt::NoModifier, from);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::MiddleButton, Qt::NoModifier, to);
}

QPoint at(const GLGrid* view, double x, double y)
{
    return QPoint(static_cast<int>(view->width() * x), static_cast<int>(view->height() * y));
}

// The states a window went through and the names of the changes between them;
// walks the whole history back and forth, comparing every state to the bit.
struct RecordedSteps {
    TalvaneMainWindow* window;
    std::vector<WindowState> states;
    std::vector<QString> names;

    explicit RecordedSteps(TalvaneMainWindow* shown) : window(shown), states{stateOf(*shown)} {}

    // Call after each change; false when the history did not take it under that name.
    bool add(const QString& name)
    {
        states.push_back(stateOf(*window));
        names.push_back(name);
        QUndoStack* stack = window->terrainHistory()->stack();
        return stack->count() == static_cast<int>(names.size())
            && window->editUndoAction->text() == QStringLiteral("&Undo ") + name
            && differenceBetween(states[states.size() - 2], states.back()) != QString();
    }

    // The first state or change that did not come back, or an empty text.
    QString undoAndRedoAll() const
    {
        QUndoStack* stack = window->terrainHistory()->stack();
        for (std::size_t k = states.size() - 1; k > 0; --k) {
            if (!stack->canUndo())
                return QStringLiteral("cannot undo ") + names[k - 1];
            window->editUndoAction->trigger();
            const QString difference = differenceBetween(states[k - 1], stateOf(*window));
            if (!difference.isEmpty())
                return QStringLiteral("undo of ") + names[k - 1] + QStringLiteral(": ") + difference;
            if (window->editRedoAction->text() != QStringLiteral("&Redo ") + names[k - 1])
                return QStringLiteral("redo text ") + window->editRedoAction->text();
        }
        if (stack->canUndo())
            return QStringLiteral("more to undo than was done");
        for (std::size_t k = 1; k < states.size(); ++k) {
            window->editRedoAction->trigger();
            const QString difference = differenceBetween(states[k], stateOf(*window));
            if (!difference.isEmpty())
                return QStringLiteral("redo of ") + names[k - 1] + QStringLiteral(": ") + difference;
        }
        return stack->canRedo() ? QStringLiteral("more to redo than was undone") : QString();
    }
};

} // namespace

class MainWindowUndoTest : public QObject {
    Q_OBJECT

private slots:
    void init() { IsolatedSettings::clear(); }

    void everyChangeIsUndoneAndRedoneToTheBit()
    {
        ScriptedWindow scripted;
        QVERIFY(scripted.exposed);
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        RecordedSteps steps(window);

        QVERIFY(window->openTerrainLeft(sample.grd()));
        QVERIFY(steps.add(QStringLiteral("Load jacksboro.grd (Left Screen)")));
        QVERIFY(window->openTerrainRight(sample.grd()));
        QVERIFY(steps.add(QStringLiteral("Load jacksboro.grd (Right Screen)")));
        window->coarsenRightButton->click();
        QVERIFY(steps.add(QStringLiteral("Coarsen (Right Screen)")));
        window->coarsenLeftButton->click();
        QVERIFY(steps.add(QStringLiteral("Coarsen (Left Screen)")));
        window->refineLeftButton->click();
        QVERIFY(steps.add(QStringLiteral("Refine (Left Screen)")));
        window->coarsenLeftButton->click();
        QVERIFY(steps.add(QStringLiteral("Coarsen (Left Screen)")));
        window->pushButton6->click();
        QVERIFY(window->gLGrid1->marked);
        QVERIFY(steps.add(QStringLiteral("Go")));
        QCOMPARE(steps.undoAndRedoAll(), QString());
    }

    // A georeferenced raster read through GDAL, sizes typed into the spin boxes of
    // both screens and a block of detail dragged from the right screen onto the left.
    void rasterLoadsSizeChangesAndBlockPastesAreUndoneToTheBit()
    {
        ScriptedWindow scripted;
        QVERIFY(scripted.exposed);
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        RecordedSteps steps(window);

        QVERIFY(window->openTerrainLeft(QStringLiteral(TALVANE_TEST_DATA "/jacksboro_utm16.tif")));
        QVERIFY(steps.add(QStringLiteral("Load jacksboro_utm16.tif (Left Screen)")));
        QVERIFY(window->openTerrainLeft(sample.grd()));
        QVERIFY(steps.add(QStringLiteral("Load jacksboro.grd (Left Screen)")));
        QVERIFY(window->openTerrainRight(sample.grd()));
        QVERIFY(steps.add(QStringLiteral("Load jacksboro.grd (Right Screen)")));
        window->grid1WidthSpinBox->setValue(380);
        QCOMPARE(window->gLGrid1->grid.width, 380);
        QVERIFY(steps.add(QStringLiteral("Size Change (Left Screen)")));
        window->grid1HeightSpinBox->setValue(300);
        QVERIFY(steps.add(QStringLiteral("Size Change (Left Screen)")));
        window->grid2HeightSpinBox->setValue(320);
        QCOMPARE(window->gLGrid2->grid.height, 320);
        QVERIFY(steps.add(QStringLiteral("Size Change (Right Screen)")));

        // The right screen sends a block (its terrain stays) and the left one takes it.
        processEventsFor(200);
        const WindowState beforeSending = stateOf(*window);
        middleDrag(window->gLGrid2, at(window->gLGrid2, 0.45, 0.45), at(window->gLGrid2, 0.6, 0.6));
        QCOMPARE(differenceBetween(beforeSending, stateOf(*window)), QString());
        QVERIFY(!window->gLGrid1->blockDetails.empty());
        QCOMPARE(window->terrainHistory()->stack()->count(), 6);
        middleDrag(window->gLGrid1, at(window->gLGrid1, 0.5, 0.5), at(window->gLGrid1, 0.4, 0.5));
        processEventsFor(50);
        QVERIFY(steps.add(QStringLiteral("Block Paste")));
        QCOMPARE(steps.undoAndRedoAll(), QString());
    }

    void aChangeAfterAnUndoDropsTheRedo()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        window->coarsenLeftButton->click();
        window->editUndoAction->trigger();
        window->toggleOnFaber();
        window->coarsenLeftButton->click();
        QUndoStack* stack = window->terrainHistory()->stack();
        QCOMPARE(stack->count(), 2);
        QVERIFY(!stack->canRedo());
        QCOMPARE(window->gLGrid1->grid.width, 202); // Faber: (403 + 1) / 2
    }

    void theBoundDropsTheOldestChangesAndSaysSo()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        TerrainHistory* history = window->terrainHistory();
        QUndoStack* stack = history->stack();

        // Loads into empty screens keep nothing; loading again keeps the terrain replaced.
        QVERIFY(window->openTerrainLeft(sample.grd()));
        QVERIFY(window->openTerrainRight(sample.grd()));
        const std::int64_t emptyLoads = history->totalBytes();
        window->coarsenLeftButton->click();
        const std::int64_t oneTerrain = history->totalBytes() - emptyLoads;
        QVERIFY(oneTerrain >= std::int64_t{403} * 344 * 4);
        const WindowState beforeLastLoad = stateOf(*window);

        history->setLimitBytes(emptyLoads + oneTerrain + oneTerrain / 2);
        QCOMPARE(stack->count(), 3);
        window->coarsenRightButton->click();
        // Two terrains would be over the bound: the oldest changes go until one fits.
        QVERIFY(history->totalBytes() <= history->limitBytes());
        QCOMPARE(stack->count(), 1);
        QCOMPARE(stack->command(0)->text(), QStringLiteral("Coarsen (Right Screen)"));
        processEventsFor(50);
        const QString said = window->statusBar()->currentMessage();
        QVERIFY2(said.contains(QStringLiteral("dropped")) && said.contains(QStringLiteral("(Left Screen)")),
                 qPrintable(said));

        // What is left still undoes exactly, and nothing older.
        window->editUndoAction->trigger();
        QCOMPARE(differenceBetween(beforeLastLoad, stateOf(*window)), QString());
        QVERIFY(!stack->canUndo());
        window->editRedoAction->trigger();
        QVERIFY(!stack->canRedo());
    }

    void theBoundIsASetting()
    {
        QSettings().setValue(QStringLiteral("undo/limitBytes"), 12345);
        TalvaneMainWindow window;
        QCOMPARE(window.terrainHistory()->limitBytes(), std::int64_t{12345});
        IsolatedSettings::clear();
        TalvaneMainWindow fresh;
        QCOMPARE(fresh.terrainHistory()->limitBytes(), TerrainHistory::defaultLimitBytes);
        QCOMPARE(TerrainHistory::defaultLimitBytes, std::int64_t{2} * 1024 * 1024 * 1024);
    }

    // Refining with the level a coarsening pushed gives back heights a rounding away
    // from the fine ones on a terrain with fractions (the sample DEM's whole metres
    // come back exactly), so the coarsening keeps the fine heights: its undo is exact.
    void aCoarseningUndoneIsExactWhereRefiningIsNot()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QByteArray text = "ncols 64\nnrows 48\nxllcorner 0\nyllcorner 0\ncellsize 30\nNODATA_value -9999\n";
        for (int row = 0; row < 48; ++row) {
            for (int column = 0; column < 64; ++column)
                text += QByteArray::number(500.0 + 300.0 * std::sin(row * 0.37) * std::cos(column * 0.29)
                                               + 0.001 * ((row * 7919 + column * 104729) % 1000),
                                           'f', 3)
                    + ' ';
            text += '\n';
        }
        const QString path = sample.path(QStringLiteral("fractions.grd"));
        QVERIFY(writeTextFile(path, text));
        QVERIFY(window->openTerrainLeft(path));
        window->multiresolutionChaikinAction->trigger();
        const WindowState fine = stateOf(*window);
        window->coarsenLeftButton->click();
        const WindowState coarse = stateOf(*window);
        QVERIFY(differenceBetween(fine, coarse) != QString());

        VeskGrid refined = window->gLGrid1->grid;
        std::vector<int> marks;
        QVERIFY(subdivideTerrain(refined, marks, 1));
        QCOMPARE(refined.width, 64);
        QVERIFY(refined.heights != fine.left.heights); // the reason the heights are kept

        window->editUndoAction->trigger();
        QCOMPARE(differenceBetween(fine, stateOf(*window)), QString());
        window->editRedoAction->trigger();
        QCOMPARE(differenceBetween(coarse, stateOf(*window)), QString());
    }
};

TALVANE_APP_TEST_MAIN(MainWindowUndoTest)
#include "test_main_window_undo.moc"
