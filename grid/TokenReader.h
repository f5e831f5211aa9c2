#pragma once

#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

namespace token_separators {
constexpr std::array<bool, 256> makeTable()
{
    std::array<bool, 256> table{};
    for (const unsigned char c : {' ', '\t', '\n', '\r', '\v', '\f'})
        table[c] = true;
    return table;
}
inline constexpr std::array<bool, 256> kTable = makeTable();
} // namespace token_separators

// The whitespace that separates tokens (that of isspace in the C locale).
inline bool isTokenSeparator(char c)
{
    return token_separators::kTable[static_cast<unsigned char>(c)];
}

// Whitespace-separated tokens of a text file, read in large blocks, or of a text held
// in memory. A token handed out stays valid until the next call of next() (for a text in
// memory, as long as the text).
class TokenReader {
public:
    // The reader does not own the file.
    explicit TokenReader(std::FILE* file);
    // The reader does not copy the text; it is read as a file that ends with it.
    explicit TokenReader(std::string_view text);

    // The next token; false at the end of the file, on a read error, or when a
    // single token is longer than a block (no sensible grid file has one).
    bool next(std::string_view& token);

    // Hands the token last returned by next() back, so that next() returns it again.
    void unread(std::string_view token);

    // What was read from the file but not yet handed out, and whether the file has been
    // read to its end: a reader of the rest (the heights) takes over from here.
    std::string_view pendingBytes() const { return {base + position, end - position}; }
    bool fileExhausted() const { return atEndOfFile; }

    bool readFailed() const { return failed; }
    bool tokenTooLong() const { return tooLong; }

private:
    bool refill();

    std::FILE* file;
    std::vector<char> buffer;
    // Where the tokens are read from: the block buffer, or the text in memory.
    const char* base;
    std::size_t position = 0;
    std::size_t end = 0;
    bool atEndOfFile = false;
    bool failed = false;
    bool tooLong = false;
};

// The number syntax of every text file Talvane reads (grid headers and heights, details
// files), that of the C library's conversions in the C locale without their hexadecimal,
// infinite and not-a-number forms:
//   number  = [sign] (digits [. [digits]] | . digits) [(e | E) [sign] digits]
//   integer = [sign] digits
// One sign at most: "+5", "-5", "1e3", ".5" and "5." are numbers; "+-5", "++5", "12abc",
// "0x10", "nan", "inf" and values beyond double range are not.

// The fast path of parseNumber, exposed so tests can compare it with from_chars: true
// (with the value) only for [+-]digits[.digits] of at most 15 digits.
bool parsePlainDecimal(std::string_view token, double& value);

// A whole token as a finite number, correctly rounded to double.
bool parseNumber(std::string_view token, double& value);

// A whole token as an integer, e.g. "403"; "403.0" is not one, nor a value beyond long long.
bool parseInteger(std::string_view token, long long& value);

// Case-insensitive comparison of a token with a lower-case key.
bool sameKey(std::string_view token, std::string_view lowerCaseKey);
