// The window's file actions with their dialogs answered through the seam:
// opening terrains and details, saving terrains, details and splits, and every
// failure's message box.

#include "AppTestSupport.h"
#include "ScreenStates.h"

#include "app/TerrainHistory.h"
#include "io/SampleLimit.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSlider>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#include <cstring>

namespace {

const QString talvane = QStringLiteral("Talvane");

bool sameTerrain(const VeskGrid& a, const VeskGrid& b)
{
    return a.width == b.width && a.height == b.height && a.heights == b.heights && a.details == b.details;
}

} // namespace

class MainWindowFilesTest : public QObject {
    Q_OBJECT

private slots:
    // --- Opening terrains ---

    void theContentThenTheExtensionChoosesTheFormat_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("asciiGrid");
        QTest::newRow("hill.GRD") << "hill.GRD" << true;
        QTest::newRow("hill.grd") << "hill.grd" << true;
        QTest::newRow("island") << "island" << true;
        QTest::newRow("hill.flt") << "hill.flt" << false;
        QTest::newRow("hill.hdr") << "hill.hdr" << true;
        QTest::newRow("hill.asc") << "hill.asc" << true;
    }

    // The sample's ASCII grid under each name: known by its first line it loads, but a
    // float grid's name (.flt, raw samples with no signature) has it read as a float grid,
    // which wants a header beside it, and it is refused.
    void theContentThenTheExtensionChoosesTheFormat()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, asciiGrid);
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        const QString path = sample.path(fileName);
        QVERIFY(QFile::copy(sample.grd(), path));

        scripted.log.openAnswers << path;
        window->fileLoadTerrainLeft_ScreenAction->trigger();
        QCOMPARE(window->gLGrid1->grid.hasData, asciiGrid);
        QCOMPARE(window->gLGrid1->grid.width, asciiGrid ? 403 : 0);
        QCOMPARE(scripted.log.messages.size(), asciiGrid ? 0 : 1);

        scripted.log.openAnswers << path;
        window->fileLoadTerrainRight_ScreenAction->trigger();
        QCOMPARE(window->gLGrid2->grid.hasData, asciiGrid);
        QCOMPARE(scripted.log.messages.size(), asciiGrid ? 0 : 2);
    }

    void openDialogsAskAndRememberTheirOwnPaths()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());

        scripted.log.openAnswers << sample.grd() << sample.flt();
        window->fileLoadTerrainLeft_ScreenAction->trigger();
        window->fileLoadTerrainRight_ScreenAction->trigger();
        scripted.log.openAnswers << QString() << QString(); // both cancelled
        window->fileLoadTerrainLeft_ScreenAction->trigger();
        window->fileLoadTerrainRight_ScreenAction->trigger();

        QCOMPARE(scripted.log.openRequests.size(), 4);
        const FileDialogRequest& first = scripted.log.openRequests.at(0);
        QCOMPARE(first.dialogName, QStringLiteral("Open File"));
        QCOMPARE(first.caption, QStringLiteral("Open File"));
        QVERIFY2(first.filter.startsWith(QStringLiteral(
                     "Terrains (*.grd *.asc *.flt *.png *.r16 *.tif *.tiff *.hgt *.img *.vrt *.dem *.nc *.talvane);;")),
                 qPrintable(first.filter));
        // Each screen's dialog starts at the file last chosen for that screen.
        QCOMPARE(scripted.log.openRequests.at(2).startPath, sample.grd());
        QCOMPARE(scripted.log.openRequests.at(3).startPath, sample.flt());
        QVERIFY(scripted.log.messages.isEmpty());

        // The paths belong to the process, not to one window.
        ScriptedWindow second;
        second->fileLoadTerrainLeft_ScreenAction->trigger();
        QCOMPARE(second.log.openRequests.at(0).startPath, sample.grd());
    }

    void bothSampleTerrainsLoadThroughTheMenus()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        scripted.log.openAnswers << sample.grd() << sample.flt();
        window->fileLoadTerrainLeft_ScreenAction->trigger();
        window->fileLoadTerrainRight_ScreenAction->trigger();
        QVERIFY(scripted.log.messages.isEmpty());

        for (GLGrid* view : {window->gLGrid1, window->gLGrid2}) {
            QVERIFY(view->grid.hasData);
            QCOMPARE(view->grid.width, 403);
            QCOMPARE(view->grid.height, 344);
        }
        QCOMPARE(window->gLGrid1->grid.heights, window->gLGrid2->grid.heights);
        QCOMPARE(window->grid1WidthSpinBox->value(), 403);
        QCOMPARE(window->grid1HeightSpinBox->value(), 344);
        QCOMPARE(window->grid2WidthspinBox->value(), 403);
        QCOMPARE(window->grid2HeightSpinBox->value(), 344);
        QCOMPARE(window->grid1FrequencySB->value(), static_cast<int>(window->gLGrid1->grid.cellSize));
        QVERIFY(window->grid1FrequencySB->value() > 0);

        window->coarsenRightButton->click();
        QCOMPARE(window->gLGrid2->grid.width, 202);
        QCOMPARE(window->gLGrid2->grid.height, 173);
        QCOMPARE(window->gLGrid2->grid.details.size(), std::size_t{2});
        QCOMPARE(window->grid2WidthspinBox->value(), 202);
        QCOMPARE(window->grid2HeightSpinBox->value(), 173);
        QCOMPARE(window->gLGrid1->grid.width, 403);
    }

    void longOperationsShowAWaitCursorAndAStatusText()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QString textWhileLoading;
        bool waitCursorWhileLoading = false;
        int reports = 0;
        // The view reports the new size while the load is still in progress.
        QObject::connect(window->gLGrid1, qOverload<int>(&GLGrid::widthChanged), window, [&](int) {
            ++reports;
            textWhileLoading = window->statusBar()->currentMessage();
            const QCursor* cursor = QApplication::overrideCursor();
            waitCursorWhileLoading = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        });
        QVERIFY(window->openTerrainLeft(sample.grd()));
        QVERIFY(reports > 0);
        QVERIFY(waitCursorWhileLoading);
        QVERIFY(textWhileLoading.contains(QStringLiteral("jacksboro.grd")));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(window->statusBar()->currentMessage().isEmpty());

        textWhileLoading.clear();
        waitCursorWhileLoading = false;
        window->coarsenLeftButton->click();
        QVERIFY(waitCursorWhileLoading);
        QVERIFY(textWhileLoading.contains(QStringLiteral("Coarsening")));
        window->refineLeftButton->click();
        QVERIFY(textWhileLoading.contains(QStringLiteral("Refining")));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(window->statusBar()->currentMessage().isEmpty());
    }

    // A terrain wider than the size boxes once went: the box clamped the width and the
    // clamped value cropped the terrain it showed. A size beyond the sample limit typed
    // into a box is refused, the terrain kept.
    void aTerrainOfAnyWidthLoadsWholeAndSizesBeyondTheLimitAreRefused()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        const int wide = 10001;
        QByteArray floats(wide * 3 * int(sizeof(float)), 0);
        for (int k = 0; k < wide * 3; ++k) {
            const float height = float(k % 977);
            std::memcpy(floats.data() + k * sizeof(float), &height, sizeof(float));
        }
        const QString data = sample.path(QStringLiteral("wide.flt"));
        QVERIFY(writeTextFile(sample.path(QStringLiteral("wide.hdr")),
                              "ncols 10001\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 30\nbyteorder LSBFIRST\n"));
        QFile file(data);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(floats) == floats.size());
        file.close();

        QVERIFY(window->openTerrainLeft(data));
        QCOMPARE(window->gLGrid1->grid.width, wide);
        QCOMPARE(window->grid1WidthSpinBox->value(), wide);
        QCOMPARE(window->terrainHistory()->stack()->count(), 1);
        const VeskGrid loaded = window->gLGrid1->grid;

        io::ScopedSampleLimit limit(40000);
        window->grid1HeightSpinBox->setValue(5);
        QCOMPARE(window->grid1HeightSpinBox->value(), 3);
        QVERIFY(sameTerrain(window->gLGrid1->grid, loaded));
        QCOMPARE(window->terrainHistory()->stack()->count(), 1);
        const ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QVERIFY2(message.text.startsWith(QStringLiteral("The size was not changed: 10001 x 5 is more than the 40000")),
                 qPrintable(message.text));
    }

    void unreadableTerrainFilesAreReported()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        const QString missing = sample.path(QStringLiteral("missing.grd"));
        QVERIFY(!window->openTerrainLeft(missing));
        ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY2(message.text.startsWith(QStringLiteral("Terrain was not loaded due to: ")), qPrintable(message.text));
        QVERIFY(message.text.contains(QStringLiteral("missing.grd")));

        const QString garbage = sample.path(QStringLiteral("garbage.grd"));
        QVERIFY(writeTextFile(garbage, "this is not a grid\n"));
        scripted.log.openAnswers << garbage;
        window->fileLoadTerrainRight_ScreenAction->trigger();
        message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY2(message.text.startsWith(QStringLiteral("Terrain was not loaded due to: ")), qPrintable(message.text));
        QVERIFY(message.text.size() > QStringLiteral("Terrain was not loaded due to: ").size());
        QVERIFY(!window->gLGrid2->grid.hasData);

        const QString brokenFloat = sample.path(QStringLiteral("broken.flt"));
        QVERIFY(writeTextFile(brokenFloat, "xx"));
        QVERIFY(!window->openTerrainRight(brokenFloat));
        QVERIFY(scripted.takeOnlyMessage().text.startsWith(QStringLiteral("Terrain was not loaded due to: ")));
    }

    void refusedRefinementsAreReported()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());

        window->refineLeftButton->click(); // nothing to refine
        ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY2(message.text.startsWith(QStringLiteral("The left terrain was not refined: ")), qPrintable(message.text));

        // A Faber level refined under Chaikin is refused, and the terrain stays as it was.
        QVERIFY(window->openTerrainRight(sample.grd()));
        window->multiresolutionFaberAction->trigger();
        window->coarsenRightButton->click();
        window->multiresolutionChaikinAction->trigger();
        const VeskGrid before = window->gLGrid2->grid;
        window->refineRightButton->click();
        message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY2(message.text.startsWith(QStringLiteral("The right terrain was not refined: ")), qPrintable(message.text));
        QVERIFY(message.text.contains(QStringLiteral("Faber level")));
        QCOMPARE(window->gLGrid2->grid.heights, before.heights);
        QCOMPARE(window->gLGrid2->grid.details, before.details);

        // Under Faber it refines, with no message.
        window->multiresolutionFaberAction->trigger();
        window->refineRightButton->click();
        QVERIFY(scripted.log.messages.isEmpty());
        QCOMPARE(window->gLGrid2->grid.width, 2 * before.width - 1);
    }

    // --- Details ---

    void detailsRoundTripThroughTheLeftScreen()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        window->coarsenLeftButton->click();
        const VeskGrid coarse = window->gLGrid1->grid;

        window->fileSaveDetailsLeft_ScreenAction->trigger();
        const ScriptedDialogs::Message saved = scripted.takeOnlyMessage();
        QCOMPARE(saved.caption, talvane);
        const QString prefix = QStringLiteral("Success, 1 set(s) of details have been saved.\nLast filename was ");
        QVERIFY2(saved.text.startsWith(prefix), qPrintable(saved.text));
        const QString detailsFile = saved.text.mid(prefix.size());
        QVERIFY2(QFile::exists(detailsFile), qPrintable(detailsFile));

        // Load them back onto the coarse terrain without its details.
        window->gLGrid1->clearDetails();
        QVERIFY(window->gLGrid1->grid.details.empty());
        scripted.log.openAnswers << detailsFile;
        window->fileLoadDetailsLeft_ScreenAction->trigger();
        QVERIFY(scripted.log.messages.isEmpty());
        const FileDialogRequest& request = scripted.log.openRequests.last();
        QCOMPARE(request.dialogName, QStringLiteral("Open File"));
        QCOMPARE(request.caption, QStringLiteral("Open Details File"));
        QCOMPARE(request.filter, QStringLiteral("Details File (*.dtl)"));
        QCOMPARE(window->gLGrid1->grid.details.size(), coarse.details.size());
        QCOMPARE(window->gLGrid1->grid.width, coarse.width);

        // The details dialog starts at the details file last chosen.
        scripted.log.openAnswers << QString();
        window->fileLoadDetailsLeft_ScreenAction->trigger();
        QCOMPARE(scripted.log.openRequests.last().startPath, detailsFile);
    }

    void detailsThatCannotBeLoadedAreReported()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        const QString refused = sample.path(QStringLiteral("refused.dtl"));
        QVERIFY(writeTextFile(refused, "not a details file\n"));

        // An empty left screen takes no details.
        scripted.log.openAnswers << refused;
        window->fileLoadDetailsLeft_ScreenAction->trigger();
        ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QCOMPARE(message.text, QStringLiteral("Details were not loaded due to: Grid has no data"));

        QVERIFY(window->openTerrainLeft(sample.grd()));
        const VeskGrid before = window->gLGrid1->grid;
        scripted.log.openAnswers << refused;
        window->fileLoadDetailsLeft_ScreenAction->trigger();
        message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY2(message.text.startsWith(QStringLiteral("Details were not loaded due to: ")), qPrintable(message.text));
        QVERIFY(message.text.size() > QStringLiteral("Details were not loaded due to: ").size());
        QCOMPARE(window->gLGrid1->grid.heights, before.heights);

        scripted.log.openAnswers << sample.path(QStringLiteral("absent.dtl"));
        window->fileLoadDetailsLeft_ScreenAction->trigger();
        QVERIFY(scripted.takeOnlyMessage().text.startsWith(QStringLiteral("Details were not loaded due to: ")));

        // A cancelled dialog does nothing at all.
        QSignalSpy details(window, &TalvaneMainWindow::loadDetails);
        window->fileLoadDetailsLeft_ScreenAction->trigger();
        QCOMPARE(details.count(), 0);
        QVERIFY(scripted.log.messages.isEmpty());
    }

    void detailsSavesReportTheirOutcome()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());

        window->fileSaveDetailsRight_ScreenAction->trigger();
        QCOMPARE(scripted.takeOnlyMessage().text, QStringLiteral("Details were not saved due to: Grid has no data"));
        window->fileSaveDetailsLeft_ScreenAction->trigger();
        ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QCOMPARE(message.text, QStringLiteral("Details were not saved due to: Grid has no data"));

        // A terrain without details has nothing to save: the writer says why.
        QVERIFY(window->openTerrainRight(sample.grd()));
        window->fileSaveDetailsRight_ScreenAction->trigger();
        message = scripted.takeOnlyMessage();
        QVERIFY2(message.text.startsWith(QStringLiteral("Details were not saved due to: ")), qPrintable(message.text));

        window->coarsenRightButton->click();
        window->coarsenRightButton->click();
        window->fileSaveDetailsRight_ScreenAction->trigger();
        message = scripted.takeOnlyMessage();
        const QString prefix = QStringLiteral("Success, 2 set(s) of details have been saved.\nLast filename was ");
        QVERIFY2(message.text.startsWith(prefix), qPrintable(message.text));
        QVERIFY(QFile::exists(message.text.mid(prefix.size())));
    }

    // --- Terrain saves ---

    void leftTerrainSaveNamesItsFileByTheFilter()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        const QString grdFilter = QStringLiteral("Grid Ascii Format (*.grd)");
        const QString objFilter = QStringLiteral("Alias/Wavefront Object Format (*.obj)");

        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("out")), objFilter}
                                 << SaveDialogAnswer{sample.path(QStringLiteral("out")), grdFilter}
                                 << SaveDialogAnswer{sample.path(QStringLiteral("out.grd.txt")), grdFilter}
                                 << SaveDialogAnswer{sample.path(QStringLiteral("mesh.obj")), objFilter};
        for (int save = 0; save < 4; ++save)
            window->fileSaveTerrainLeft_ScreenAction->trigger();
        // A successful save of the left screen is silent.
        QVERIFY(scripted.log.messages.isEmpty());

        const FileDialogRequest& request = scripted.log.saveRequests.first();
        QCOMPARE(request.dialogName, QStringLiteral("Save File"));
        QCOMPARE(request.caption, QStringLiteral("Save File"));
        QCOMPARE(request.filter, grdFilter + QStringLiteral(";;ESRI ASCII Grid (*.asc);;Grid Float Format (*.flt);;")
                                     + objFilter
                                     + QStringLiteral(";;PNG Image or 16-bit Heightmap (*.png);;RAW 16-bit "
                                                      "Heightmap (*.r16);;GeoTIFF (*.tif *.tiff);;Talvane Session "
                                                      "(*.talvane)"));
        QVERIFY(request.startPath.isEmpty());

        QVERIFY(QFile::exists(sample.path(QStringLiteral("out.obj"))));
        QVERIFY(QFile::exists(sample.path(QStringLiteral("out.grd"))));
        QVERIFY(QFile::exists(sample.path(QStringLiteral("out.grd.txt"))));
        QVERIFY(QFile::exists(sample.path(QStringLiteral("mesh.obj"))));
        QVERIFY(!QFile::exists(sample.path(QStringLiteral("mesh.obj.obj"))));
        const QByteArray mesh = readWholeFile(sample.path(QStringLiteral("out.obj")));
        QCOMPARE(mesh.count("\nv "), 403 * 344);
        QCOMPARE(mesh.count("\nf "), 2 * 402 * 343);
        QVERIFY(readWholeFile(sample.path(QStringLiteral("out.grd"))).startsWith("ncols"));
        QCOMPARE(readWholeFile(sample.path(QStringLiteral("out.grd"))),
                 readWholeFile(sample.path(QStringLiteral("out.grd.txt"))));

        // What was saved reads back as the same terrain, known by its content whatever its name.
        QVERIFY(window->openTerrainRight(sample.path(QStringLiteral("out.grd.txt"))));
        QCOMPARE(window->gLGrid2->grid.width, 403);
        QVERIFY(window->openTerrainRight(sample.path(QStringLiteral("out.grd"))));
        QCOMPARE(window->gLGrid2->grid.width, 403);
        QCOMPARE(window->gLGrid2->grid.height, 344);

        // A cancelled dialog writes nothing.
        const int filesBefore = QDir(sample.directory.path()).count();
        window->fileSaveTerrainLeft_ScreenAction->trigger();
        QCOMPARE(static_cast<int>(QDir(sample.directory.path()).count()), filesBefore);
        QVERIFY(scripted.log.messages.isEmpty());
    }

    // Every format the save dialog offers is written, and every one the open dialog
    // offers too (an ESRI .asc among them) opens through it as the same terrain.
    void everyFormatWrittenSavesAndOpensBack()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("probe")), QString()};
        window->fileSaveTerrainLeft_ScreenAction->trigger();
        const QStringList filters = scripted.log.saveRequests.first().filter.split(QStringLiteral(";;"));
        QCOMPARE(filters.size(), 8);

        for (const QString& filter : filters) {
            const QString extension = filter.section(QStringLiteral("(*"), 1).section(QLatin1Char(' '), 0, 0)
                                          .remove(QLatin1Char(')'));
            scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("every")), filter};
            window->fileSaveTerrainLeft_ScreenAction->trigger();
            QVERIFY2(scripted.log.messages.isEmpty(), qPrintable(filter));
            const QString saved = sample.path(QStringLiteral("every") + extension);
            QVERIFY2(QFile::exists(saved), qPrintable(saved));
            if (extension == QLatin1String(".obj"))
                continue; // written only
            scripted.log.openAnswers << saved;
            window->fileLoadTerrainRight_ScreenAction->trigger();
            QVERIFY2(scripted.log.messages.isEmpty(), qPrintable(scripted.log.messages.value(0).text));
            QCOMPARE(window->gLGrid2->grid.width, 403);
            QCOMPARE(window->gLGrid2->grid.height, 344);
            QVERIFY(window->terrainHistory()->stack()->text(window->terrainHistory()->stack()->count() - 1)
                        .contains(QFileInfo(saved).fileName()));
        }
    }

    void leftTerrainSaveFailuresAreReported()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        const QString grdFilter = QStringLiteral("Grid Ascii Format (*.grd)");
        const QString objFilter = QStringLiteral("Alias/Wavefront Object Format (*.obj)");

        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("empty")), grdFilter};
        window->fileSaveTerrainLeft_ScreenAction->trigger();
        ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QCOMPARE(message.text, QStringLiteral("Terrain was not saved due to: Grid has no data"));
        QVERIFY(!QFile::exists(sample.path(QStringLiteral("empty.grd"))));

        QVERIFY(window->openTerrainLeft(sample.grd()));
        const QString nowhere = sample.path(QStringLiteral("no-such-folder/out"));
        scripted.log.saveAnswers << SaveDialogAnswer{nowhere, objFilter} << SaveDialogAnswer{nowhere, grdFilter};
        window->fileSaveTerrainLeft_ScreenAction->trigger();
        message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY2(message.text.startsWith(QStringLiteral("Terrain was not saved due to: ")), qPrintable(message.text));
        QVERIFY(message.text.contains(QStringLiteral("out.obj")));
        window->fileSaveTerrainLeft_ScreenAction->trigger();
        message = scripted.takeOnlyMessage();
        QVERIFY2(message.text.startsWith(QStringLiteral("Terrain was not saved due to: ")), qPrintable(message.text));
        QVERIFY(message.text.contains(QStringLiteral("out.grd")));
    }

    void rightTerrainSaveChoosesItsOwnName()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());

        window->fileSaveTerrainRight_ScreenAction->trigger();
        ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QCOMPARE(message.text, QStringLiteral("Details were not saved due to: Grid has no data"));

        QVERIFY(window->openTerrainRight(sample.grd()));
        window->coarsenRightButton->click();
        window->fileSaveTerrainRight_ScreenAction->trigger();
        QVERIFY(scripted.log.saveRequests.isEmpty()); // no dialog
        message = scripted.takeOnlyMessage();
        const QString expectedName = sample.path(QStringLiteral("jacksborogrd_w202_h173.grd"));
        QCOMPARE(message.text, QStringLiteral("Success, %1 has been saved.\n").arg(expectedName));
        QVERIFY(readWholeFile(expectedName).startsWith("ncols"));
    }

    void rightTerrainSaveFailureIsReported()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        // The grid writes beside the file it came from; that folder disappears.
        QVERIFY(QDir(sample.directory.path()).mkdir(QStringLiteral("gone")));
        const QString moved = sample.path(QStringLiteral("gone/jacksboro.grd"));
        QVERIFY(QFile::copy(sample.grd(), moved));
        QVERIFY(window->openTerrainRight(moved));
        QVERIFY(QFile::remove(moved));
        QVERIFY(QDir(sample.directory.path()).rmdir(QStringLiteral("gone")));

        window->fileSaveTerrainRight_ScreenAction->trigger();
        const ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY2(message.text.startsWith(QStringLiteral("Details were not saved due to: ")), qPrintable(message.text));
        QVERIFY(message.text.contains(QStringLiteral("jacksborogrd_w403_h344.grd")));
    }

    void splitSaveReportsBothNamesOrWhyNot()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());

        window->savesplitButton->click();
        ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QCOMPARE(message.text, QStringLiteral("Details were not saved due to: Grid has no data"));

        QVERIFY(window->openTerrainLeft(sample.grd()));
        window->savesplitButton->click();
        message = scripted.takeOnlyMessage();
        const QString left = sample.path(QStringLiteral("jacksborogrd_w201_h344LEFT.grd"));
        const QString right = sample.path(QStringLiteral("jacksborogrd_w201_h344RIGHT.grd"));
        QCOMPARE(message.caption, talvane);
        QCOMPARE(message.text,
                 QStringLiteral("Success, a split of the terrain has been saved in:\n%1\n%2\n").arg(left, right));
        QVERIFY(readWholeFile(left).startsWith("ncols"));
        QVERIFY(readWholeFile(right).startsWith("ncols"));

        // Both halves read back with half the width.
        QVERIFY(window->openTerrainRight(right));
        QCOMPARE(window->gLGrid2->grid.width, 201);
        QCOMPARE(window->gLGrid2->grid.height, 344);
    }

    void splitSaveFailureIsReported()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(QDir(sample.directory.path()).mkdir(QStringLiteral("gone")));
        const QString moved = sample.path(QStringLiteral("gone/jacksboro.grd"));
        QVERIFY(QFile::copy(sample.grd(), moved));
        QVERIFY(window->openTerrainLeft(moved));
        const VeskGrid before = window->gLGrid1->grid;
        QVERIFY(QFile::remove(moved));
        QVERIFY(QDir(sample.directory.path()).rmdir(QStringLiteral("gone")));

        window->savesplitButton->click();
        const ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY2(message.text.startsWith(QStringLiteral("Details were not saved due to: ")), qPrintable(message.text));
        QVERIFY(message.text.contains(QStringLiteral("LEFT.grd")));
        QVERIFY(sameTerrain(window->gLGrid1->grid, before));
    }

    // --- Sessions ---

    // Save Session then Open Session gives both screens back to the bit, with the quilting
    // choices; a truncated session is refused with a message and changes nothing.
    void aSessionGivesBothScreensBackAndATruncatedOneChangesNothing()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        scripted.log.openAnswers << sample.flt() << sample.grd();
        window->fileLoadTerrainLeft_ScreenAction->trigger();
        window->fileLoadTerrainRight_ScreenAction->trigger();
        window->toggleOnFaber();
        window->coarsenLeftButton->click();
        window->blocksizeSlider->setValue(24);
        const WindowState saved = stateOf(*window);
        QCOMPARE(saved.left.details.size(), std::size_t{2});
        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("work")), QString()};
        window->fileSaveSessionAction->trigger();
        QCOMPARE(scripted.log.messages.size(), 0);

        window->coarsenRightButton->click();
        window->toggleOnChaikin();
        window->blocksizeSlider->setValue(40);
        const QString session = sample.path(QStringLiteral("work.talvane"));
        scripted.log.openAnswers << session;
        window->fileOpenSessionAction->trigger();
        QCOMPARE(differenceBetween(saved, stateOf(*window)), QString());
        QVERIFY(window->multiresolutionFaberAction->isChecked());
        QCOMPARE(window->blocksizeSlider->value(), 24);

        QByteArray bytes = readWholeFile(session);
        bytes.chop(30);
        QVERIFY(writeTextFile(sample.path(QStringLiteral("cut.talvane")), bytes));
        window->coarsenRightButton->click();
        const WindowState before = stateOf(*window);
        scripted.log.openAnswers << sample.path(QStringLiteral("cut.talvane"));
        window->fileOpenSessionAction->trigger();
        QVERIFY(scripted.takeOnlyMessage().text.startsWith(QStringLiteral("Session was not opened due to: ")));
        QCOMPARE(differenceBetween(before, stateOf(*window)), QString());
    }
};

TALVANE_APP_TEST_MAIN(MainWindowFilesTest)

#include "test_main_window_files.moc"
