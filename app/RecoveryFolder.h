#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QString>

#include <memory>
#include <vector>

// Where the window keeps its autosaved work for recovery after a crash: one file per
// running window, "recovery-<pid>-<start>.talvane" in the application's data folder
// (QStandardPaths::AppLocalDataLocation, which XDG_DATA_HOME moves), beside a lock
// ".lock" that the window holds while it runs. A file whose lock nobody holds was left by
// a window that did not close cleanly (killed, crashed, a power cut): that is the work
// to offer back. Several windows at once each keep their own file.
class RecoveryFolder {
public:
    // A recovery file left behind, its lock held by this process until it is adopted or
    // discarded, so that two windows starting together do not both offer it.
    struct Orphan {
        QString path;
        QDateTime lastModified;
        std::unique_ptr<QLockFile> lock;
    };

    // Claims this window's file (takes its lock; the file itself appears with the first
    // autosave). An empty folder means the standard one.
    explicit RecoveryFolder(const QString& folder = QString());
    ~RecoveryFolder();

    static QString standardFolder();

    // This window's file; empty when the folder could not be made or locked.
    const QString& ownFile() const { return ownFile_; }

    // The files of windows that are gone, newest first. Stray locks without a file are
    // removed on the way.
    std::vector<Orphan> orphans() const;
    // Makes an orphan this window's own file, so that a kill before the next autosave
    // still finds that work. False (the orphan left as it was) when it could not be moved.
    bool adopt(Orphan& orphan, QString& errorText);
    // Removes an orphan and its lock.
    static void discard(Orphan& orphan);
    // Removes this window's file (a clean exit); its lock goes with the object.
    void removeOwnFile();

private:
    QString folder_;
    QString ownFile_;
    std::unique_ptr<QLockFile> ownLock_;
};
