// The window and rasters read and written through GDAL: a GeoTIFF opened from the
// Load menu, a refused raster that leaves the screen as it was, "Save As GeoTIFF".

#include "AppTestSupport.h"

#include "formats/GdalRasterImport.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <ogr_spatialref.h>

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

class MainWindowRastersTest : public QObject {
    Q_OBJECT

private slots:
    void geoTiffOpensFromTheLoadMenuAndRefusalsKeepTheScreen()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        const QString tiff = QStringLiteral(TALVANE_TEST_DATA "/jacksboro_utm16.tif");
        scripted.log.openAnswers << tiff;
        window->fileLoadTerrainLeft_ScreenAction->trigger();
        QVERIFY(scripted.log.messages.isEmpty());
        QCOMPARE(window->gLGrid1->grid.width, 345);
        QCOMPARE(window->gLGrid1->grid.height, 363);
        QCOMPARE(window->grid1WidthSpinBox->value(), 345);
        QCOMPARE(window->grid1FrequencySB->value(), 90);

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString broken = folder.filePath(QStringLiteral("broken.tif"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a raster at all");
        file.close();
        const FloatMatrix before = window->gLGrid1->grid.heights;
        QVERIFY(!window->openTerrainLeft(broken));
        const ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, QStringLiteral("Talvane"));
        QVERIFY(message.text.startsWith(QStringLiteral("Terrain was not loaded due to: ")));
        QVERIFY(message.text.contains(QStringLiteral("broken.tif")));
        QCOMPARE(window->gLGrid1->grid.heights, before);
        QCOMPARE(window->grid1WidthSpinBox->value(), 345);
    }

    // A GridFloat of a UTM DEM as GDAL writes it (.flt, .hdr and .prj, cellsize 90): its
    // cell size is 90 m, not 90 degrees, and it keeps its place for the readout.
    void aProjectedFloatGridOpensInMetres()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString flt = folder.filePath(QStringLiteral("utm.flt"));
        const int made = QProcess::execute(QStringLiteral("gdal_translate"),
                                           {QStringLiteral("-q"), QStringLiteral("-of"), QStringLiteral("EHdr"),
                                            QStringLiteral(TALVANE_TEST_DATA "/jacksboro_utm16.tif"), flt});
        if (made < 0)
            QSKIP("gdal_translate is not installed");
        QCOMPARE(made, 0);
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("utm.prj"))));

        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        scripted.log.openAnswers << flt;
        window->fileLoadTerrainLeft_ScreenAction->trigger();
        QVERIFY2(scripted.log.messages.isEmpty(), qPrintable(scripted.log.messages.value(0).text));
        QCOMPARE(window->gLGrid1->grid.width, 345);
        QCOMPARE(window->grid1FrequencySB->value(), 90);
        QVERIFY(window->gLGrid1->grid.georeference.has_value());
        VeskGrid tiff;
        QString error;
        QVERIFY(loadGdalRaster(QStringLiteral(TALVANE_TEST_DATA "/jacksboro_utm16.tif"), 1, tiff, error));
        QCOMPARE(window->gLGrid1->grid.georeference->originX, tiff.georeference->originX);
        QCOMPARE(window->gLGrid1->grid.heights, tiff.heights);
    }

    void saveAsGeoTiffWritesWhereTheTerrainCameFrom()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        QVERIFY(window->openTerrainLeft(QStringLiteral(TALVANE_TEST_DATA "/jacksboro_geographic.tif")));
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        scripted.log.saveAnswers << SaveDialogAnswer{folder.filePath(QStringLiteral("saved")), QString()};
        window->fileSaveAs_GeoTIFFAction->trigger();
        QVERIFY(scripted.log.messages.isEmpty());
        QCOMPARE(scripted.log.saveRequests.at(0).caption, QStringLiteral("Save As GeoTIFF"));
        QCOMPARE(scripted.log.saveRequests.at(0).filter, QStringLiteral("GeoTIFF (*.tif *.tiff)"));

        VeskGrid saved;
        QString error;
        QVERIFY(loadGdalRaster(folder.filePath(QStringLiteral("saved.tif")), 1, saved, error));
        QCOMPARE(saved.heights, window->gLGrid1->grid.heights);
        QVERIFY(saved.georeference.has_value());
        QCOMPARE(saved.georeference->originX, window->gLGrid1->grid.georeference->originX);
        // The same system, though GDAL may spell it differently (a datum or its
        // ensemble) depending on the thread that read it.
        OGRSpatialReference savedCrs;
        OGRSpatialReference shownCrs;
        QCOMPARE(savedCrs.importFromWkt(saved.georeference->crsWkt.c_str()), OGRERR_NONE);
        QCOMPARE(shownCrs.importFromWkt(window->gLGrid1->grid.georeference->crsWkt.c_str()), OGRERR_NONE);
        QVERIFY(savedCrs.IsSame(&shownCrs));

        // Nowhere to write: a message, and no file.
        scripted.log.saveAnswers << SaveDialogAnswer{folder.filePath(QStringLiteral("missing/out.tif")), QString()};
        window->fileSaveAs_GeoTIFFAction->trigger();
        const ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QVERIFY(message.text.startsWith(QStringLiteral("Terrain was not saved due to: ")));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("missing/out.tif"))));
    }
};

TALVANE_APP_TEST_MAIN(MainWindowRastersTest)

#include "test_main_window_rasters.moc"
