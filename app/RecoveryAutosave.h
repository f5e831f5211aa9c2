#pragma once

#include "grid/SessionFile.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// Keeps the window's work in a recovery file as it changes: after each completed change
// of a terrain the window takes a snapshot of both screens (on the GUI thread, a copy of
// what a session keeps), and a worker writes it as a session through io::AtomicFileWrite,
// so a kill at any moment leaves the previous file or the new one whole. One write at a
// time; changes made while one runs are written together when it ends, from the newest
// state; writes start at most once every minimum interval, so quick cheap changes are
// coalesced.
class RecoveryAutosave : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultMinimumIntervalMs = 3000;

    // takeSnapshot runs on the GUI thread just before each write.
    RecoveryAutosave(QString fileName, std::function<TerrainSession()> takeSnapshot, QObject* parent = nullptr);
    // Waits for a write under way.
    ~RecoveryAutosave() override;

    void setMinimumInterval(int milliseconds) { minimumIntervalMs_ = milliseconds; }

    // A terrain changed: a write of the new state follows.
    void terrainChanged();
    // Waits for a write under way, forgets any still to come and removes the file: the
    // work was put away (a clean exit).
    void removeFile();

    // Changes seen so far, and the number of the newest one written whole (0: none yet).
    int changeCount() const { return changeCount_; }
    int writtenChange() const { return writtenChange_; }
    const QString& fileName() const { return fileName_; }

signals:
    // The state after change number `change` is in the file, whole.
    void written(int change);
    // A write failed; the file is as it was. The text says why.
    void failed(const QString& text);

private:
    struct WriteResult {
        bool written = false;
        QString errorText;
    };

    void startWriteWhenDue();
    void startWrite();
    void writeFinished();

    QString fileName_;
    std::function<TerrainSession()> takeSnapshot_;
    int minimumIntervalMs_ = defaultMinimumIntervalMs;
    int changeCount_ = 0;
    int writingChange_ = 0;
    int writtenChange_ = 0;
    bool writing_ = false;
    QTimer dueTimer_;
    QElapsedTimer sinceLastWrite_;
    QFutureWatcher<WriteResult> writer_;
};
