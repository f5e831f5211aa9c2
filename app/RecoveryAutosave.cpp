#include "app/RecoveryAutosave.h"

#include "diagnostics/Diagnostics.h"

#include <QFile>
#include <QtConcurrent/QtConcurrent>

#include <memory>
#include <utility>

RecoveryAutosave::RecoveryAutosave(QString fileName, std::function<TerrainSession()> takeSnapshot, QObject* parent)
    : QObject(parent), fileName_(std::move(fileName)), takeSnapshot_(std::move(takeSnapshot))
{
    dueTimer_.setSingleShot(true);
    connect(&dueTimer_, &QTimer::timeout, this, &RecoveryAutosave::startWrite);
    connect(&writer_, &QFutureWatcher<WriteResult>::finished, this, &RecoveryAutosave::writeFinished);
}

RecoveryAutosave::~RecoveryAutosave()
{
    writer_.waitForFinished();
}

void RecoveryAutosave::terrainChanged()
{
    ++changeCount_;
    startWriteWhenDue();
}

void RecoveryAutosave::startWriteWhenDue()
{
    // A write under way takes the newest state up when it ends.
    if (fileName_.isEmpty() || writing_ || dueTimer_.isActive() || writtenChange_ == changeCount_)
        return;
    const qint64 waited = sinceLastWrite_.isValid() ? sinceLastWrite_.elapsed() : minimumIntervalMs_;
    dueTimer_.start(static_cast<int>(std::max<qint64>(0, minimumIntervalMs_ - waited)));
}

void RecoveryAutosave::startWrite()
{
    if (writing_)
        return;
    writing_ = true;
    writingChange_ = changeCount_;
    sinceLastWrite_.start();
    auto snapshot = std::make_unique<TerrainSession>(takeSnapshot_());
    writer_.setFuture(QtConcurrent::run([fileName = fileName_, snapshot = std::move(snapshot)]() mutable {
        WriteResult result;
        result.written =
            writeSessionFile(fileName, snapshot->left, snapshot->right, snapshot->window, result.errorText);
        // The copies go here, off the GUI thread.
        snapshot.reset();
        return result;
    }));
}

void RecoveryAutosave::writeFinished()
{
    writing_ = false;
    const WriteResult result = writer_.result();
    if (result.written) {
        writtenChange_ = writingChange_;
        emit written(writtenChange_);
    } else {
        diagnostics::reportf("Autosave for recovery failed: %s\n", qPrintable(result.errorText));
        emit failed(result.errorText);
    }
    // A failed write is tried again only with the next change, not in a loop.
    if (result.written)
        startWriteWhenDue();
}

void RecoveryAutosave::removeFile()
{
    dueTimer_.stop();
    writer_.waitForFinished();
    changeCount_ = writtenChange_ = writingChange_;
    if (!fileName_.isEmpty())
        QFile::remove(fileName_);
}
