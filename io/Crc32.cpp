#include "io/Crc32.h"

#include <array>

namespace {

// Eight tables, so that eight bytes are folded in per step (slicing by eight): the check
// runs over every byte of a PNG's image data and of a session's matrices and must not cost
// a slow pass of its own.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables makeCrcTables()
{
    CrcTables tables{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        std::uint32_t value = byte;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? 0xEDB88320u ^ (value >> 1) : value >> 1;
        tables[0][byte] = value;
    }
    for (std::size_t table = 1; table < 8; ++table)
        for (std::size_t byte = 0; byte < 256; ++byte)
            tables[table][byte] = (tables[table - 1][byte] >> 8) ^ tables[0][tables[table - 1][byte] & 0xFF];
    return tables;
}

constexpr CrcTables crcTables = makeCrcTables();

} // namespace

namespace io {

std::uint32_t crc32(std::uint32_t previous, const unsigned char* bytes, std::size_t count)
{
    std::uint32_t crc = previous ^ 0xFFFFFFFFu;
    for (; count >= 8; count -= 8, bytes += 8) {
        const std::uint32_t low = crc ^ (std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8
                                         | std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
        crc = crcTables[7][low & 0xFF] ^ crcTables[6][(low >> 8) & 0xFF] ^ crcTables[5][(low >> 16) & 0xFF]
              ^ crcTables[4][low >> 24] ^ crcTables[3][bytes[4]] ^ crcTables[2][bytes[5]] ^ crcTables[1][bytes[6]]
              ^ crcTables[0][bytes[7]];
    }
    for (; count > 0; --count, ++bytes)
        crc = crcTables[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

} // namespace io
