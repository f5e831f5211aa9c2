#include "grid/FixedFormat.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;

// The room the float path asks for whatever it prints: a sign, 20 integer digits, the
// point and three decimals (its eight-byte stores take 19 bytes at most).
constexpr std::size_t kQuickFloatRoom = 1 + 20 + 1 + 3;

// The longest fixed text of a double: sign, 309 integer digits, point, decimals.
constexpr std::size_t kLongestFixed = 1 + 309 + 1 + 64;

std::size_t longestFixed(int decimals)
{
    return kLongestFixed + static_cast<std::size_t>(decimals > 0 ? decimals : 0);
}

// Eight ASCII digits of x < 10^8, the most significant in the lowest byte: the halves,
// quarters and digits split in parallel lanes of one word, with multiplications by
// reciprocals that are exact below 10^4, 10^2 and 10.
std::uint64_t eightDigits(std::uint64_t x)
{
    const std::uint64_t high = x / 10000;
    const std::uint64_t low = x % 10000;
    const std::uint64_t halves = high | (low << 32);
    const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007F;
    const std::uint64_t pairs = hundreds | ((halves - 100 * hundreds) << 16);
    const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000F;
    const std::uint64_t digits = tens | ((pairs - 10 * tens) << 8);
    return digits + 0x3030303030303030;
}

int digitCount(std::uint64_t x)
{
    static constexpr std::uint64_t kPowersOfTen[] = {10, 100, 1000, 10000, 100000, 1000000, 10000000};
    int count = 1;
    for (const std::uint64_t power : kPowersOfTen)
        count += x >= power ? 1 : 0;
    return count;
}

// units / 10^decimals as fixed text, for units below 10^8: a digit at least before the
// point. Eight-byte stores that the next ones overwrite, so the buffer needs 18 bytes.
char* writeSmallUnits(char* out, std::uint64_t units, int decimals)
{
    const int digits = std::max(digitCount(units), decimals + 1);
    const std::uint64_t text = eightDigits(units);
    const std::uint64_t integerPart = text >> (8 * (8 - digits));
    std::memcpy(out, &integerPart, sizeof integerPart);
    out += digits - decimals;
    if (decimals > 0) {
        *out = '.';
        const std::uint64_t fraction = text >> (8 * (8 - decimals));
        std::memcpy(out + 1, &fraction, sizeof fraction);
        out += 1 + decimals;
    }
    return out;
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
    if (decimals < 0 || decimals > 3 || !std::isfinite(value) || last - first < static_cast<std::ptrdiff_t>(kQuickFloatRoom))
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
        // Without a branch: whether to round up is as good as random for heights.
        units += static_cast<std::uint64_t>((remainder > half) | ((remainder == half) & ((units & 1u) != 0)));
    }

    char* out = first;
    if (negative)
        *out++ = '-'; // printf keeps the sign of a negative value that rounds to zero
    if (units < 100000000)
        return writeSmallUnits(out, units, decimals);
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

std::size_t longestFixedFloat(int decimals)
{
    // A sign, 39 integer digits (FLT_MAX), the point and the decimals.
    return std::max(kQuickFloatRoom, 1 + 39 + 1 + static_cast<std::size_t>(std::max(decimals, 0)));
}

char* formatFixedValues(std::span<const float> values, int decimals, char separator, char* text)
{
    const std::size_t room = longestFixedFloat(decimals);
    for (const float value : values) {
        text = formatFixed(text, text + room, value, decimals);
        *text++ = separator;
    }
    return text;
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
