#pragma once

#include <string>
#include <vector>

// Writes an 8-bit PNG with libpng (tests and benchmarks only, never the product): rows
// holds `height` pointers to `width` samples each, grey (one byte a pixel) or RGB (three).
// With bitDepth 16 each sample takes two bytes, big-endian, as PNG stores them.
bool writeFixturePng(const std::string& path, int width, int height, bool rgb, bool interlaced,
                     const std::vector<const unsigned char*>& rows, int bitDepth = 8);
