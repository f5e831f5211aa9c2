#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 as PNG chunks and ZIP entries use it (ISO 3309; ISO/IEC 15948, Annex D):
// polynomial 0xEDB88320 reflected, started at all ones and inverted at the end.
// Continues from `previous`, the CRC of the bytes before (0 for none), so a long run can
// be checked in pieces: crc32(crc32(0, a), b) is the CRC of a followed by b.
namespace io {

std::uint32_t crc32(std::uint32_t previous, const unsigned char* bytes, std::size_t count);

} // namespace io
