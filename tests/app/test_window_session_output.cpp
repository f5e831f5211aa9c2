// Standard output is part of the window's behaviour: one session on the sample DEM
// (load, coarsen, refine) must say exactly what the recording says, byte for byte.
// The session runs as its own process so its standard output is read through a pipe,
// as a user's terminal would see it.

#include "AppTestSupport.h"

#include "views/SurfaceFormat.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

class WindowSessionOutputTest : public QObject {
    Q_OBJECT

private slots:
    void loadCoarsenRefineSaysWhatTheRecordingSays()
    {
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QProcess session;
        session.setWorkingDirectory(sample.directory.path());
        session.start(QStringLiteral(TALVANE_WINDOW_SESSION_DRIVER), {QStringLiteral("-platform"), QStringLiteral("xcb")});
        QVERIFY(session.waitForStarted(10000));
        QVERIFY(session.waitForFinished(120000));
        const QByteArray errors = session.readAllStandardError();
        QCOMPARE(session.exitStatus(), QProcess::NormalExit);
        QVERIFY2(session.exitCode() == 0, errors.constData());

        const QByteArray printed = session.readAllStandardOutput();
        const QByteArray recorded = readWholeFile(QStringLiteral(TALVANE_TEST_DATA "/expected/window_load_coarsen_refine.txt"));
        QVERIFY(!recorded.isEmpty());
        QCOMPARE(printed, recorded);
    }
};

TALVANE_APP_TEST_MAIN(WindowSessionOutputTest)

#include "test_window_session_output.moc"
