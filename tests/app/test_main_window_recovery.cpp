// Autosave for recovery within one process: each change lands in the window's recovery
// file, a clean exit removes it, and a new window offers back what a window that did not
// close cleanly left: restored whole, discarded when declined, refused when damaged.
// (Kills of the real process: test_recovery_after_kill.)

#include "AppTestSupport.h"
#include "ScreenStates.h"

#include "app/RecoveryAutosave.h"
#include "app/RecoveryFolder.h"
#include "views/GLGrid.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

bool autosaved(const TalvaneMainWindow& window)
{
    const RecoveryAutosave& autosave = *window.recoveryAutosave();
    return QTest::qWaitFor([&] { return autosave.writtenChange() == autosave.changeCount(); }, 30000);
}

// Where a window that was killed would have left its file (no live lock beside it).
QString leftBehindFile()
{
    return QDir(RecoveryFolder::standardFolder()).filePath(QStringLiteral("recovery-1-1-0.talvane"));
}

} // namespace

class MainWindowRecoveryTest : public QObject {
    Q_OBJECT

private slots:
    void init() { IsolatedSettings::clear(); }

    void changesAreAutosavedAndACleanExitRemovesTheFile()
    {
        QString file;
        {
            ScriptedWindow scripted;
            SampleFolder sample;
            QVERIFY(sample.isValid());
            QVERIFY(scripted->openTerrainLeft(sample.grd()));
            scripted->renderingButtons->button(2)->click();
            scripted->coarsenLeftButton->click();
            QVERIFY(autosaved(*scripted.window));
            file = scripted->recoveryAutosave()->fileName();
            TerrainSession saved;
            QString errorText;
            QVERIFY2(readSessionFile(file, saved, errorText), qPrintable(errorText));
            QVERIFY(saved.left.heights == scripted->gLGrid1->grid.heights);
            QVERIFY(saved.left.details == scripted->gLGrid1->grid.details);
            QVERIFY(!saved.right.hasData);
            QCOMPARE(saved.window.value("renderMode").toInt(), 2);
        }
        QVERIFY(!file.isEmpty());
        QVERIFY(!QFile::exists(file));
    }

    // The autosave and Save Session both write the window's document: after a change of
    // both screens is undone, each file holds both screens as they show, to the bit.
    void theAutosaveAndASavedSessionHoldBothScreensAfterAnUndo()
    {
        ScriptedWindow scripted;
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(scripted->openTerrainLeft(sample.grd()));
        QVERIFY(scripted->openTerrainRight(sample.flt()));
        scripted->coarsenLeftButton->click();
        scripted->coarsenRightButton->click();
        scripted->editUndoAction->trigger();
        QVERIFY(autosaved(*scripted.window));
        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("work")), QString()};
        scripted->fileSaveSessionAction->trigger();
        QCOMPARE(scripted.log.messages.size(), 0);
        const VeskGrid& left = scripted->gLGrid1->grid;
        const VeskGrid& right = scripted->gLGrid2->grid;
        QCOMPARE(left.details.size(), std::size_t{2});
        QVERIFY(right.details.empty());
        const QString recoveryFile = scripted->recoveryAutosave()->fileName();
        for (const QString& file : {recoveryFile, sample.path(QStringLiteral("work.talvane"))}) {
            TerrainSession saved;
            QString errorText;
            QVERIFY2(readSessionFile(file, saved, errorText), qPrintable(errorText));
            QVERIFY(saved.left.heights == left.heights && saved.left.details == left.details);
            QVERIFY(saved.right.heights == right.heights && saved.right.details == right.details);
            QVERIFY(saved.left.cellSize == left.cellSize && saved.right.cellSize == right.cellSize);
        }
    }

    // The snapshot is copied a part at a time: a change of a terrain in the middle of the
    // copy starts it again, so the first file written holds one state whole, the newest.
    void aChangeWhileTheSnapshotIsCopiedStartsTheCopyAgain()
    {
        const auto terrainOf = [](int width, int height, float value) {
            VeskGrid grid;
            grid.resize(width, height);
            grid.heights.assign(std::size_t(height), std::size_t(width), value);
            grid.hasData = true;
            return grid;
        };
        VeskGrid left = terrainOf(40, 30, 1.0f);
        const VeskGrid right = terrainOf(20, 10, 5.0f);
        QTemporaryDir folder;
        RecoveryAutosave* autosave = nullptr;
        int sourceCalls = 0;
        RecoveryAutosave saver(folder.filePath(QStringLiteral("work.talvane")), [&] {
            // 1,400 values at 100 a turn: the eighth look is in the middle of the copy.
            if (++sourceCalls == 8) {
                left.heights.assign(30, 40, 2.0f);
                autosave->terrainChanged();
            }
            return RecoveryAutosave::Source{left, right, QJsonObject{}};
        });
        autosave = &saver;
        saver.setMinimumInterval(0);
        saver.setValuesPerTurn(100);
        QSignalSpy written(&saver, &RecoveryAutosave::written);
        saver.terrainChanged();
        QVERIFY(written.wait(10000));
        QCOMPARE(written.first().first().toInt(), 2);
        TerrainSession saved;
        QString errorText;
        QVERIFY2(readSessionFile(saver.fileName(), saved, errorText), qPrintable(errorText));
        QVERIFY(saved.left.heights == left.heights);
        QVERIFY(saved.right.heights == right.heights);
    }

    void workLeftBehindIsOfferedWithItsTimeAndRestored()
    {
        ScriptedWindow before;
        QVERIFY(before->openTerrainLeft(QStringLiteral(TALVANE_TEST_DATA "/N36W085_cut.hgt")));
        QVERIFY(before->openTerrainRight(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.flt")));
        before->renderingButtons->button(3)->click();
        before->slider1->setValue(33);
        before->coarsenRightButton->click();
        QVERIFY(autosaved(*before.window));
        // A live window's file is not offered; a copy of it without a lock is.
        QVERIFY(QFile::copy(before->recoveryAutosave()->fileName(), leftBehindFile()));
        const QString when = QFileInfo(leftBehindFile()).lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));

        ScriptedWindow after;
        after.log.yesNoAnswers = {true};
        QVERIFY(after->offerRecovery());
        QCOMPARE(after.log.questions.size(), 1);
        QVERIFY2(after.log.questions.first().text.contains(when), qPrintable(after.log.questions.first().text));
        QCOMPARE(differenceBetween(stateOf(*before.window), stateOf(*after.window)), QString());
        QVERIFY(after->gLGrid1->grid.georeference.has_value());
        QCOMPARE(after->renderingButtons->checkedId(), 3);
        QCOMPARE(after->slider1->value(), 33);
        // The restored work is the new window's own file now.
        QVERIFY(!QFile::exists(leftBehindFile()));
        QVERIFY(QFile::exists(after->recoveryAutosave()->fileName()));
    }

    void declinedWorkIsDiscarded()
    {
        ScriptedWindow before;
        QVERIFY(before->openTerrainLeft(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.flt")));
        QVERIFY(autosaved(*before.window));
        QVERIFY(QFile::copy(before->recoveryAutosave()->fileName(), leftBehindFile()));
        ScriptedWindow after;
        after.log.yesNoAnswers = {false};
        QVERIFY(!after->offerRecovery());
        QCOMPARE(after.log.questions.size(), 1);
        QVERIFY(!after->gLGrid1->grid.hasData);
        QVERIFY(!QFile::exists(leftBehindFile()));
    }

    void damagedWorkIsRefusedAndKept()
    {
        ScriptedWindow before;
        QVERIFY(before->openTerrainLeft(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.flt")));
        QVERIFY(autosaved(*before.window));
        const QByteArray whole = readWholeFile(before->recoveryAutosave()->fileName());
        QVERIFY(writeTextFile(leftBehindFile(), whole.left(whole.size() / 2)));
        ScriptedWindow after;
        after.log.yesNoAnswers = {true};
        QVERIFY(!after->offerRecovery());
        QVERIFY(after.takeOnlyMessage().text.startsWith(QStringLiteral("Session was not opened due to: ")));
        QVERIFY(!after->gLGrid1->grid.hasData);
        QVERIFY(QFile::exists(leftBehindFile()));
        QFile::remove(leftBehindFile());
    }
};

TALVANE_APP_TEST_MAIN(MainWindowRecoveryTest)

#include "test_main_window_recovery.moc"
