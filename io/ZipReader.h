#pragma once

#include "io/ByteSource.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads the stored entries of a ZIP archive through its central directory. Every offset
// and size is checked against the source before anything is read or allocated, and each
// entry's bytes against its CRC-32; entries that are compressed, encrypted or in ZIP64
// form are refused by name, as our writer (io/ZipWriter.h) never makes them.
namespace io {

struct ZipEntry {
    std::string name;
    std::uint64_t dataOffset = 0; // where the entry's bytes start in the source
    std::uint32_t size = 0;
    std::uint32_t crc = 0;
};

class ZipReader {
public:
    // Reads the directory; false (errorText says why) when the source is not a whole ZIP
    // archive of stored entries with distinct names.
    bool open(const ByteSource& source);

    const std::vector<ZipEntry>& entries() const { return entries_; }
    // The entry of that name, or nullptr.
    const ZipEntry* find(std::string_view name) const;
    // Copies the entry's bytes (entry.size of them) to destination and checks their CRC.
    bool read(const ZipEntry& entry, void* destination);

    const std::string& errorText() const { return errorText_; }

private:
    bool fail(std::string text);
    bool readDirectoryRecord(std::uint64_t& position, std::uint64_t directoryStart, std::uint64_t directoryEnd);

    const ByteSource* source_ = nullptr;
    std::vector<ZipEntry> entries_;
    std::string errorText_;
};

} // namespace io
