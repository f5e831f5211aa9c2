#pragma once

#include <cstddef>
#include <cstdio>

// Hands what a stream has written to the disk while the writing goes on, a few megabytes
// at a time, so that the sync ending an atomic save waits for little: the disk works
// while the writer formats the rest. Advice only: where the stream is no regular file (a
// pipe, a device, text in memory) or the system cannot start the writing, nothing happens.
namespace io {

class EarlyWriteback {
public:
    // The stream is not owned.
    explicit EarlyWriteback(std::FILE* stream);

    // `bytes` more have been handed to the stream.
    void wrote(std::size_t bytes);

private:
    int descriptor;
    long long start;            // the stream's offset when it was given
    long long handedToDisk = 0; // bytes from the start of the writing already handed on
    long long written = 0;
};

} // namespace io
