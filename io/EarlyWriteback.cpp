#include "io/EarlyWriteback.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace io {

namespace {

// Large enough that the calls cost nothing beside the writing, small enough that the
// disk starts early and the last stretch left to the sync is short.
constexpr long long kStretch = 8LL << 20;

int regularFileDescriptor(std::FILE* stream)
{
    const int descriptor = ::fileno(stream);
    struct stat status {};
    return descriptor >= 0 && ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) ? descriptor : -1;
}

} // namespace

EarlyWriteback::EarlyWriteback(std::FILE* stream)
    : descriptor(regularFileDescriptor(stream)), start(descriptor >= 0 ? std::ftell(stream) : -1)
{
    if (start < 0)
        descriptor = -1;
}

void EarlyWriteback::wrote(std::size_t bytes)
{
    written += static_cast<long long>(bytes);
    if (descriptor < 0 || written - handedToDisk < kStretch)
        return;
    // Bytes the stream still buffers are not in the file yet and simply wait for the sync.
#if defined(__linux__)
    if (::sync_file_range(descriptor, start + handedToDisk, written - handedToDisk, SYNC_FILE_RANGE_WRITE) != 0)
        descriptor = -1; // not supported here: leave it all to the sync
#endif
    handedToDisk = written;
}

} // namespace io
