// Starting the program: terrain files named on the command line open in the
// screens; without files the window starts empty.

#include "AppTestSupport.h"

#include "app/CommandLineTerrains.h"
#include "grid/SessionFile.h"
#include "diagnostics/CollectingSink.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <string>

class MainWindowStartTest : public QObject {
    Q_OBJECT

private slots:
    void noFilesLeaveBothScreensEmpty()
    {
        ScriptedWindow scripted;
        QVERIFY(scripted.exposed);
        QCOMPARE(openCommandLineTerrains(*scripted.window, {QStringLiteral("talvane")}), 0);
        QVERIFY(!scripted->gLGrid1->grid.hasData);
        QVERIFY(!scripted->gLGrid2->grid.hasData);
        QVERIFY(scripted.log.messages.isEmpty());
    }

    void theFirstFileOpensLeftAndTheSecondRight()
    {
        ScriptedWindow scripted;
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QCOMPARE(openCommandLineTerrains(*scripted.window, {QStringLiteral("talvane"), sample.grd(), sample.flt()}), 2);
        QVERIFY(scripted->gLGrid1->grid.hasData);
        QVERIFY(scripted->gLGrid2->grid.hasData);
        QCOMPARE(scripted->grid1WidthSpinBox->value(), 403);
        QCOMPARE(scripted->grid2HeightSpinBox->value(), 344);
        QVERIFY(scripted.log.messages.isEmpty());

        ScriptedWindow leftOnly;
        QCOMPARE(openCommandLineTerrains(*leftOnly.window, {QStringLiteral("talvane"), sample.grd()}), 1);
        QVERIFY(leftOnly->gLGrid1->grid.hasData);
        QVERIFY(!leftOnly->gLGrid2->grid.hasData);

        // A session alone opens both screens.
        const QString session = sample.path(QStringLiteral("work.talvane"));
        QString errorText;
        QVERIFY(writeSessionFile(session, scripted->gLGrid2->grid, scripted->gLGrid1->grid, {}, errorText));
        ScriptedWindow fromSession;
        QCOMPARE(openCommandLineTerrains(*fromSession.window, {QStringLiteral("talvane"), session}), 2);
        QVERIFY(fromSession->gLGrid1->grid.heights == scripted->gLGrid2->grid.heights);
        QVERIFY(fromSession->gLGrid2->grid.heights == scripted->gLGrid1->grid.heights);
    }

    void extraOrUnreadableFilesAreReported()
    {
        ScriptedWindow scripted;
        SampleFolder sample;
        QVERIFY(sample.isValid());
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        const int opened = openCommandLineTerrains(
            *scripted.window, {QStringLiteral("talvane"), sample.path(QStringLiteral("missing.grd")), sample.grd(),
                               sample.grd()});
        const std::string printed = capture.take();
        QCOMPARE(opened, 1);
        QVERIFY(printed.find("Only the first two terrain files are opened") != std::string::npos);
        QVERIFY(!scripted->gLGrid1->grid.hasData);
        QVERIFY(scripted->gLGrid2->grid.hasData);
        QCOMPARE(scripted.log.messages.size(), 1);
        QVERIFY(scripted.log.messages.first().text.startsWith(QStringLiteral("Terrain was not loaded due to: ")));
    }

    // The program itself, after the toolkit took its own options out.
    void theProgramOpensTheFilesItIsGiven()
    {
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QProcess program;
        program.setProcessChannelMode(QProcess::MergedChannels);
        // The program records what it opens in its settings: keep those out of the user's.
        QTemporaryDir settingsHome;
        QVERIFY(settingsHome.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), settingsHome.path());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TALVANE_APP_BINARY),
                      {QStringLiteral("-platform"), QStringLiteral("xcb"), sample.grd(), sample.flt()});
        QVERIFY(program.waitForStarted(10000));
        QByteArray output;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 60000 && output.count("Loaded File: ") < 2) {
            program.waitForReadyRead(500);
            output += program.readAll();
        }
        program.kill();
        program.waitForFinished(10000);
        output += program.readAll();
        QVERIFY2(output.contains("Loaded File: " + sample.grd().toLocal8Bit()), output.left(2000).constData());
        QVERIFY2(output.contains("Loaded File: " + sample.flt().toLocal8Bit()), output.left(2000).constData());
        QVERIFY(output.indexOf(sample.grd().toLocal8Bit()) < output.indexOf(sample.flt().toLocal8Bit()));
    }
};

TALVANE_APP_TEST_MAIN(MainWindowStartTest)

#include "test_main_window_start.moc"
