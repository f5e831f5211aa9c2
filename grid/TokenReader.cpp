#include "grid/TokenReader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;

// from_chars takes no leading '+', the C conversions do.
std::string_view withoutPlus(std::string_view token)
{
    if (token.size() > 1 && token.front() == '+' && token[1] != '-' && token[1] != '+')
        token.remove_prefix(1);
    return token;
}

} // namespace

TokenReader::TokenReader(std::FILE* file)
    : file(file), buffer(kBlockSize), base(buffer.data())
{
}

TokenReader::TokenReader(std::string_view text)
    : file(nullptr), base(text.data()), end(text.size()), atEndOfFile(true)
{
}

bool TokenReader::refill()
{
    if (atEndOfFile || failed)
        return false;
    // Keep the unread tail (a token cut by the block boundary) at the front.
    const std::size_t kept = end - position;
    if (kept == buffer.size()) {
        tooLong = true;
        return false;
    }
    if (kept > 0 && position > 0)
        std::memmove(buffer.data(), buffer.data() + position, kept);
    position = 0;
    end = kept;
    const std::size_t got = std::fread(buffer.data() + end, 1, buffer.size() - end, file);
    end += got;
    if (got < buffer.size() - kept) {
        atEndOfFile = true;
        if (std::ferror(file))
            failed = true;
    }
    return got > 0;
}

bool TokenReader::next(std::string_view& token)
{
    for (;;) {
        while (position < end && isTokenSeparator(base[position]))
            ++position;
        if (position < end)
            break;
        if (!refill())
            return false;
    }
    std::size_t scan = position;
    for (;;) {
        while (scan < end && !isTokenSeparator(base[scan]))
            ++scan;
        if (scan < end || atEndOfFile)
            break;
        // The token runs to the end of the block: read on behind it.
        const std::size_t offset = scan - position;
        if (!refill()) {
            if (tooLong || failed)
                return false;
            scan = position + offset;
            break;
        }
        scan = position + offset;
    }
    token = std::string_view(base + position, scan - position);
    position = scan;
    return true;
}

void TokenReader::unread(std::string_view token)
{
    position = static_cast<std::size_t>(token.data() - base);
}

// Format notes: heights are nearly always written as plain decimals, "-12.34". With at
// most 15 digits the digits form an integer m below 2^53 and the value is m / 10^k with
// k <= 15, both exact doubles, so one correctly rounded division gives the correctly
// rounded value, the very double from_chars returns. Every other form goes to from_chars.
bool parsePlainDecimal(std::string_view token, double& value)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr int kMostDigits = 15;
    const char* c = token.data();
    const char* const end = c + token.size();
    bool negative = false;
    if (c < end && (*c == '-' || *c == '+')) {
        negative = *c == '-';
        ++c;
    }
    std::uint64_t digits = 0;
    int count = 0;
    const char* const integerStart = c;
    for (; c < end && static_cast<unsigned char>(*c - '0') < 10; ++c, ++count)
        digits = digits * 10 + static_cast<unsigned>(*c - '0');
    if (c == integerStart)
        return false;
    int fractionDigits = 0;
    if (c < end && *c == '.') {
        ++c;
        const char* const fractionStart = c;
        for (; c < end && static_cast<unsigned char>(*c - '0') < 10; ++c, ++count)
            digits = digits * 10 + static_cast<unsigned>(*c - '0');
        fractionDigits = static_cast<int>(c - fractionStart);
        if (fractionDigits == 0)
            return false;
    }
    if (c != end || count > kMostDigits)
        return false;
    const double magnitude = static_cast<double>(digits) / kPowersOfTen[fractionDigits];
    value = negative ? -magnitude : magnitude;
    return true;
}

bool parseNumber(std::string_view token, double& value)
{
    if (parsePlainDecimal(token, value))
        return true;
    token = withoutPlus(token);
    const char* last = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), last, value);
    return error == std::errc() && stop == last && std::isfinite(value);
}

bool parseInteger(std::string_view token, long long& value)
{
    token = withoutPlus(token);
    const char* last = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), last, value);
    return error == std::errc() && stop == last;
}

bool sameKey(std::string_view token, std::string_view lowerCaseKey)
{
    if (token.size() != lowerCaseKey.size())
        return false;
    for (std::size_t i = 0; i < token.size(); ++i) {
        char c = token[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerCaseKey[i])
            return false;
    }
    return true;
}
