#pragma once

#include "io/EarlyWriteback.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Writes a ZIP archive of stored (uncompressed) entries onto an open stream: each entry's
// local header and bytes, then the central directory and its end record. Stored entries
// keep a session's floats where other tools read them in place (GDAL's /vsizip/), and
// heights compress poorly anyway. No ZIP64: an archive that would pass 4 GiB is refused.
namespace io {

class ZipWriter {
public:
    explicit ZipWriter(std::FILE* stream) : stream_(stream), writeback_(stream) {}

    // Appends one entry; false (errorText says why) when it would not fit the format.
    // The stream's own write errors show when the caller flushes or commits it.
    bool addEntry(std::string_view name, const void* bytes, std::uint64_t size);
    // Writes the central directory; false when it would not fit the format.
    bool finish();

    const std::string& errorText() const { return errorText_; }

private:
    struct WrittenEntry {
        std::string name;
        std::uint32_t crc = 0;
        std::uint32_t size = 0;
        std::uint32_t headerOffset = 0;
    };

    void put(const std::string& bytes);

    std::FILE* stream_;
    EarlyWriteback writeback_; // the disk writes a session's hundreds of megabytes as they come
    std::uint64_t offset_ = 0;
    std::vector<WrittenEntry> entries_;
    std::string errorText_;
};

} // namespace io
