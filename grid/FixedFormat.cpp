#include "grid/FixedFormat.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;

// The longest fixed text of a double: sign, 309 integer digits, point, decimals.
constexpr std::size_t kLongestFixed = 1 + 309 + 1 + 64;

std::size_t longestFixed(int decimals)
{
    return kLongestFixed + static_cast<std::size_t>(decimals > 0 ? decimals : 0);
}

} // namespace

char* formatFixed(char* first, char* last, double value, int decimals)
{
    const auto [end, error] = std::to_chars(first, last, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? end : nullptr;
}

char* formatFixed(char* first, char* last, float value, int decimals)
{
    static constexpr std::uint64_t kPowersOfTen[] = {1, 10, 100, 1000};
    constexpr std::ptrdiff_t kLongest = 1 + 20 + 1 + 3;
    if (decimals < 0 || decimals > 3 || !std::isfinite(value) || last - first < kLongest)
        return formatFixed(first, last, static_cast<double>(value), decimals);

    // value = mantissa x 2^exponent exactly; value x 10^decimals is then rounded to an
    // integer, half to even, as printf rounds the exact binary value.
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const bool negative = (bits >> 31) != 0;
    const std::uint32_t exponentBits = (bits >> 23) & 0xffu;
    std::uint64_t mantissa = bits & 0x7fffffu;
    int exponent = -149;
    if (exponentBits != 0) {
        mantissa |= 0x800000u;
        exponent = static_cast<int>(exponentBits) - 150;
    }
    if (exponent > 20)
        return formatFixed(first, last, static_cast<double>(value), decimals);

    const std::uint64_t scaled = mantissa * kPowersOfTen[decimals]; // below 2^34
    std::uint64_t units = 0;
    if (exponent >= 0) {
        units = scaled << exponent;
    } else if (-exponent < 40) { // from 2^40 on, scaled is below half a unit
        const int shift = -exponent;
        units = scaled >> shift;
        const std::uint64_t remainder = scaled & ((std::uint64_t{1} << shift) - 1);
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        if (remainder > half || (remainder == half && (units & 1u) != 0))
            ++units;
    }

    char* out = first;
    if (negative)
        *out++ = '-'; // printf keeps the sign of a negative value that rounds to zero
    out = std::to_chars(out, last, units / kPowersOfTen[decimals]).ptr;
    if (decimals > 0) {
        std::uint64_t fraction = units % kPowersOfTen[decimals];
        *out++ = '.';
        for (int digit = decimals - 1; digit >= 0; --digit) {
            out[digit] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        out += decimals;
    }
    return out;
}

FixedFormatWriter::FixedFormatWriter(std::FILE* file)
    : file(file), buffer(kBlockSize)
{
}

void FixedFormatWriter::flush()
{
    if (used > 0 && !failed && std::fwrite(buffer.data(), 1, used, file) != used)
        failed = true;
    used = 0;
}

void FixedFormatWriter::makeRoom(std::size_t bytes)
{
    if (buffer.size() - used < bytes)
        flush();
}

void FixedFormatWriter::text(std::string_view characters)
{
    if (characters.size() > buffer.size()) {
        flush();
        if (!failed && std::fwrite(characters.data(), 1, characters.size(), file) != characters.size())
            failed = true;
        return;
    }
    makeRoom(characters.size());
    std::memcpy(buffer.data() + used, characters.data(), characters.size());
    used += characters.size();
}

void FixedFormatWriter::character(char c)
{
    makeRoom(1);
    buffer[used++] = c;
}

void FixedFormatWriter::keepFormatted(char* end)
{
    if (end != nullptr)
        used = static_cast<std::size_t>(end - buffer.data());
    else
        failed = true; // cannot happen for the room made; never write a partial number
}

void FixedFormatWriter::fixed(double value, int decimals)
{
    makeRoom(longestFixed(decimals));
    keepFormatted(formatFixed(buffer.data() + used, buffer.data() + buffer.size(), value, decimals));
}

void FixedFormatWriter::fixed(float value, int decimals)
{
    makeRoom(longestFixed(decimals));
    keepFormatted(formatFixed(buffer.data() + used, buffer.data() + buffer.size(), value, decimals));
}

void FixedFormatWriter::integer(long long value)
{
    makeRoom(24);
    const auto [end, error] = std::to_chars(buffer.data() + used, buffer.data() + buffer.size(), value);
    keepFormatted(error == std::errc() ? end : nullptr);
}

bool FixedFormatWriter::finish()
{
    flush();
    if (!failed && std::fflush(file) != 0)
        failed = true;
    return !failed;
}
