#include "grid/FixedFormat.h"

#include <charconv>
#include <cstring>

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;

// The longest fixed text of a double: sign, 309 integer digits, point, decimals.
constexpr std::size_t kLongestFixed = 1 + 309 + 1 + 64;

} // namespace

char* formatFixed(char* first, char* last, double value, int decimals)
{
    const auto [end, error] = std::to_chars(first, last, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? end : nullptr;
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

void FixedFormatWriter::fixed(double value, int decimals)
{
    const std::size_t longest = kLongestFixed + static_cast<std::size_t>(decimals > 0 ? decimals : 0);
    makeRoom(longest);
    char* end = formatFixed(buffer.data() + used, buffer.data() + buffer.size(), value, decimals);
    if (end != nullptr)
        used = static_cast<std::size_t>(end - buffer.data());
    else
        failed = true; // cannot happen for the precisions in use; never write a partial number
}

void FixedFormatWriter::integer(long long value)
{
    makeRoom(24);
    const auto [end, error] = std::to_chars(buffer.data() + used, buffer.data() + buffer.size(), value);
    if (error == std::errc())
        used = static_cast<std::size_t>(end - buffer.data());
    else
        failed = true;
}

bool FixedFormatWriter::finish()
{
    flush();
    if (!failed && std::fflush(file) != 0)
        failed = true;
    return !failed;
}
