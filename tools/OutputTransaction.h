#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// All files of one command appear together or not at all. Writers write to temporary
// names beside their final names (same folder, so the final rename is atomic and never
// crosses file systems); commit() renames them into place. Names and renames are the
// core's atomic save (io/AtomicFileWrite.h), which every writer also saves through. Anything not committed
// is removed when the transaction ends, and a commit that fails halfway puts back every
// file it had replaced.
class OutputTransaction {
public:
    OutputTransaction() = default;
    ~OutputTransaction();

    OutputTransaction(const OutputTransaction&) = delete;
    OutputTransaction& operator=(const OutputTransaction&) = delete;

    // A fresh name in finalName's folder with finalName's extension, hidden and unique to
    // this process: ".<base>.part-<pid>-<n>.<ext>". Nothing is created.
    QString temporaryNameFor(const QString& finalName);
    // The same with the given extension instead of finalName's (for writers that insist
    // on one spelling of it).
    QString temporaryNameFor(const QString& finalName, const QString& extension);

    // A fresh empty folder beside finalName, for writers that choose their own file
    // names; empty on failure (errorText says why). Removed when the transaction ends.
    QString temporaryFolderFor(const QString& finalName, QString& errorText);

    // Registers a file written at temporaryName that is to become finalName.
    void adopt(const QString& temporaryName, const QString& finalName);

    // Renames every adopted file into place, in the order adopted. On failure every final
    // name is as it was before (added files removed, replaced files restored) and
    // errorText names the file that failed.
    bool commit(QString& errorText);

    // The final names of the files committed, in order.
    QStringList committedNames() const;

private:
    std::vector<std::pair<QString, QString>> pending; // temporary name, final name
    QStringList temporaryFolders;
    QStringList committed;
};
