#pragma once

#include "png/PngDecoder.h"
#include "png/PngPixelFormat.h"
#include "png/PngRowSink.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes a PNG file into an 8-bit RGBA image: checks the format, undoes the scanline
// filters, follows Adam7 interlacing and writes four bytes per pixel. Only two scanline
// buffers and the RGBA result are held; the decompressed stream is never kept whole.
//
// After decodeFile the caller reads imageWidth, imageHeight and pixels. An image that
// could not be started (unsupported format, refused size) stays 0 x 0; an image whose
// data ends early keeps the pixels decoded so far and zeros everywhere else.
//
// A decoder given a row sink (deliverRowsTo) hands the rows there instead: pixels and
// greySamples16 then hold one row of a non-interlaced image, not the whole image, so
// a large image costs a few kilobytes rather than four bytes a pixel, and its first
// rows can be used while the rest is decoded.
class PngImageDecoder : public PngDecoder {
public:
    // The largest image accepted: each side 1 to 2^20 pixels and at most 2^27 pixels in
    // all (a 512 MiB RGBA buffer, e.g. 11585 x 11585). Sizes are checked in 64 bits, so a
    // tiny file claiming billions of pixels is refused before anything is allocated.
    static constexpr std::int64_t maxImageSide = std::int64_t{1} << 20;
    static constexpr std::int64_t maxImagePixels = std::int64_t{1} << 27;

    // Format notes: DEFLATE expands at most about 1032 to 1: its longest match, 258 bytes,
    // costs at least two bits (a one-bit length code and a one-bit distance code). An
    // image whose pixels need more bytes than that times its image data is refused before
    // its buffer is allocated: the data could never fill it.
    static constexpr std::int64_t maxInflateRatio = 1032;

    int imageWidth = 0;
    int imageHeight = 0;
    // RGBA, rows top to bottom (the current row only when rows go to a sink); cleared
    // to zero before decoding. A 16-bit sample gives its high byte.
    std::vector<unsigned char> pixels;
    // The grey samples of a 16-bit grey or grey + alpha image at their full depth, one
    // per pixel, rows top to bottom (as pixels), cleared to zero before decoding; empty
    // for every other format.
    std::vector<std::uint16_t> greySamples16;

    // Rows go to sink (not owned) from the next decode on; call before decoding.
    void deliverRowsTo(PngRowSink& sink) { rowSink = &sink; }

    // True when every line of the image (every pass when interlaced) was decoded.
    bool imageComplete() const;
    // Pixels written so far (a palette index out of range writes none).
    std::int64_t pixelsWritten() const { return writtenPixels; }

protected:
    int beginImage() override;
    int putByte(unsigned char byte) override;
    int putBytes(const unsigned char* bytes, int count, int& taken) override;
    int endImage() override;

private:
    bool isInterlaced() const { return interlaceMethod == 1; }
    bool allLinesDone() const { return isInterlaced() ? pass > 7 : y >= imageHeight; }
    void startPass();
    void startLine(unsigned char filterTypeByte);
    void takeLineBytes(const unsigned char* filtered, int count);
    void endLine();
    std::size_t pixelOffset() const;
    void writePixels(const unsigned char* samples, int count);
    void writeGrey16Pixels(const unsigned char* samples, int count, unsigned char* pixel, std::size_t step);
    void writePackedSample(int sample);
    void writePaletteEntry(std::size_t offset, int index);
    void store(std::size_t offset, int red, int green, int blue, int alpha);
    void deliverRow(int row);
    void clearRow();
    void deliverRemainingRows();

    PngPixelFormat format{0, 0};
    int filterDistance = 1;  // bytes back to a byte's left neighbour (format.filterDistance())
    int lineWidth = 0;       // pixels in the current line: the image width or the pass width
    int lineBytes = 0;       // bytes of the current line after its filter-type byte
    int filterType = 0;
    int x = -1;              // pixel in the line; -1: the next byte is the filter type
    int y = 0;               // line in the image, or in the pass when interlaced
    int byteIndex = 0;       // next byte of the line buffer
    int pixelByteCount = 0;  // bytes gathered for the current pixel
    int lastSamples16[3] = {};
    std::size_t outputOffset = 0;
    int pass = 1;
    std::vector<unsigned char> lineBuffers; // two scanlines: current and previous
    unsigned char* currentLine = nullptr;
    unsigned char* previousLine = nullptr;
    std::size_t lineBufferBytes = 0;
    std::int64_t writtenPixels = 0;
    PngRowSink* rowSink = nullptr;
    bool rowByRow = false; // pixels hold the current row only, handed over when it ends
    int rowsDelivered = 0;
};
