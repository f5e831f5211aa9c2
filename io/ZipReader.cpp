#include "io/ZipReader.h"

#include "io/Crc32.h"
#include "io/ZipFormat.h"

#include <algorithm>
#include <array>

namespace io {

using namespace zip;

namespace {

// Where the end record starts: the last signature within the comment's reach of the end
// whose comment length reaches exactly to the end; nothing when there is none.
bool findEndRecord(const ByteSource& source, std::uint64_t& position)
{
    const std::uint64_t size = source.size();
    if (size < kEndRecordSize)
        return false;
    const std::uint64_t tail = std::min<std::uint64_t>(size, kEndRecordSize + kMaxComment);
    std::string bytes(static_cast<std::size_t>(tail), '\0');
    if (!source.readAt(size - tail, bytes.data(), bytes.size()))
        return false;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = bytes.size() - kEndRecordSize + 1; at-- > 0;) {
        if (get32(data + at) == kEndRecordSignature && at + kEndRecordSize + get16(data + at + 20) == bytes.size()) {
            position = size - tail + at;
            return true;
        }
    }
    return false;
}

} // namespace

bool ZipReader::fail(std::string text)
{
    errorText_ = std::move(text);
    entries_.clear();
    return false;
}

bool ZipReader::open(const ByteSource& source)
{
    source_ = &source;
    entries_.clear();
    errorText_.clear();
    std::uint64_t endPosition = 0;
    if (!findEndRecord(source, endPosition))
        return fail("it has no ZIP end-of-directory record: it is not a ZIP archive or its end is missing");
    std::array<unsigned char, kEndRecordSize> end{};
    source.readAt(endPosition, end.data(), end.size());
    const std::uint16_t count = get16(end.data() + 10);
    const std::uint32_t directorySize = get32(end.data() + 12);
    const std::uint32_t directoryOffset = get32(end.data() + 16);
    if (get16(end.data() + 4) != 0 || get16(end.data() + 6) != 0 || get16(end.data() + 8) != count)
        return fail("it is a ZIP archive split over several disks");
    if (count == 0xFFFF || directorySize == kZip64Marker || directoryOffset == kZip64Marker)
        return fail("it is a ZIP64 archive, which is not read");
    if (std::uint64_t{directoryOffset} + directorySize != endPosition)
        return fail("its ZIP directory does not end where the end record starts: the archive is damaged");
    if (std::uint64_t{count} * kDirectoryRecordSize > directorySize)
        return fail("its ZIP directory is shorter than its entry count says: the archive is damaged");
    entries_.reserve(count);
    std::uint64_t position = directoryOffset;
    for (std::uint16_t index = 0; index < count; ++index)
        if (!readDirectoryRecord(position, directoryOffset, endPosition))
            return false;
    if (position != endPosition)
        return fail("its ZIP directory holds more than its entry count says: the archive is damaged");
    return true;
}

bool ZipReader::readDirectoryRecord(std::uint64_t& position, std::uint64_t directoryStart, std::uint64_t directoryEnd)
{
    std::array<unsigned char, kDirectoryRecordSize> record{};
    if (position + record.size() > directoryEnd || !source_->readAt(position, record.data(), record.size())
        || get32(record.data()) != kDirectoryRecordSignature)
        return fail("its ZIP directory has a damaged record");
    const std::uint16_t flags = get16(record.data() + 8);
    const std::uint16_t method = get16(record.data() + 10);
    ZipEntry entry;
    entry.crc = get32(record.data() + 16);
    const std::uint32_t compressedSize = get32(record.data() + 20);
    entry.size = get32(record.data() + 24);
    const std::uint64_t variableLength = std::uint64_t{get16(record.data() + 28)} + get16(record.data() + 30)
                                         + get16(record.data() + 32);
    const std::uint32_t headerOffset = get32(record.data() + 42);
    const std::uint16_t nameLength = get16(record.data() + 28);
    if (position + record.size() + variableLength > directoryEnd)
        return fail("its ZIP directory has a record that runs past the directory");
    entry.name.resize(nameLength);
    source_->readAt(position + record.size(), entry.name.data(), nameLength);
    position += record.size() + variableLength;

    if (flags & kEncryptedFlag)
        return fail("its entry " + entry.name + " is encrypted");
    if (entry.size == kZip64Marker || compressedSize == kZip64Marker || headerOffset == kZip64Marker)
        return fail("its entry " + entry.name + " is in ZIP64 form, which is not read");
    if (method != kStored || compressedSize != entry.size)
        return fail("its entry " + entry.name + " is compressed (method " + std::to_string(method)
                    + "); only stored entries are read");
    if (find(entry.name))
        return fail("it holds the entry " + entry.name + " twice");

    std::array<unsigned char, kLocalHeaderSize> local{};
    if (!source_->readAt(headerOffset, local.data(), local.size()) || get32(local.data()) != kLocalHeaderSignature)
        return fail("the local header of its entry " + entry.name + " is missing or damaged");
    entry.dataOffset = std::uint64_t{headerOffset} + local.size() + get16(local.data() + 26) + get16(local.data() + 28);
    // The entries lie before the directory; one reaching into it is damaged or hostile.
    if (entry.dataOffset + entry.size > directoryStart)
        return fail("its entry " + entry.name
                    + " runs past the end of the entries: the archive is truncated or damaged");
    entries_.push_back(std::move(entry));
    return true;
}

const ZipEntry* ZipReader::find(std::string_view name) const
{
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [name](const ZipEntry& entry) { return entry.name == name; });
    return found == entries_.end() ? nullptr : &*found;
}

bool ZipReader::read(const ZipEntry& entry, void* destination)
{
    if (!source_->readAt(entry.dataOffset, destination, entry.size)) {
        errorText_ = "its entry " + entry.name + " could not be read whole";
        return false;
    }
    if (crc32(0, static_cast<const unsigned char*>(destination), entry.size) != entry.crc) {
        errorText_ = "its entry " + entry.name + " does not match its CRC-32: the file is damaged";
        return false;
    }
    return true;
}

} // namespace io
