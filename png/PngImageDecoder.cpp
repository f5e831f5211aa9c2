#include "png/PngImageDecoder.h"
#include "diagnostics/Diagnostics.h"

#include "png/PngAdam7.h"
#include "png/PngScanlineFilter.h"

#include "io/SampleLimit.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>

bool PngImageDecoder::imageComplete() const
{
    if (imageWidth == 0 || imageHeight == 0)
        return false;
    return allLinesDone();
}

int PngImageDecoder::beginImage()
{
    format = PngPixelFormat{colorType, bitDepth};
    if (!format.isSupported()) {
        refuse("Unsupported colorType-bitDepth combination.");
        return 0;
    }

    // IHDR sizes are 32-bit unsigned; stored in ints, anything at 2^31 or above is negative.
    const std::int64_t requestedWidth = static_cast<std::uint32_t>(width);
    const std::int64_t requestedHeight = static_cast<std::uint32_t>(height);
    const std::string size = std::to_string(requestedWidth) + " x " + std::to_string(requestedHeight);
    if (requestedWidth < 1 || requestedHeight < 1 || requestedWidth > maxImageSide ||
        requestedHeight > maxImageSide || requestedWidth * requestedHeight > maxImagePixels) {
        refuse("Image size " + size + " is not supported (each side 1 to " + std::to_string(maxImageSide)
               + ", at most " + std::to_string(maxImagePixels) + " pixels).");
        return 0;
    }

    if (requestedWidth * requestedHeight > io::sampleLimit()) {
        refuse("Image size " + size + " is more than the " + std::to_string(io::sampleLimit())
               + " pixels an image may hold.");
        return 0;
    }
    // What the image's pixels take decompressed, without filter bytes or padding: the
    // image data can describe no more than maxInflateRatio times its own size. Packed
    // pixels count a byte each, as each takes four here and a height after: a 1 KiB
    // 1-bit image would otherwise claim 8 million pixels (some 100 MB decoded).
    const std::int64_t bitsCounted = format.bitsPerPixel() < 8 ? 8 : format.bitsPerPixel();
    const std::int64_t pixelDataBytes = requestedWidth * requestedHeight * bitsCounted / 8;
    if (pixelDataBytes > maxInflateRatio * (compressedLength + 1)) {
        refuse("Image size " + size + " needs more than its " + std::to_string(compressedLength)
               + " bytes of image data can hold.");
        return 0;
    }

    // A non-interlaced image handed over row by row needs one row; the passes of an
    // interlaced one each reach every row, so it is kept whole until the last.
    rowByRow = rowSink != nullptr && !isInterlaced();
    const std::size_t pixelBytes = static_cast<std::size_t>(requestedWidth * (rowByRow ? 1 : requestedHeight) * 4);
    lineBufferBytes = static_cast<std::size_t>(format.lineBytes(requestedWidth));
    try {
        // Cleared, so pixels never written are zeros rather than leftover memory.
        pixels.assign(pixelBytes, 0);
        if (format.isGrey16())
            greySamples16.assign(pixelBytes / 4, 0);
        lineBuffers.assign(2 * lineBufferBytes, 0);
    } catch (const std::bad_alloc&) {
        pixels.clear();
        pixels.shrink_to_fit();
        greySamples16.clear();
        greySamples16.shrink_to_fit();
        lineBuffers.clear();
        refuse("Not enough memory for a " + size + " image.");
        return 0;
    }
    filterDistance = format.filterDistance();
    imageWidth = static_cast<int>(requestedWidth);
    imageHeight = static_cast<int>(requestedHeight);
    currentLine = lineBuffers.data();
    previousLine = lineBuffers.data() + lineBufferBytes;

    x = -1;
    y = 0;
    filterType = 0;
    byteIndex = 0;
    pixelByteCount = 0;
    outputOffset = 0;
    writtenPixels = 0;
    pass = 1;
    rowsDelivered = 0;
    if (rowSink != nullptr)
        rowSink->startRows(imageWidth, imageHeight, format.isGrey16());
    startPass();
    return 1;
}

// A new pass is a new reduced image: its first line has no line above it.
void PngImageDecoder::startPass()
{
    lineWidth = isInterlaced() ? adam7Pass(pass).columns(imageWidth) : imageWidth;
    lineBytes = static_cast<int>(format.lineBytes(lineWidth));
    std::memset(previousLine, 0, lineBufferBytes);
}

int PngImageDecoder::putByte(unsigned char byte)
{
    int taken = 0;
    return putBytes(&byte, 1, taken);
}

// A run of decompressed bytes is taken a line piece at a time: the filter-type byte,
// then as many of the line's bytes as the run holds. Each piece is unfiltered and its
// complete pixels written at once, so a line cut short by the end of the data keeps
// every pixel whose bytes arrived, exactly as byte-by-byte delivery would.
int PngImageDecoder::putBytes(const unsigned char* bytes, int count, int& taken)
{
    taken = 0;
    while (taken < count) {
        // Data beyond the last line stops the decompression.
        if (allLinesDone()) {
            ++taken;
            return 0;
        }
        if (x == -1) {
            startLine(bytes[taken++]);
            continue;
        }
        if (interlaceMethod != 0 && interlaceMethod != 1) {
            refuse("Unsupported interlace method.");
            ++taken;
            return 0;
        }
        const int piece = std::min(count - taken, lineBytes - byteIndex);
        takeLineBytes(bytes + taken, piece);
        taken += piece;
    }
    return 1;
}

void PngImageDecoder::startLine(unsigned char filterTypeByte)
{
    filterType = filterTypeByte;
    byteIndex = 0;
    pixelByteCount = 0;
    x = 0;
}

// Packed pixels fill a byte from its most significant bits; the bits after the line's
// last pixel are padding. Wider pixels are written once all their bytes are in.
void PngImageDecoder::takeLineBytes(const unsigned char* filtered, int count)
{
    const int start = byteIndex;
    byteIndex += count;
    unfilterBytes(filterType, filtered, currentLine, previousLine, start, byteIndex, filterDistance);

    if (format.packsPixels()) {
        const int depth = format.bitDepth;
        const int sampleMask = (1 << depth) - 1;
        for (int index = start; index < byteIndex; ++index) {
            const int value = currentLine[index];
            for (int shift = 8 - depth; shift >= 0 && x < lineWidth; shift -= depth) {
                writePackedSample((value >> shift) & sampleMask);
                ++x;
            }
        }
    } else {
        const int bytesPerPixel = filterDistance;
        const int completePixels = byteIndex / bytesPerPixel;
        writePixels(currentLine + static_cast<std::size_t>(x) * bytesPerPixel, completePixels - x);
        x = completePixels;
        pixelByteCount = byteIndex % bytesPerPixel;
    }
    if (x >= lineWidth)
        endLine();
}

void PngImageDecoder::endLine()
{
    x = -1;
    if (rowByRow) {
        deliverRow(y);
        clearRow();
        outputOffset = 0;
    }
    ++y;
    std::swap(currentLine, previousLine);
    if (!isInterlaced() || y < adam7Pass(pass).rows(imageHeight))
        return;
    y = 0;
    // Passes without pixels carry no bytes; step over them as the stream does.
    do {
        ++pass;
        diagnostics::reportf("Interlace Pass %d\n", pass);
    } while (pass <= 7 && adam7Pass(pass).isEmpty(imageWidth, imageHeight));
    if (pass <= 7)
        startPass();
}

std::size_t PngImageDecoder::pixelOffset() const
{
    if (!isInterlaced())
        return outputOffset;
    const Adam7Pass& geometry = adam7Pass(pass);
    const std::size_t column = static_cast<std::size_t>(geometry.startX) + static_cast<std::size_t>(x) * geometry.stepX;
    const std::size_t row = static_cast<std::size_t>(geometry.startY) + static_cast<std::size_t>(y) * geometry.stepY;
    return (column + row * static_cast<std::size_t>(imageWidth)) * 4;
}

namespace {

// One four-byte store rather than four single bytes, which may alias anything and so
// made the compiler reload the decoder's fields after each (writePixels took a third of
// a large image's decoding).
void setPixel(unsigned char* pixel, int red, int green, int blue, int alpha)
{
    const auto byte = [](int value) { return static_cast<std::uint32_t>(value & 0xFF); };
    const std::uint32_t word = std::endian::native == std::endian::little
                                   ? byte(red) | byte(green) << 8 | byte(blue) << 16 | byte(alpha) << 24
                                   : byte(red) << 24 | byte(green) << 16 | byte(blue) << 8 | byte(alpha);
    std::memcpy(pixel, &word, sizeof word);
}

} // namespace

void PngImageDecoder::store(std::size_t offset, int red, int green, int blue, int alpha)
{
    setPixel(pixels.data() + offset, red, green, blue, alpha);
    ++writtenPixels;
}

// Palette pixels take their alpha from tRNS, entry by entry; entries it does not cover
// are opaque. An index beyond the palette writes nothing.
void PngImageDecoder::writePaletteEntry(std::size_t offset, int index)
{
    if (index >= paletteCount)
        return;
    const unsigned char* entry = palette.data() + 3 * index;
    const int alpha = index < static_cast<int>(paletteAlpha.size()) ? paletteAlpha[index] : 255;
    store(offset, entry[0], entry[1], entry[2], alpha);
}

void PngImageDecoder::writePackedSample(int sample)
{
    const std::size_t offset = pixelOffset();
    if (colorType == 3) {
        writePaletteEntry(offset, sample);
    } else {
        // 1, 2 or 4 bits stretched over 0..255 (1 bit: 0 or 255).
        const int grey = sample * 255 / ((1 << format.bitDepth) - 1);
        store(offset, grey, grey, grey, sample == transparencyKey[0] ? 0 : 255);
    }
    if (!isInterlaced())
        outputOffset += 4;
}

// Writes count pixels from x on, their samples packed in the line buffer. One loop per
// format, so nothing is decided per pixel but the transparency key.
void PngImageDecoder::writePixels(const unsigned char* samples, int count)
{
    if (count <= 0)
        return;
    unsigned char* pixel = pixels.data() + pixelOffset();
    const std::size_t step = isInterlaced() ? static_cast<std::size_t>(adam7Pass(pass).stepX) * 4 : 4;
    if (!isInterlaced())
        outputOffset += static_cast<std::size_t>(count) * 4;
    // Copied, so that the stores into the pixels are not taken to change them.
    const int key[3] = {transparencyKey[0], transparencyKey[1], transparencyKey[2]};
    int written = count;

    if (format.isGrey16()) {
        writeGrey16Pixels(samples, count, pixel, step);
        writtenPixels += count;
        return;
    }
    switch (colorType) {
    case 0:
        for (int i = 0; i < count; ++i, pixel += step, samples += 1)
            setPixel(pixel, samples[0], samples[0], samples[0], samples[0] == key[0] ? 0 : 255);
        break;
    case 2:
        if (bitDepth == 16) {
            // The high byte of each sample; the key compares whole 16-bit samples.
            for (int i = 0; i < count; ++i, pixel += step, samples += 6) {
                for (int channel = 0; channel < 3; ++channel)
                    lastSamples16[channel] = (samples[2 * channel] << 8) | samples[2 * channel + 1];
                const bool keyed = lastSamples16[0] == key[0] && lastSamples16[1] == key[1] &&
                                   lastSamples16[2] == key[2];
                setPixel(pixel, samples[0], samples[2], samples[4], keyed ? 0 : 255);
            }
        } else {
            for (int i = 0; i < count; ++i, pixel += step, samples += 3) {
                const bool keyed = samples[0] == key[0] && samples[1] == key[1] && samples[2] == key[2];
                setPixel(pixel, samples[0], samples[1], samples[2], keyed ? 0 : 255);
            }
        }
        break;
    case 3:
        // An index beyond the palette writes nothing; tRNS alpha entry by entry.
        for (int i = 0; i < count; ++i, pixel += step, samples += 1) {
            const int index = samples[0];
            if (index >= paletteCount) {
                --written;
                continue;
            }
            const unsigned char* entry = palette.data() + 3 * index;
            const int alpha = index < static_cast<int>(paletteAlpha.size()) ? paletteAlpha[index] : 255;
            setPixel(pixel, entry[0], entry[1], entry[2], alpha);
        }
        break;
    case 4:
        for (int i = 0; i < count; ++i, pixel += step, samples += 2)
            setPixel(pixel, samples[0], samples[0], samples[0], samples[1]);
        break;
    default: // 6
        if (bitDepth == 16) {
            // The high byte of each sample.
            for (int i = 0; i < count; ++i, pixel += step, samples += 8)
                setPixel(pixel, samples[0], samples[2], samples[4], samples[6]);
        } else {
            for (int i = 0; i < count; ++i, pixel += step, samples += 4)
                setPixel(pixel, samples[0], samples[1], samples[2], samples[3]);
        }
        break;
    }
    writtenPixels += written;
}

// 16-bit grey, with or without alpha: the whole grey sample is kept beside the RGBA
// pixel, which takes the high bytes. The transparency key compares the whole sample.
void PngImageDecoder::writeGrey16Pixels(const unsigned char* samples, int count, unsigned char* pixel,
                                        std::size_t step)
{
    const bool withAlpha = colorType == 4;
    const std::size_t sampleStep = withAlpha ? 4 : 2;
    std::uint16_t* grey = greySamples16.data() + (pixel - pixels.data()) / 4;
    const std::size_t greyStep = step / 4;
    for (int i = 0; i < count; ++i, pixel += step, grey += greyStep, samples += sampleStep) {
        const int value = (samples[0] << 8) | samples[1];
        *grey = static_cast<std::uint16_t>(value);
        const int alpha = withAlpha ? samples[2] : (value == transparencyKey[0] ? 0 : 255);
        setPixel(pixel, samples[0], samples[0], samples[0], alpha);
    }
}

void PngImageDecoder::deliverRow(int row)
{
    const std::size_t first = rowByRow ? 0 : static_cast<std::size_t>(row) * static_cast<std::size_t>(imageWidth);
    rowSink->takeRow(row, pixels.data() + 4 * first, greySamples16.empty() ? nullptr : greySamples16.data() + first);
    ++rowsDelivered;
}

// The row buffer starts every row at zero, as a whole image starts: pixels that are
// never written (a palette index out of range, the end of a row the data never
// reached) read as zero.
void PngImageDecoder::clearRow()
{
    std::fill(pixels.begin(), pixels.end(), 0);
    std::fill(greySamples16.begin(), greySamples16.end(), 0);
}

// After the data: a row cut short keeps the pixels that came, later rows are zeros; an
// interlaced image goes over whole.
void PngImageDecoder::deliverRemainingRows()
{
    while (rowsDelivered < imageHeight) {
        deliverRow(rowsDelivered);
        if (rowByRow)
            clearRow();
    }
}

int PngImageDecoder::endImage()
{
    diagnostics::reportf("Final Position (%d,%d)\n", x, y);
    if (rowSink != nullptr)
        deliverRemainingRows();
    return 1;
}
