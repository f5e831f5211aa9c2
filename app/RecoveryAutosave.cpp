#include "app/RecoveryAutosave.h"

#include "diagnostics/Diagnostics.h"
#include "views/BackgroundPriority.h"

#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Writes one value a memory page, so that the page faults are taken here.
void touchPages(FloatMatrix& matrix)
{
    static const std::size_t valuesPerPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) / sizeof(float);
    float* values = matrix.data();
    for (std::size_t index = 0; index < matrix.valueCount(); index += valuesPerPage)
        values[index] = 0.0f;
}

void touchPages(VeskGrid& grid)
{
    touchPages(grid.heights);
    for (FloatMatrix& level : grid.details)
        touchPages(level);
}

// The matrices a session keeps of a screen, each beside the snapshot's; false when a
// shape differs.
using MatrixPairs = std::vector<std::pair<const FloatMatrix*, FloatMatrix*>>;

bool pairMatrices(const VeskGrid& from, VeskGrid& into, MatrixPairs& pairs)
{
    const auto add = [&](const FloatMatrix& matrix, FloatMatrix& copy) {
        pairs.emplace_back(&matrix, &copy);
        return matrix.rows() == copy.rows() && matrix.columns() == copy.columns();
    };
    if (from.details.size() != into.details.size() || !add(from.heights, into.heights))
        return false;
    for (std::size_t level = 0; level < from.details.size(); ++level)
        if (!add(from.details[level], into.details[level]))
            return false;
    return true;
}

} // namespace

RecoveryAutosave::RecoveryAutosave(QString fileName, std::function<Source()> source, QObject* parent)
    : QObject(parent), fileName_(std::move(fileName)), source_(std::move(source))
{
    dueTimer_.setSingleShot(true);
    connect(&dueTimer_, &QTimer::timeout, this, &RecoveryAutosave::prepareSnapshot);
    connect(&preparer_, &QFutureWatcher<void>::finished, this, &RecoveryAutosave::startCopy);
    copyTimer_.setSingleShot(true);
    connect(&copyTimer_, &QTimer::timeout, this, &RecoveryAutosave::copySomeValues);
    connect(&writer_, &QFutureWatcher<WriteResult>::finished, this, &RecoveryAutosave::writeFinished);
}

RecoveryAutosave::~RecoveryAutosave()
{
    preparer_.waitForFinished();
    writer_.waitForFinished();
}

void RecoveryAutosave::terrainChanged()
{
    ++changeCount_;
    startWriteWhenDue();
}

void RecoveryAutosave::startWriteWhenDue()
{
    // Work under way takes the newest state up when it ends.
    if (fileName_.isEmpty() || writing_ || dueTimer_.isActive() || writtenChange_ == changeCount_)
        return;
    const qint64 waited = sinceLastWrite_.isValid() ? sinceLastWrite_.elapsed() : minimumIntervalMs_;
    dueTimer_.start(static_cast<int>(std::max<qint64>(0, minimumIntervalMs_ - waited)));
}

void RecoveryAutosave::prepareSnapshot()
{
    writing_ = true;
    sinceLastWrite_.start();
    snapshot_ = std::make_unique<TerrainSession>();
    const Source screens = source_();
    shapeSessionPartLike(screens.left, snapshot_->left);
    shapeSessionPartLike(screens.right, snapshot_->right);
    preparer_.setFuture(background_priority::runInBackground([snapshot = snapshot_.get()] {
        touchPages(snapshot->left);
        touchPages(snapshot->right);
    }));
}

void RecoveryAutosave::startCopy()
{
    if (!snapshot_) // the file was removed meanwhile
        return;
    // The newest state: changes made while the memory was made ready are in it too (a
    // matrix of the same shape keeps the memory made ready).
    const Source screens = source_();
    shapeSessionPartLike(screens.left, snapshot_->left);
    shapeSessionPartLike(screens.right, snapshot_->right);
    copyingChange_ = changeCount_;
    copiedValues_ = 0;
    copySomeValues();
}

void RecoveryAutosave::copySomeValues()
{
    const Source screens = source_();
    MatrixPairs pairs;
    const bool sameShapes = pairMatrices(screens.left, snapshot_->left, pairs)
                         && pairMatrices(screens.right, snapshot_->right, pairs);
    if (changeCount_ != copyingChange_ || !sameShapes) {
        abandonCopy();
        return;
    }
    std::size_t skipped = 0;
    std::size_t left = valuesPerTurn_;
    std::size_t total = 0;
    for (const auto& [matrix, copy] : pairs) {
        const std::size_t count = matrix->valueCount();
        total += count;
        const std::size_t from = std::max(copiedValues_, skipped) - skipped;
        const std::size_t taken = from < count ? std::min(count - from, left) : 0;
        if (taken > 0)
            std::memcpy(copy->data() + from, matrix->data() + from, taken * sizeof(float));
        copiedValues_ += taken;
        left -= taken;
        skipped += count;
    }
    if (copiedValues_ < total) {
        copyTimer_.start(0);
        return;
    }
    copySessionPartFields(screens.left, snapshot_->left);
    copySessionPartFields(screens.right, snapshot_->right);
    snapshot_->window = screens.window;
    writingChange_ = copyingChange_;
    writer_.setFuture(
        background_priority::runInBackground([fileName = fileName_, snapshot = std::move(snapshot_)]() mutable {
            WriteResult result;
            result.written =
                writeSessionFile(fileName, snapshot->left, snapshot->right, snapshot->window, result.errorText);
            // The copy is freed here, off the GUI thread.
            snapshot.reset();
            return result;
        }));
}

// A terrain changed before the copy was whole: a write of the newest state follows, as
// after any change.
void RecoveryAutosave::abandonCopy()
{
    copyTimer_.stop();
    snapshot_.reset();
    writing_ = false;
    startWriteWhenDue();
}

void RecoveryAutosave::writeFinished()
{
    writing_ = false;
    const WriteResult result = writer_.result();
    if (!result.written) {
        diagnostics::reportf("Autosave for recovery failed: %s\n", qPrintable(result.errorText));
        emit failed(result.errorText);
        // Tried again with the next change, not in a loop.
        return;
    }
    writtenChange_ = writingChange_;
    emit written(writtenChange_);
    startWriteWhenDue();
}

void RecoveryAutosave::removeFile()
{
    dueTimer_.stop();
    copyTimer_.stop();
    preparer_.waitForFinished();
    snapshot_.reset();
    writer_.waitForFinished();
    writing_ = false;
    changeCount_ = writtenChange_ = writingChange_;
    if (!fileName_.isEmpty())
        QFile::remove(fileName_);
}
