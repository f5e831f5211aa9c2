#include "io/ZipWriter.h"

#include "io/Crc32.h"
#include "io/ZipFormat.h"

#include <algorithm>

namespace io {

using namespace zip;

namespace {

constexpr std::uint64_t kLargestZipNumber = 0xFFFFFFFEu; // 0xFFFFFFFF means "see ZIP64"

// The fields the local header and the directory record share, from "version needed" to
// the name's length.
void putCommonFields(std::string& out, std::uint32_t crc, std::uint32_t size, std::size_t nameLength)
{
    put16(out, kVersionNeeded);
    put16(out, 0); // flags
    put16(out, kStored);
    put16(out, 0); // time
    put16(out, kFixedDate);
    put32(out, crc);
    put32(out, size); // compressed: stored, the same
    put32(out, size);
    put16(out, static_cast<std::uint32_t>(nameLength));
    put16(out, 0); // extra field
}

} // namespace

void ZipWriter::put(const std::string& bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stream_);
    writeback_.wrote(bytes.size());
    offset_ += bytes.size();
}

bool ZipWriter::addEntry(std::string_view name, const void* bytes, std::uint64_t size)
{
    if (name.empty() || name.size() > 0xFFFF) {
        errorText_ = "an entry name must have 1 to 65535 bytes";
        return false;
    }
    if (size > kLargestZipNumber || offset_ > kLargestZipNumber
        || offset_ + kLocalHeaderSize + name.size() + size > kLargestZipNumber) {
        errorText_ = "the archive would pass 4 GiB, beyond what a ZIP archive without ZIP64 holds";
        return false;
    }
    const auto* data = static_cast<const unsigned char*>(bytes);
    WrittenEntry entry{std::string(name), crc32(0, data, static_cast<std::size_t>(size)),
                       static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(offset_)};
    std::string header;
    put32(header, kLocalHeaderSignature);
    putCommonFields(header, entry.crc, entry.size, name.size());
    header.append(name);
    put(header);
    // In pieces, so that the disk starts on each while the next is handed over.
    constexpr std::uint64_t kPiece = std::uint64_t{8} << 20;
    for (std::uint64_t done = 0; done < size; done += kPiece) {
        const auto piece = static_cast<std::size_t>(std::min(kPiece, size - done));
        std::fwrite(data + done, 1, piece, stream_);
        writeback_.wrote(piece);
    }
    offset_ += size;
    entries_.push_back(std::move(entry));
    return true;
}

bool ZipWriter::finish()
{
    const std::uint64_t directoryOffset = offset_;
    std::string directory;
    for (const WrittenEntry& entry : entries_) {
        put32(directory, kDirectoryRecordSignature);
        put16(directory, (3u << 8) | kVersionNeeded); // made on Unix
        putCommonFields(directory, entry.crc, entry.size, entry.name.size());
        put16(directory, 0);              // comment
        put16(directory, 0);              // disk
        put16(directory, 0);              // internal attributes
        put32(directory, 0100644u << 16); // a plain file, rw-r--r--
        put32(directory, entry.headerOffset);
        directory.append(entry.name);
    }
    if (entries_.size() >= 0xFFFF || directoryOffset + directory.size() > kLargestZipNumber) {
        errorText_ = "the archive would pass 4 GiB or 65,534 entries, beyond a ZIP archive without ZIP64";
        return false;
    }
    const std::size_t directorySize = directory.size();
    put32(directory, kEndRecordSignature);
    put16(directory, 0); // this disk
    put16(directory, 0); // the directory's disk
    put16(directory, static_cast<std::uint32_t>(entries_.size()));
    put16(directory, static_cast<std::uint32_t>(entries_.size()));
    put32(directory, static_cast<std::uint32_t>(directorySize));
    put32(directory, static_cast<std::uint32_t>(directoryOffset));
    put16(directory, 0); // comment
    put(directory);
    return true;
}

} // namespace io
