#pragma once

// The colour type / bit depth combinations the image decoder accepts (every one the PNG
// standard allows), and their sizes.
//
//   colorType 0 grey:          1, 2, 4, 8, 16 bits
//   colorType 2 RGB:           8, 16 bits
//   colorType 3 palette:       1, 2, 4, 8 bits
//   colorType 4 grey + alpha:  8, 16 bits
//   colorType 6 RGBA:          8, 16 bits
// 16-bit grey is what heightmaps are stored in; its samples are also kept whole.
struct PngPixelFormat {
    int colorType;
    int bitDepth;

    bool isSupported() const
    {
        switch (colorType) {
        case 0:
            return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
        case 3:
            return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
        case 2:
        case 4:
        case 6:
            return bitDepth == 8 || bitDepth == 16;
        default:
            return false;
        }
    }

    int channels() const
    {
        switch (colorType) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
        }
    }

    // Grey (with or without alpha) at 16 bits: the formats whose samples are kept whole.
    bool isGrey16() const { return (colorType == 0 || colorType == 4) && bitDepth == 16; }

    int bitsPerPixel() const { return channels() * bitDepth; }

    // Formats below 8 bits pack several pixels into a byte.
    bool packsPixels() const { return bitDepth < 8; }

    // The distance back to the left neighbour of a byte when unfiltering: one whole
    // pixel, or one byte for packed formats.
    int filterDistance() const { return packsPixels() ? 1 : bitsPerPixel() / 8; }

    // Bytes of one scanline of width pixels, without its filter-type byte.
    long long lineBytes(long long width) const { return (width * bitsPerPixel() + 7) / 8; }
};
