#pragma once

#include <cstddef>
#include <cstdint>

// The CRC-32 of a PNG chunk (ISO/IEC 15948, Annex D): polynomial 0xEDB88320 reflected,
// started at all ones and inverted at the end, taken over the chunk's type and data.
std::uint32_t pngCrc(const unsigned char* bytes, std::size_t count);
