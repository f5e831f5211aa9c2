#include "io/FileByteSource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace io {

FileByteSource::FileByteSource(const std::string& path)
{
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0) {
        errorText_ = std::strerror(errno);
        return;
    }
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode)) {
        errorText_ = "not a regular file";
        ::close(descriptor_);
        descriptor_ = -1;
        return;
    }
    size_ = static_cast<std::uint64_t>(status.st_size);
}

FileByteSource::~FileByteSource()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool FileByteSource::readAt(std::uint64_t offset, void* destination, std::size_t count) const
{
    if (descriptor_ < 0 || offset > size_ || count > size_ - offset)
        return false;
    auto* bytes = static_cast<char*>(destination);
    while (count > 0) {
        const ssize_t got = ::pread(descriptor_, bytes, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        count -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

} // namespace io
