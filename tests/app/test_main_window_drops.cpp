// Files dropped on the window, as synthesised drop events: a terrain file dropped
// on a screen loads there (undoably), a bad one gives its message box and leaves
// the screen as it was, a PNG dropped on the window is converted after asking
// where to save the grid.

#include "AppTestSupport.h"
#include "ScreenStates.h"

#include "app/TerrainHistory.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>

namespace {

// Delivers a drag entering the target and a drop of the file on it; true when
// the target accepted both.
bool dropFile(QWidget* target, const QString& path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint middle(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(middle, Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(middle), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    const bool accepted = enter.isAccepted() && drop.isAccepted();
    // The load or conversion starts once the drop has been delivered.
    processEventsFor(100);
    return accepted;
}

} // namespace

class MainWindowDropsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { IsolatedSettings::clear(); }

    void aTerrainDroppedOnEachScreenLoadsThere()
    {
        ScriptedWindow scripted;
        QVERIFY(scripted.exposed);
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());

        QVERIFY(dropFile(window->gLGrid2, sample.flt()));
        QVERIFY(!window->gLGrid1->grid.hasData);
        QCOMPARE(window->gLGrid2->grid.width, 403);
        QCOMPARE(window->grid2WidthspinBox->value(), 403);
        QVERIFY(dropFile(window->gLGrid1, QStringLiteral(TALVANE_TEST_DATA "/jacksboro_utm16.tif")));
        QCOMPARE(window->gLGrid1->grid.width, 345);
        QVERIFY(window->gLGrid1->grid.georeference.has_value());
        QVERIFY(scripted.log.messages.isEmpty());
        QVERIFY(scripted.log.openRequests.isEmpty());

        // Each drop is one load on the history, undone as any other.
        QUndoStack* stack = window->terrainHistory()->stack();
        QCOMPARE(stack->count(), 2);
        QCOMPARE(stack->text(1), QStringLiteral("Load jacksboro_utm16.tif (Left Screen)"));
        window->editUndoAction->trigger();
        QVERIFY(!window->gLGrid1->grid.hasData);
        QCOMPARE(window->gLGrid2->grid.width, 403);
    }

    // A session dropped anywhere fills both screens, as File > Open Session does.
    void aSessionDroppedOnTheWindowOpensBothScreens()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.flt()));
        QVERIFY(window->openTerrainRight(QStringLiteral(TALVANE_TEST_DATA "/jacksboro_utm16.tif")));
        const WindowState saved = stateOf(*window);
        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("work.talvane")), QString()};
        window->fileSaveSessionAction->trigger();
        window->coarsenLeftButton->click();
        window->coarsenRightButton->click();

        QVERIFY(dropFile(window, sample.path(QStringLiteral("work.talvane"))));
        QCOMPARE(differenceBetween(saved, stateOf(*window)), QString());
        QVERIFY(window->gLGrid2->grid.georeference.has_value());
        QVERIFY(scripted.log.messages.isEmpty());
    }

    void aBadFileDroppedGivesItsMessageAndKeepsTheScreen()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        const WindowState before = stateOf(*window);

        const QString garbage = sample.path(QStringLiteral("garbage.grd"));
        QVERIFY(writeTextFile(garbage, "this is not a terrain\n"));
        QVERIFY(dropFile(window->gLGrid1, garbage));
        const ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, QStringLiteral("Talvane"));
        QVERIFY2(message.text.startsWith(QStringLiteral("Terrain was not loaded due to: ")), qPrintable(message.text));
        QCOMPARE(differenceBetween(before, stateOf(*window)), QString());
        QCOMPARE(window->terrainHistory()->stack()->count(), 1);

        // A file that is not on the disk at all, and a broken raster, the same way.
        QVERIFY(dropFile(window->gLGrid1, sample.path(QStringLiteral("missing.flt"))));
        QVERIFY(scripted.takeOnlyMessage().text.startsWith(QStringLiteral("Terrain was not loaded due to: ")));
        const QString broken = sample.path(QStringLiteral("broken.tif"));
        QVERIFY(writeTextFile(broken, "not a raster"));
        QVERIFY(dropFile(window->gLGrid1, broken));
        QVERIFY(scripted.takeOnlyMessage().text.startsWith(QStringLiteral("Terrain was not loaded due to: ")));
        QCOMPARE(differenceBetween(before, stateOf(*window)), QString());
    }

    void aPngDroppedOnTheWindowAsksWhereToSaveTheGrid()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QImage image(2, 1, QImage::Format_RGB32);
        image.setPixel(0, 0, qRgb(255, 255, 255));
        image.setPixel(1, 0, qRgb(0, 0, 0));
        const QString png = sample.path(QStringLiteral("two.png"));
        QVERIFY(image.save(png, "PNG"));

        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("two")),
                                                     QStringLiteral("Grid Ascii Format (*.grd)")};
        QVERIFY(dropFile(window, png));
        QVERIFY(scripted.log.messages.isEmpty());
        QVERIFY(scripted.log.openRequests.isEmpty());
        QCOMPARE(scripted.log.saveRequests.size(), 1);
        QCOMPARE(scripted.log.saveRequests.first().caption, QStringLiteral("Save File"));
        QCOMPARE(scripted.log.saveRequests.first().startPath, png);
        QVERIFY(readWholeFile(sample.path(QStringLiteral("two.grd"))).endsWith("1000.00 0.00 \n"));
        QVERIFY(!window->gLGrid1->grid.hasData);

        // Dropped on a screen it is converted too, not loaded.
        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("again")), QString()};
        QVERIFY(dropFile(window->gLGrid2, png));
        QVERIFY(readWholeFile(sample.path(QStringLiteral("again.grd"))).endsWith("1000.00 0.00 \n"));
        QVERIFY(!window->gLGrid2->grid.hasData);

        // A terrain dropped beside the screens is not taken.
        QVERIFY(!dropFile(window, sample.grd()));
        QVERIFY(!window->gLGrid1->grid.hasData);
    }
};

TALVANE_APP_TEST_MAIN(MainWindowDropsTest)
#include "test_main_window_drops.moc"
