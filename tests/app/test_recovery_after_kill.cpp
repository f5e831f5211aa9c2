// Work is never lost: the window (recovery_kill_driver, a scripted session of loads,
// coarsenings, Go and block pastes through the window's controls) is killed with SIGKILL
// at 20 random moments; each time it starts again, takes up the autosaved work and must
// show both screens as they were after the last operation that completed before the kill,
// bit for bit. Seeded: the same moments every run.

#include "AppTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What a run of the driver said, line by line.
struct DriverLog {
    QByteArray recovered;
    int offers = -1;
    QByteArray lastSaved;  // the newest state whose autosave was on the disk
    QByteArray unsaved;    // a newer state whose autosave may or may not have landed
    QByteArray pending;    // the part of a line still to come

    void take(const QByteArray& output)
    {
        pending += output;
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QList<QByteArray> words = pending.left(end).split(' ');
            pending.remove(0, end + 1);
            if (words.size() == 3 && words[0] == "@@recovered") {
                recovered = lastSaved = words[1];
                offers = words[2].toInt();
            } else if (words.size() == 2 && words[0] == "@@done") {
                unsaved = words[1];
            } else if (words.size() == 2 && words[0] == "@@saved") {
                lastSaved = words[1];
                unsaved.clear();
            }
        }
    }
};

} // namespace

class RecoveryAfterKillTest : public QObject {
    Q_OBJECT

private slots:
    void twentyKillsAllRecover()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        QRandomGenerator random(20261209);
        const int kills = 20;
        int recovered = 0;
        int landedUnreported = 0;
        DriverLog before;
        for (int start = 0; start <= kills; ++start) {
            QProcess driver;
            driver.setProcessEnvironment(environment);
            QStringList arguments{QString::number(random.generate())};
            if (start == kills)
                arguments << QStringLiteral("--quit");
            driver.start(QStringLiteral(TALVANE_RECOVERY_KILL_DRIVER), arguments);
            QVERIFY(driver.waitForStarted(10000));
            DriverLog log;
            QVERIFY2(QTest::qWaitFor(
                         [&] {
                             driver.waitForReadyRead(100);
                             log.take(driver.readAllStandardOutput());
                             return !log.recovered.isEmpty() || driver.state() == QProcess::NotRunning;
                         },
                         120000),
                     "the driver did not start");
            QVERIFY2(!log.recovered.isEmpty(), driver.readAllStandardError().constData());
            QVERIFY(log.offers <= 1);
            if (start > 0) {
                // The newest state on the disk is the one saved last, unless the kill came
                // after the next one's file was in place but before it was reported.
                const bool asSaved = log.recovered == before.lastSaved;
                const bool asUnsaved = !before.unsaved.isEmpty() && log.recovered == before.unsaved;
                recovered += asSaved || asUnsaved ? 1 : 0;
                landedUnreported += asUnsaved && !asSaved ? 1 : 0;
                if (!asSaved && !asUnsaved)
                    qWarning("start %d recovered %s, expected %s", start, log.recovered.constData(),
                             before.lastSaved.constData());
            }
            if (start == kills) {
                // A hang guard, not a time limit: sanitizers and a busy machine slow the script.
                // The script may already have ended, and then waitForFinished says false.
                QVERIFY(driver.state() == QProcess::NotRunning || driver.waitForFinished(180000));
                QCOMPARE(driver.exitCode(), 0);
                break;
            }
            const int killAfterMs = 200 + static_cast<int>(random.bounded(2300));
            QElapsedTimer running;
            running.start();
            while (running.elapsed() < killAfterMs && driver.state() == QProcess::Running) {
                driver.waitForReadyRead(20);
                log.take(driver.readAllStandardOutput());
            }
            QVERIFY2(driver.state() == QProcess::Running, driver.readAllStandardError().constData());
            driver.kill(); // SIGKILL
            QVERIFY(driver.waitForFinished(10000));
            log.take(driver.readAllStandardOutput());
            before = log;
        }
        qInfo("%d of %d kills recovered, %d of them after a write that landed unreported", recovered, kills,
              landedUnreported);
        QCOMPARE(recovered, kills);
        // The clean exit at the end left no recovery file.
        const QDir folder(home.filePath(QStringLiteral("data/TalvaneTest/RecoveryKill")));
        QCOMPARE(folder.entryList({QStringLiteral("recovery-*")}, QDir::Files), QStringList());
    }
};

QTEST_GUILESS_MAIN(RecoveryAfterKillTest)

#include "test_recovery_after_kill.moc"
