#include "tools/OutputTransaction.h"

#include "io/AtomicFileWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

std::string encoded(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

QString decoded(const std::string& name)
{
    return QFile::decodeName(QByteArray::fromStdString(name));
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
    return decoded(io::temporaryPathBeside(encoded(finalName), encoded(extension)));
}

QString OutputTransaction::temporaryFolderFor(const QString& finalName, QString& errorText)
{
    const QFileInfo info(finalName);
    const QString folder = decoded(io::temporaryPathBeside(encoded(finalName), std::string_view()));
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

// rename(2) replaces an existing file atomically (QFile::rename would refuse to) and the
// folder is synced after, as every save does.
bool renameFile(const QString& from, const QString& to)
{
    std::string ignored;
    return io::replaceFile(encoded(from), encoded(to), ignored);
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
