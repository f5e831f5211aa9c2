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
    const QFileInfo info(finalName);
    const QString suffix = info.suffix();
    QString name = QStringLiteral(".") + info.completeBaseName() + QLatin1Char('.') + uniqueTag(++serial);
    if (!suffix.isEmpty())
        name += QLatin1Char('.') + suffix;
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

bool OutputTransaction::commit(QString& errorText)
{
    QStringList moved;
    for (std::size_t index = 0; index < pending.size(); ++index) {
        const auto& [temporaryName, finalName] = pending[index];
        // rename(2) replaces an existing file atomically; QFile::rename would refuse to.
        if (std::rename(QFile::encodeName(temporaryName).constData(), QFile::encodeName(finalName).constData()) != 0) {
            errorText = QStringLiteral("cannot write %1: %2").arg(finalName, QString::fromLocal8Bit(std::strerror(errno)));
            for (const QString& name : moved)
                QFile::remove(name);
            return false; // the rest stay pending and are removed with the transaction
        }
        moved.append(finalName);
    }
    pending.clear();
    committed.append(moved);
    return true;
}

QStringList OutputTransaction::committedNames() const
{
    return committed;
}
