#include "io/AtomicFileWrite.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace io {

namespace {

std::atomic<int> nextSerial{0};

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string leafOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The leaf without its last extension, and that extension ("" when it has none; a
// leading dot starts no extension).
std::pair<std::string, std::string> splitExtension(const std::string& leaf)
{
    const std::size_t dot = leaf.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {leaf, std::string()};
    return {leaf.substr(0, dot), leaf.substr(dot + 1)};
}

std::string describeErrno(int error)
{
    return std::strerror(error);
}

// Makes a file's data reach the disk; the file may have been written through another
// descriptor (a writer that opened it by name).
bool syncFile(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    const int error = errno;
    ::close(descriptor);
    errno = error;
    return synced;
}

// A rename is durable once its folder is synced. Some file systems cannot sync a
// folder; the rename itself has happened all the same.
void syncFolder(const std::string& folder)
{
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

} // namespace

std::string temporaryPathBeside(const std::string& target)
{
    return temporaryPathBeside(target, splitExtension(leafOf(target)).second);
}

std::string temporaryPathBeside(const std::string& target, std::string_view extension)
{
    const std::string base = splitExtension(leafOf(target)).first;
    std::string name = "." + base + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(++nextSerial);
    if (!extension.empty())
        name += "." + std::string(extension);
    return folderOf(target) + "/" + name;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& errorText)
{
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        errorText = "cannot rename " + from + " to " + to + ": " + describeErrno(errno);
        return false;
    }
    syncFolder(folderOf(to));
    return true;
}

AtomicFileWrite::AtomicFileWrite(std::string targetPath) : targetPath_(std::move(targetPath))
{
    open(splitExtension(leafOf(targetPath_)).second);
}

AtomicFileWrite::AtomicFileWrite(std::string targetPath, std::string_view extension)
    : targetPath_(std::move(targetPath))
{
    open(extension);
}

AtomicFileWrite::~AtomicFileWrite()
{
    discard();
}

void AtomicFileWrite::open(std::string_view extension)
{
    // Saving through a symbolic link replaces the file it points to, not the link.
    if (char* resolved = ::realpath(targetPath_.c_str(), nullptr)) {
        targetPath_ = resolved;
        std::free(resolved);
    }
    struct stat existing {};
    const bool exists = ::stat(targetPath_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        errorText_ = "cannot write " + targetPath_ + ": " + describeErrno(EISDIR);
        return;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe has no old contents to keep and cannot be replaced by a
        // rename: it is written directly.
        openDirect();
        return;
    }

    // A name another process took in the meantime is skipped, never reused.
    int descriptor = -1;
    for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporaryPath_ = temporaryPathBeside(targetPath_, extension);
        descriptor = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno != EEXIST)
            break;
    }
    if (descriptor < 0) {
        errorText_ = "cannot create a file beside " + targetPath_ + ": " + describeErrno(errno);
        temporaryPath_.clear();
        return;
    }
    pending_ = true;
    // The replacement keeps the permissions of the file it replaces.
    if (exists)
        ::fchmod(descriptor, existing.st_mode & 07777);
    stream_ = ::fdopen(descriptor, "wb");
    if (stream_ == nullptr) {
        errorText_ = "cannot write " + temporaryPath_ + ": " + describeErrno(errno);
        ::close(descriptor);
        discard();
    }
}

void AtomicFileWrite::openDirect()
{
    direct_ = true;
    temporaryPath_ = targetPath_;
    stream_ = std::fopen(targetPath_.c_str(), "wb");
    if (stream_ == nullptr)
        errorText_ = "cannot write " + targetPath_ + ": " + describeErrno(errno);
}

bool AtomicFileWrite::fail(const char* step)
{
    errorText_ = std::string(step) + " " + targetPath_ + ": " + describeErrno(errno);
    discard();
    return false;
}

bool AtomicFileWrite::finishWriting()
{
    if (direct_)
        return finishDirect();
    if (!pending_) {
        if (errorText_.empty())
            errorText_ = "nothing was written for " + targetPath_;
        return false;
    }
    if (finished_)
        return true;
    if (stream_ != nullptr) {
        // A full disk often shows only at the last flush or at close.
        const bool flushed = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
        const int flushError = errno;
        const bool closed = std::fclose(stream_) == 0;
        stream_ = nullptr;
        if (!flushed)
            errno = flushError;
        if (!flushed || !closed)
            return fail("cannot write all of");
    }
    if (!syncFile(temporaryPath_))
        return fail("cannot sync");
    finished_ = true;
    return true;
}

bool AtomicFileWrite::finishDirect()
{
    if (stream_ == nullptr) {
        if (errorText_.empty())
            errorText_ = "nothing was written for " + targetPath_;
        return false;
    }
    const bool flushed = std::fflush(stream_) == 0 && std::ferror(stream_) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (flushed && closed)
        return true;
    if (!flushed)
        errno = flushError;
    errorText_ = "cannot write all of " + targetPath_ + ": " + describeErrno(errno);
    return false;
}

bool AtomicFileWrite::commit()
{
    if (direct_)
        return finishDirect();
    if (!finishWriting())
        return false;
    std::string renameError;
    if (!replaceFile(temporaryPath_, targetPath_, renameError)) {
        errorText_ = renameError;
        discard();
        return false;
    }
    pending_ = false;
    return true;
}

void AtomicFileWrite::discard()
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (pending_) {
        ::unlink(temporaryPath_.c_str());
        pending_ = false;
    }
    finished_ = false;
}

void failWritesBeyondFileSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace io
