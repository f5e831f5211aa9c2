#pragma once

#include "io/EarlyWriteback.h"

#include <cstddef>
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

// Buffered text output that prints numbers with std::to_chars, byte for byte as
// printf prints them with "%1.2f", "%1.3f", "%1.18f" (fixed(value, 2/3/18)) and "%i"
// (integer), at a fraction of the cost. Writes go to the file in large blocks (large
// texts straight from the caller's memory), and the disk is set writing as they go.
class FixedFormatWriter {
public:
    // The writer does not own the file; finish() before closing it.
    explicit FixedFormatWriter(std::FILE* file);

    void text(std::string_view characters);
    void character(char c);
    void fixed(double value, int decimals);
    // The same for a single-precision value (printf promotes it), by a faster exact path.
    void fixed(float value, int decimals);
    void integer(long long value);

    // Writes what is buffered; false if any write to the file failed.
    bool finish();

private:
    void makeRoom(std::size_t bytes);
    void flush();
    // Takes a number formatted into the free part of the buffer: its end, or nullptr
    // when it did not fit (the writer then fails rather than write part of it).
    void keepFormatted(char* end);

    void write(const char* bytes, std::size_t count);

    std::FILE* file;
    io::EarlyWriteback writeback;
    std::vector<char> buffer;
    std::size_t used = 0;
    bool failed = false;
};

// Prints value as printf's "%1.<decimals>f" into [first, last); returns the end of
// the text, or nullptr if it does not fit.
char* formatFixed(char* first, char* last, double value, int decimals);

// The same for a single-precision value: exact double arithmetic and eight digits at a
// time for up to three decimals and fewer than 10^8 units (every height), to_chars
// otherwise.
char* formatFixed(char* first, char* last, float value, int decimals);

// The values one after the other at `text`, each as formatFixed prints it followed by
// `separator`; returns the end. Room: longestFixedFloat(decimals) + 1 bytes a value.
char* formatFixedValues(std::span<const float> values, int decimals, char separator, char* text);

// The room formatFixed needs for any float with `decimals` decimals.
std::size_t longestFixedFloat(int decimals);
