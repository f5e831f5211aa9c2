#pragma once

#include "grid/SessionFile.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>

// Keeps the window's work in a recovery file as it changes: after each completed change
// of a terrain a snapshot of both screens is taken on the GUI thread and a worker writes
// it as a session through io::AtomicFileWrite, so a kill at any moment leaves the
// previous file or the new one whole. The snapshot is made in two steps so that the GUI
// thread only copies bytes: its memory is allocated in the screens' shapes and a worker
// touches every page of it (the page faults of hundreds of megabytes cost more than the
// copy), then the GUI thread copies what a session keeps into it, valuesPerTurn values a
// turn of its event loop (a gigabyte at once would hold it up for a tenth of a second);
// a change of a terrain before the copy is whole starts it again. One write at a time;
// changes made while one runs are written together when it ends, from the newest state;
// writes start at most once every minimum interval, so quick cheap changes are coalesced.
class RecoveryAutosave : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultMinimumIntervalMs = 3000;
    // 32 MB: a few milliseconds of copying.
    static constexpr std::size_t defaultValuesPerTurn = std::size_t{8} << 20;

    // What to save, read on the GUI thread: the screens' grids (valid during the call)
    // and the window's choices.
    struct Source {
        const VeskGrid& left;
        const VeskGrid& right;
        QJsonObject window;
    };

    RecoveryAutosave(QString fileName, std::function<Source()> source, QObject* parent = nullptr);
    // Waits for work under way.
    ~RecoveryAutosave() override;

    void setMinimumInterval(int milliseconds) { minimumIntervalMs_ = milliseconds; }
    void setValuesPerTurn(std::size_t values) { valuesPerTurn_ = std::max<std::size_t>(1, values); }

    // A terrain changed: a write of the new state follows.
    void terrainChanged();
    // Waits for work under way, forgets any still to come and removes the file: the work
    // was put away (a clean exit).
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
    void prepareSnapshot();
    void startCopy();
    void copySomeValues();
    void abandonCopy();
    void writeFinished();

    QString fileName_;
    std::function<Source()> source_;
    int minimumIntervalMs_ = defaultMinimumIntervalMs;
    int changeCount_ = 0;
    int writingChange_ = 0;
    int writtenChange_ = 0;
    bool writing_ = false; // from the preparation until the write has ended
    std::size_t valuesPerTurn_ = defaultValuesPerTurn;
    // The change the copy under way is of, and how many values of the matrices it has copied.
    int copyingChange_ = 0;
    std::size_t copiedValues_ = 0;
    QTimer copyTimer_;
    std::unique_ptr<TerrainSession> snapshot_;
    QTimer dueTimer_;
    QElapsedTimer sinceLastWrite_;
    QFutureWatcher<void> preparer_;
    QFutureWatcher<WriteResult> writer_;
};
