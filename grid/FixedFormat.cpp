#include "grid/FixedFormat.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;
// Texts from this size on (the bands of height lines) are written from where they are
// rather than copied into the block first.
constexpr std::size_t kDirectText = std::size_t{1} << 16;

// The room the float path asks for whatever it prints (a sign, eight digits, the point
// and its eight-byte stores take 18 bytes at most); with less it takes the general path.
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

// units / 10^Decimals as fixed text, for units below 10^8: a digit at least before the
// point. The digits before the point are those after the leading zeros of the eight.
// Eight-byte stores that the next ones overwrite, so the buffer needs 18 bytes.
template <int Decimals>
char* writeSmallUnits(char* out, std::uint64_t units)
{
    const std::uint64_t text = eightDigits(units);
    // Digit values with the last one's top bit set: no eight zeros, so never countr_zero(0).
    const int leadingZeros = std::countr_zero((text - 0x3030303030303030) | (std::uint64_t{1} << 63)) / 8;
    const int digits = std::max(8 - leadingZeros, Decimals + 1);
    const std::uint64_t integerPart = text >> (8 * (8 - digits));
    std::memcpy(out, &integerPart, sizeof integerPart);
    out += digits - Decimals;
    if constexpr (Decimals > 0) {
        *out = '.';
        const std::uint64_t fraction = text >> (8 * (8 - Decimals));
        std::memcpy(out + 1, &fraction, sizeof fraction);
        out += 1 + Decimals;
    }
    return out;
}

// The float path for a number of decimals fixed at compile time: the loops over rows of
// heights spend most of their time here. A float has 24 significant bits and 10^Decimals
// at most 7 (1000 = 125 x 8), so value x 10^Decimals is exact in a double; adding 2^52
// and taking it away again rounds that to an integer half to even, as printf rounds the
// exact binary value. Values of a hundred million units or more, infinities and NaN go
// to the general path.
template <int Decimals>
[[gnu::always_inline]] inline char* formatQuickFixed(char* first, char* last, float value)
{
    static_assert(Decimals >= 0 && Decimals <= 3);
    constexpr double kScale = Decimals == 0 ? 1.0 : Decimals == 1 ? 10.0 : Decimals == 2 ? 100.0 : 1000.0;
    const double scaled = std::fabs(static_cast<double>(value)) * kScale;
    if (!(scaled < 99999999.5)) [[unlikely]] // 99999999.5 itself rounds to 10^8
        return formatFixed(first, last, static_cast<double>(value), Decimals);
    const auto units = static_cast<std::uint64_t>(static_cast<std::int64_t>((scaled + 0x1p52) - 0x1p52));
    // printf keeps the sign of a negative value that rounds to zero. The sign is written
    // always and kept when wanted, a branch fewer for terrains of both signs.
    *first = '-';
    return writeSmallUnits<Decimals>(first + (std::bit_cast<std::uint32_t>(value) >> 31), units);
}

template <int Decimals>
char* formatQuickFixedValues(std::span<const float> values, char separator, char* text)
{
    constexpr std::size_t kRoom = std::max(kQuickFloatRoom, 1 + 39 + 1 + std::size_t{Decimals});
    for (const float value : values) {
        text = formatQuickFixed<Decimals>(text, text + kRoom, value);
        *text++ = separator;
    }
    return text;
}

} // namespace

char* formatFixed(char* first, char* last, double value, int decimals)
{
    const auto [end, error] = std::to_chars(first, last, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? end : nullptr;
}

char* formatFixed(char* first, char* last, float value, int decimals)
{
    if (last - first >= static_cast<std::ptrdiff_t>(kQuickFloatRoom)) {
        switch (decimals) {
        case 0: return formatQuickFixed<0>(first, last, value);
        case 1: return formatQuickFixed<1>(first, last, value);
        case 2: return formatQuickFixed<2>(first, last, value);
        case 3: return formatQuickFixed<3>(first, last, value);
        default: break;
        }
    }
    return formatFixed(first, last, static_cast<double>(value), decimals);
}

std::size_t longestFixedFloat(int decimals)
{
    // A sign, 39 integer digits (FLT_MAX), the point and the decimals.
    return std::max(kQuickFloatRoom, 1 + 39 + 1 + static_cast<std::size_t>(std::max(decimals, 0)));
}

char* formatFixedValues(std::span<const float> values, int decimals, char separator, char* text)
{
    switch (decimals) {
    case 0: return formatQuickFixedValues<0>(values, separator, text);
    case 1: return formatQuickFixedValues<1>(values, separator, text);
    case 2: return formatQuickFixedValues<2>(values, separator, text);
    case 3: return formatQuickFixedValues<3>(values, separator, text);
    default: break;
    }
    const std::size_t room = longestFixedFloat(decimals);
    for (const float value : values) {
        text = formatFixed(text, text + room, value, decimals);
        *text++ = separator;
    }
    return text;
}

FixedFormatWriter::FixedFormatWriter(std::FILE* file)
    : file(file), writeback(file), buffer(kBlockSize)
{
}

void FixedFormatWriter::write(const char* bytes, std::size_t count)
{
    if (count == 0 || failed)
        return;
    if (std::fwrite(bytes, 1, count, file) != count)
        failed = true;
    else
        writeback.wrote(count);
}

void FixedFormatWriter::flush()
{
    write(buffer.data(), used);
    used = 0;
}

void FixedFormatWriter::makeRoom(std::size_t bytes)
{
    if (buffer.size() - used < bytes)
        flush();
}

void FixedFormatWriter::text(std::string_view characters)
{
    if (characters.size() >= kDirectText) {
        flush();
        write(characters.data(), characters.size());
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
