#include "tools/OutputTransaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QString uniqueTag(int serial)
{
    return QStringLiteral("part-%1-%2").arg(::getpid()).arg(serial);
}

} // namespace

OutputTransaction::~OutputTransaction()
{
    for (const auto& [temporaryName, finalName] : pending)
        QFile::remove(temporaryName);
    for (const QString& folder : temporaryFolders)
        QDir(folder).removeRecursively();
}

QString OutputTransaction::temporaryNameFor(const QString& finalName)
{
    return temporaryNameFor(finalName, QFileInfo(finalName).suffix());
}

QString OutputTransaction::temporaryNameFor(const QString& finalName, const QString& extension)
{
    const QFileInfo info(finalName);
    QString name = QStringLiteral(".") + info.completeBaseName() + QLatin1Char('.') + uniqueTag(++serial);
    if (!extension.isEmpty())
        name += QLatin1Char('.') + extension;
    return info.dir().filePath(name);
}

QString OutputTransaction::temporaryFolderFor(const QString& finalName, QString& errorText)
{
    const QFileInfo info(finalName);
    const QString folder =
        info.dir().filePath(QStringLiteral(".") + info.completeBaseName() + QLatin1Char('.') + uniqueTag(++serial));
    if (!QDir().mkdir(folder)) {
        errorText = QStringLiteral("cannot create files in %1").arg(info.dir().path());
        return {};
    }
    temporaryFolders.append(folder);
    return folder;
}

void OutputTransaction::adopt(const QString& temporaryName, const QString& finalName)
{
    pending.emplace_back(temporaryName, finalName);
}

namespace {

bool renameFile(const QString& from, const QString& to)
{
    // rename(2) replaces an existing file atomically; QFile::rename would refuse to.
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

bool OutputTransaction::commit(QString& errorText)
{
    // A file being replaced is first moved aside, so a commit that fails halfway can put
    // back every file it had replaced as well as remove the ones it had added.
    struct Moved {
        QString finalName;
        QString backupName; // empty when nothing was there before
    };
    std::vector<Moved> moved;
    const auto rollBack = [&moved]() {
        for (auto step = moved.rbegin(); step != moved.rend(); ++step) {
            QFile::remove(step->finalName);
            if (!step->backupName.isEmpty())
                renameFile(step->backupName, step->finalName);
        }
    };

    for (const auto& [temporaryName, finalName] : pending) {
        Moved step{finalName, QString()};
        const QFileInfo existing(finalName);
        if (existing.exists() && existing.isFile()) {
            step.backupName = temporaryNameFor(finalName);
            if (!renameFile(finalName, step.backupName)) {
                errorText = QStringLiteral("cannot replace %1: %2").arg(finalName, QString::fromLocal8Bit(std::strerror(errno)));
                rollBack();
                return false;
            }
        }
        if (!renameFile(temporaryName, finalName)) {
            errorText = QStringLiteral("cannot write %1: %2").arg(finalName, QString::fromLocal8Bit(std::strerror(errno)));
            if (!step.backupName.isEmpty())
                renameFile(step.backupName, finalName);
            rollBack();
            return false; // the temporary files stay pending and go with the transaction
        }
        moved.push_back(step);
    }
    for (const Moved& step : moved) {
        if (!step.backupName.isEmpty())
            QFile::remove(step.backupName);
        committed.append(step.finalName);
    }
    pending.clear();
    return true;
}

QStringList OutputTransaction::committedNames() const
{
    return committed;
}
