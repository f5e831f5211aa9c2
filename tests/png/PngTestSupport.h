#pragma once

// PNG files for the decoder tests: written by libpng (an independent encoder) or built
// by hand chunk by chunk, and decoded by libpng as the reference. libpng and zlib are
// test-only dependencies.

#include "png/PngImageDecoder.h"

#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

struct PngLayout {
    int width = 1;
    int height = 1;
    int bitDepth = 8;
    int colorType = 2;
    bool interlaced = false;
    int filters = 0xF8; // PNG_ALL_FILTERS
    std::vector<unsigned char> palette;      // RGB triples (colour type 3)
    std::vector<unsigned char> paletteAlpha; // tRNS for palettes
    bool hasKey = false;                     // tRNS for grey and RGB
    int key[3] = {0, 0, 0};
};

// Bytes of one row as libpng takes it (packed samples, 16-bit big-endian).
int pngRowBytes(const PngLayout& layout);

// Random rows of the right size; packed and palette samples kept within the palette.
std::vector<unsigned char> randomPngRows(const PngLayout& layout, unsigned seed);

// Writes rows (height x pngRowBytes) with libpng. Returns false if libpng refused.
bool writePngWithLibpng(const std::string& path, const PngLayout& layout, const std::vector<unsigned char>& rows);

// Reads a PNG with libpng expanded to 8-bit RGBA (palette and tRNS to alpha, 16 bits
// to their high byte, grey to RGB, opaque alpha added).
bool readPngWithLibpng(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgba);

// A PNG assembled by hand: the IHDR fields, the raw decompressed stream (filter-type
// byte and bytes of every line), and chunks to put before IDAT.
struct HandmadeChunk {
    std::string type;
    std::vector<unsigned char> data;
};
std::vector<unsigned char> pngChunk(const std::string& type, const std::vector<unsigned char>& data);
std::vector<unsigned char> ihdrData(std::uint32_t width, std::uint32_t height, int bitDepth, int colorType,
                                    int interlace);
std::vector<unsigned char> handmadePng(std::uint32_t width, std::uint32_t height, int bitDepth, int colorType,
                                       int interlace, const std::vector<unsigned char>& rawStream,
                                       const std::vector<HandmadeChunk>& chunksBeforeImage = {});

std::string testFilePath(const std::string& name);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> readBytes(const std::string& path);

// Our decoder's view of a file, with everything it printed.
struct OurDecode {
    int result = 0;
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
    bool complete = false;
    int inflateResult = -1;
    std::string printed;
};
OurDecode decodeWithOurs(const std::string& path);
