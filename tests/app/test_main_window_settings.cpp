// What the window keeps in its settings: File > Recent Terrains (the last eight
// terrain files opened by any load, newest first, each once; a file gone since gives
// the load's message and leaves the list) and the window's geometry and splitter,
// stored on close and put back by the next window.

#include "AppTestSupport.h"

#include "app/RecentTerrains.h"
#include "views/GLGrid.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QSplitter>
#include <QTest>
#include <QUrl>

namespace {

QStringList entryTitles(QMenu* menu)
{
    QStringList titles;
    for (QAction* action : menu->actions())
        titles << action->text();
    return titles;
}

// The screen action ("&Left Screen" or "&Right Screen") of the menu's entry for a file name.
QAction* entryAction(QMenu* menu, const QString& fileName, const QString& screen)
{
    for (QAction* action : menu->actions())
        if (action->text() == fileName && action->menu() != nullptr)
            for (QAction* screenAction : action->menu()->actions())
                if (screenAction->text() == screen)
                    return screenAction;
    return nullptr;
}

} // namespace

class MainWindowSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { IsolatedSettings::clear(); }
    void cleanup() { IsolatedSettings::clear(); }

    void recentTerrainsKeepTheLastEightNewestFirst()
    {
        ScriptedWindow scripted;
        QVERIFY(scripted.exposed);
        TalvaneMainWindow* window = scripted.window.get();
        QMenu* menu = window->fileRecentTerrainsMenu;
        QVERIFY(!menu->isEnabled()); // nothing opened yet
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QStringList names;
        for (int k = 1; k <= 9; ++k) {
            const QString name = QStringLiteral("terrain%1.grd").arg(k);
            QVERIFY(QFile::copy(sample.grd(), sample.path(name)));
            names << name;
            QVERIFY(window->openTerrainLeft(sample.path(name)));
        }
        QVERIFY(menu->isEnabled());
        // Nine opened, the oldest is gone.
        QStringList expected;
        for (int k = 9; k >= 2; --k)
            expected << QStringLiteral("terrain%1.grd").arg(k);
        QCOMPARE(entryTitles(menu), expected);
        QCOMPARE(recent_terrains::stored().front(), sample.path(QStringLiteral("terrain9.grd")));

        // Opened again (through the other screen's load), a file moves to the top once.
        QVERIFY(window->openTerrainRight(sample.path(QStringLiteral("terrain4.grd"))));
        expected.removeAll(QStringLiteral("terrain4.grd"));
        expected.prepend(QStringLiteral("terrain4.grd"));
        QCOMPARE(entryTitles(menu), expected);
        QCOMPARE(recent_terrains::stored().size(), recent_terrains::kMaxRecentTerrains);

        // A load that fails adds nothing.
        QVERIFY(writeTextFile(sample.path(QStringLiteral("broken.grd")), "ncols oops\n"));
        QVERIFY(!window->openTerrainLeft(sample.path(QStringLiteral("broken.grd"))));
        scripted.takeOnlyMessage();
        QCOMPARE(entryTitles(menu), expected);

        // A drop is a load too.
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(sample.flt())});
        const QPoint middle(window->gLGrid2->width() / 2, window->gLGrid2->height() / 2);
        QDragEnterEvent enter(middle, Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window->gLGrid2, &enter);
        QDropEvent drop(QPointF(middle), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window->gLGrid2, &drop);
        QTRY_COMPARE(entryTitles(menu).value(0), QStringLiteral("jacksboro.flt"));
        QCOMPARE(entryTitles(menu).size(), recent_terrains::kMaxRecentTerrains);

        // The list outlasts the window.
        ScriptedWindow next;
        QCOMPARE(entryTitles(next->fileRecentTerrainsMenu), entryTitles(menu));
    }

    void aRecentTerrainOpensInTheChosenScreen()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        QVERIFY(!window->gLGrid2->grid.hasData);
        QAction* right = entryAction(window->fileRecentTerrainsMenu, QStringLiteral("jacksboro.grd"),
                                     QStringLiteral("&Right Screen"));
        QVERIFY(right != nullptr);
        right->trigger();
        QVERIFY(scripted.log.messages.isEmpty());
        QCOMPARE(window->gLGrid2->grid.heights, window->gLGrid1->grid.heights);
        QCOMPARE(window->gLGrid2->grid.width, 403);
    }

    void aMissingRecentTerrainGivesTheLoadsMessageAndLeavesTheList()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        const QString gone = sample.path(QStringLiteral("gone.grd"));
        QVERIFY(QFile::copy(sample.grd(), gone));
        QVERIFY(window->openTerrainLeft(gone));
        QVERIFY(window->openTerrainLeft(sample.flt()));
        QCOMPARE(entryTitles(window->fileRecentTerrainsMenu), (QStringList{"jacksboro.flt", "gone.grd"}));
        QVERIFY(QFile::remove(gone));
        const FloatMatrix shown = window->gLGrid1->grid.heights;

        // The message a load from the menu gives for the same missing file.
        QVERIFY(!window->openTerrainRight(gone));
        const QString loadMessage = scripted.takeOnlyMessage().text;
        QVERIFY(loadMessage.startsWith(QStringLiteral("Terrain was not loaded due to: ")));

        QAction* left = entryAction(window->fileRecentTerrainsMenu, QStringLiteral("gone.grd"),
                                    QStringLiteral("&Left Screen"));
        QVERIFY(left != nullptr);
        left->trigger();
        QCOMPARE(scripted.takeOnlyMessage().text, loadMessage);
        QCOMPARE(window->gLGrid1->grid.heights, shown);
        QCOMPARE(entryTitles(window->fileRecentTerrainsMenu), (QStringList{"jacksboro.flt"}));
        QCOMPARE(recent_terrains::stored(), (QStringList{sample.flt()}));
    }

    void theSplitterAndGeometryComeBackAfterClosing()
    {
        QList<int> sizes;
        QRect geometry;
        {
            ScriptedWindow first;
            QVERIFY(first.exposed);
            first->resize(1000, 700);
            processEventsFor(50);
            const QList<int> even = first->splitter2->sizes();
            QCOMPARE(even.size(), 2);
            const int total = even.at(0) + even.at(1);
            first->splitter2->setSizes({total / 4, total - total / 4});
            processEventsFor(50);
            sizes = first->splitter2->sizes();
            geometry = first->geometry();
            QVERIFY2(sizes.value(0) + 100 < sizes.value(1), // not the form's even split
                     qPrintable(QStringLiteral("%1 %2").arg(sizes.value(0)).arg(sizes.value(1))));
            QVERIFY(first->close());
        }
        ScriptedWindow second;
        QVERIFY(second.exposed);
        QCOMPARE(second->splitter2->sizes(), sizes);
        QCOMPARE(second->size(), geometry.size());
    }

    void withoutStoredSettingsTheFormsSplitStays()
    {
        ScriptedWindow window;
        QVERIFY(window.exposed);
        const QList<int> sizes = window->splitter2->sizes();
        QCOMPARE(sizes.size(), 2);
        QVERIFY(std::abs(sizes.at(0) - sizes.at(1)) <= 1);
    }
};

TALVANE_APP_TEST_MAIN(MainWindowSettingsTest)
#include "test_main_window_settings.moc"
