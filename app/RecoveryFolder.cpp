#include "app/RecoveryFolder.h"

#include "io/AtomicFileWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>

namespace {

const QString kSuffix = QStringLiteral(".talvane");
const QString kLockSuffix = QStringLiteral(".lock");

QString lockPathOf(const QString& recoveryFile)
{
    return recoveryFile.left(recoveryFile.size() - kSuffix.size()) + kLockSuffix;
}

// A lock whose owner is gone: no process of that id runs any more (or another program
// does). Age alone never makes one stale, as a window may run for days.
std::unique_ptr<QLockFile> lockIfAbandoned(const QString& lockPath)
{
    auto lock = std::make_unique<QLockFile>(lockPath);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

} // namespace

RecoveryFolder::RecoveryFolder(const QString& folder) : folder_(folder.isEmpty() ? standardFolder() : folder)
{
    if (!QDir().mkpath(folder_))
        return;
    // The start time and a serial keep a reused process id, and several windows of one
    // process, apart.
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("recovery-%1-%2-%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch())
                             .arg(serial++);
    const QString path = QDir(folder_).filePath(name + kSuffix);
    auto lock = std::make_unique<QLockFile>(lockPathOf(path));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return;
    ownLock_ = std::move(lock);
    ownFile_ = path;
}

RecoveryFolder::~RecoveryFolder() = default;

QString RecoveryFolder::standardFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

std::vector<RecoveryFolder::Orphan> RecoveryFolder::orphans() const
{
    const QDir folder(folder_);
    std::vector<Orphan> found;
    for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("recovery-*") + kSuffix}, QDir::Files)) {
        if (file.absoluteFilePath() == ownFile_)
            continue;
        if (std::unique_ptr<QLockFile> lock = lockIfAbandoned(lockPathOf(file.absoluteFilePath())))
            found.push_back({file.absoluteFilePath(), file.lastModified(), std::move(lock)});
    }
    for (const QFileInfo& lockFile : folder.entryInfoList({QStringLiteral("recovery-*") + kLockSuffix}, QDir::Files)) {
        const QString base = lockFile.absoluteFilePath().chopped(kLockSuffix.size());
        if (!QFile::exists(base + kSuffix))
            if (std::unique_ptr<QLockFile> lock = lockIfAbandoned(lockFile.absoluteFilePath()))
                lock->unlock();
    }
    std::sort(found.begin(), found.end(),
              [](const Orphan& a, const Orphan& b) { return a.lastModified > b.lastModified; });
    return found;
}

bool RecoveryFolder::adopt(Orphan& orphan, QString& errorText)
{
    if (ownFile_.isEmpty()) {
        errorText = QStringLiteral("the recovery folder %1 could not be used").arg(folder_);
        return false;
    }
    std::string reason;
    if (!io::replaceFile(QFile::encodeName(orphan.path).toStdString(), QFile::encodeName(ownFile_).toStdString(),
                         reason)) {
        errorText = QString::fromStdString(reason);
        return false;
    }
    orphan.lock->unlock();
    return true;
}

void RecoveryFolder::discard(Orphan& orphan)
{
    QFile::remove(orphan.path);
    orphan.lock->unlock();
}

void RecoveryFolder::removeOwnFile()
{
    if (!ownFile_.isEmpty())
        QFile::remove(ownFile_);
}
