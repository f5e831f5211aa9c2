#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Saving a file so that a failure at any point (a full disk, a killed process, a power
// cut) leaves the file that was there byte for byte: the new contents go to a temporary
// file in the target's folder, which is flushed, synced to the disk and then renamed
// over the target. rename(2) within one folder is atomic, so the target is at every
// moment either the old file or the whole new one. Every writer of the window and the
// command-line tool saves through this.
namespace io {

class AtomicFileWrite {
public:
    // Creates the temporary file beside targetPath; isOpen() tells whether that worked
    // (errorText() says why not: a folder in the target's place, say). The temporary takes
    // the target's permissions when the target exists, the usual ones for a new file
    // otherwise. A symbolic link is followed: the file it points to is replaced. A target
    // that is a device or a pipe (/dev/null, a terminal) is written in place, as nothing
    // can replace it. extension, when given,
    // replaces the target's own in the temporary's name (for writers that choose a
    // format by the name they are given).
    explicit AtomicFileWrite(std::string targetPath);
    AtomicFileWrite(std::string targetPath, std::string_view extension);
    // Removes the temporary file unless it was committed.
    ~AtomicFileWrite();

    AtomicFileWrite(const AtomicFileWrite&) = delete;
    AtomicFileWrite& operator=(const AtomicFileWrite&) = delete;

    bool isOpen() const { return stream_ != nullptr; }

    // A buffered stream onto the temporary file; null when it could not be created.
    std::FILE* stream() const { return stream_; }

    // The temporary file, for a writer that opens files by name itself: it writes there
    // (truncating the empty file this made) before commit().
    const std::string& temporaryPath() const { return temporaryPath_; }
    const std::string& targetPath() const { return targetPath_; }

    // Flushes and closes the stream and syncs the temporary to the disk, without touching
    // the target yet: for saves of several files that should all be whole before any of
    // them replaces its old file. False (the temporary removed) when that failed.
    bool finishWriting();

    // Finishes writing when that is still to do, renames the temporary over the target
    // and syncs the folder. True when all of that worked; otherwise the temporary
    // is removed, the target is as it was and errorText() says which step failed.
    bool commit();

    // Gives the new contents up: the temporary is removed, the target is untouched.
    void discard();

    const std::string& errorText() const { return errorText_; }

private:
    void open(std::string_view extension);
    void openDirect();
    bool finishDirect();
    bool fail(const char* step);

    std::string targetPath_;
    std::string temporaryPath_;
    std::FILE* stream_ = nullptr;
    bool pending_ = false;  // a temporary file exists and is ours to remove
    bool finished_ = false; // the temporary is closed and on the disk
    bool direct_ = false;   // the target is a device or a pipe, written in place
    std::string errorText_;
};

// A fresh name in target's folder for a file that is to replace target: hidden, unique to
// this process, ".<base>.part-<pid>-<n>.<extension>" (the target's extension unless one is
// given). Nothing is created.
std::string temporaryPathBeside(const std::string& target);
std::string temporaryPathBeside(const std::string& target, std::string_view extension);

// Renames from over to (atomically replacing what is there) and syncs the folder, so
// the new name survives a power cut. False with errorText set when the rename failed.
bool replaceFile(const std::string& from, const std::string& to, std::string& errorText);

// Under a file-size limit (ulimit -f) a write beyond it kills the process with SIGXFSZ,
// leaving its temporary behind; with the signal ignored the write fails (EFBIG) like a
// full disk, so the save reports it, keeps the old file and removes its temporary. Each
// executable calls this once at start.
void failWritesBeyondFileSizeLimit();

} // namespace io
