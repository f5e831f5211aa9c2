#pragma once

#include "png/InflateSink.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Walks the chunks of a PNG file (ISO/IEC 15948): keeps the header, palette,
// transparency and gamma, gathers the compressed image data, and then drives three
// hooks around its decompression. Decompressed bytes reach the sink in runs.
// This class only reads the file; PngImageDecoder turns the bytes into pixels.
class PngDecoder : public InflateSink {
public:
    static constexpr int noKey = 2147483647;

    PngDecoder() = default;
    ~PngDecoder() override = default;

    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    // -1 if the file cannot be opened, lacks the PNG signature, has a chunk whose CRC does
    // not match its type and data, has a PLTE whose length is not a multiple of 3, or is
    // too large to hold in memory (over 2 GiB); otherwise 1. A 1 does not mean the image
    // was decoded: see the hooks of the derived decoder. Every refusal leaves its reason
    // in refusal.
    int decodeFile(const QString& path);
    // The same for a file's bytes held in memory (decodeFile reads the file and calls this).
    int decodeBuffer(const unsigned char* bytes, std::size_t size);

    // IHDR, all zero until one is read. Width and height are stored as read; a value
    // of 2^31 or more shows up negative and is refused by the image decoder.
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int compressionMethod = 0;
    int filterMethod = 0;
    int interlaceMethod = 0;

    // PLTE: RGB triples.
    int paletteCount = 0;
    std::vector<unsigned char> palette;

    // tRNS. For grey and RGB images the key sample values; for palette images the
    // first three alpha bytes, with the whole per-entry alpha table in paletteAlpha.
    int transparencyKey[3] = {noKey, noKey, noKey};
    std::vector<unsigned char> paletteAlpha;

    // gAMA, read and printed, never applied.
    int gamma = 100000;

    // Why the file or its image was refused (the text reported, without its newline), or
    // why its image data could not be decompressed; empty when nothing went wrong.
    std::string refusal;

    // What the decompression of the image data returned (1 success, 0 failure), or -1
    // when it did not run because beginImage refused the image.
    int inflateResult = -1;

protected:
    // Bytes of image data (all IDAT chunks) gathered, known when beginImage is called: it
    // bounds how much image the data can describe.
    std::int64_t compressedLength = 0;

    // Reports the reason (a newline added) and keeps it in refusal.
    void refuse(std::string reason);

    // The hooks, called in this order. Here they do nothing and return 1.
    virtual int beginImage();
    int putByte(unsigned char byte) override;
    virtual int endImage();

private:
    void readChunk(const unsigned char* data, unsigned int length, const char type[4]);
};
