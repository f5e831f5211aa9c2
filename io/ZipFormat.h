#pragma once

#include <cstdint>
#include <string>

// Format notes (PKWARE APPNOTE 6.3): an archive is each entry's local header and bytes,
// then one central directory record per entry, then the end-of-directory record. Numbers
// are little-endian. The records' fixed parts, as written and read here:
//   local header      30 bytes: signature PK\3\4, version needed, flags, method, time,
//                     date, CRC-32, compressed size, size, name length, extra length;
//                     then the name and the extra field
//   directory record  46 bytes: signature PK\1\2, version made by, version needed, flags,
//                     method, time, date, CRC-32, compressed size, size, name length,
//                     extra length, comment length, disk, internal and external
//                     attributes, the local header's offset; then name, extra, comment
//   end record        22 bytes: signature PK\5\6, disk numbers, entry counts, directory
//                     size and offset, comment length; then the comment (up to 64 KiB)
// Method 0 is stored; flag bit 0 marks encryption; 0xFFFFFFFF sizes or offsets and
// 0xFFFF counts defer to ZIP64 records.
namespace io::zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
inline constexpr std::uint32_t kDirectoryRecordSignature = 0x02014b50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kDirectoryRecordSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;
inline constexpr std::uint32_t kMaxComment = 0xFFFF;
inline constexpr std::uint16_t kStored = 0;
inline constexpr std::uint16_t kVersionNeeded = 10; // 1.0: stored entries
inline constexpr std::uint16_t kEncryptedFlag = 1;
inline constexpr std::uint32_t kZip64Marker = 0xFFFFFFFFu;
// 1 January 1980 00:00, the format's first day: the same content gives the same bytes.
inline constexpr std::uint16_t kFixedDate = (0 << 9) | (1 << 5) | 1;

inline std::uint16_t get16(const unsigned char* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t get32(const unsigned char* bytes)
{
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16
           | std::uint32_t{bytes[3]} << 24;
}

inline void put16(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void put32(std::string& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace io::zip
