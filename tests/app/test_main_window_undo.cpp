// Undo and redo through the real window: every change of a screen (loads,
// coarsening, refinement, "Go") comes back to the bit in both directions, and the
// history stays within its memory bound by dropping its oldest changes.

#include "AppTestSupport.h"
#include "ScreenStates.h"

#include "app/TerrainHistory.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

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
        QUndoStack* stack = window->terrainHistory()->stack();

        std::vector<WindowState> states{stateOf(*window)};
        std::vector<QString> names;
        const auto step = [&](const QString& name) {
            states.push_back(stateOf(*window));
            names.push_back(name);
            QCOMPARE(stack->count(), static_cast<int>(names.size()));
            QCOMPARE(window->editUndoAction->text(), QStringLiteral("&Undo ") + name);
        };

        QVERIFY(window->openTerrainLeft(sample.grd()));
        step(QStringLiteral("Load jacksboro.grd (Left Screen)"));
        QVERIFY(window->openTerrainRight(sample.grd()));
        step(QStringLiteral("Load jacksboro.grd (Right Screen)"));
        window->coarsenRightButton->click();
        step(QStringLiteral("Coarsen (Right Screen)"));
        window->coarsenLeftButton->click();
        step(QStringLiteral("Coarsen (Left Screen)"));
        window->refineLeftButton->click();
        step(QStringLiteral("Refine (Left Screen)"));
        window->coarsenLeftButton->click();
        step(QStringLiteral("Coarsen (Left Screen)"));
        window->pushButton6->click();
        QVERIFY(window->gLGrid1->marked);
        step(QStringLiteral("Go"));

        for (std::size_t k = states.size() - 1; k > 0; --k) {
            QVERIFY(stack->canUndo());
            window->editUndoAction->trigger();
            QCOMPARE(differenceBetween(states[k - 1], stateOf(*window)) + names[k - 1], names[k - 1]);
            QCOMPARE(window->editRedoAction->text(), QStringLiteral("&Redo ") + names[k - 1]);
        }
        QVERIFY(!stack->canUndo());
        for (std::size_t k = 1; k < states.size(); ++k) {
            window->editRedoAction->trigger();
            QCOMPARE(differenceBetween(states[k], stateOf(*window)), QString());
        }
        QVERIFY(!stack->canRedo());
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
};

TALVANE_APP_TEST_MAIN(MainWindowUndoTest)
#include "test_main_window_undo.moc"
