#include "png/PngDecoder.h"
#include "diagnostics/Diagnostics.h"

#include "png/InflateDecoder.h"
#include "io/Crc32.h"

#include <QFile>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

constexpr unsigned char pngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool kFuzzingBuild = true;
#else
constexpr bool kFuzzingBuild = false;
#endif

unsigned int bigEndian32(const unsigned char* bytes)
{
    return (static_cast<unsigned int>(bytes[0]) << 24) | (static_cast<unsigned int>(bytes[1]) << 16) |
           (static_cast<unsigned int>(bytes[2]) << 8) | static_cast<unsigned int>(bytes[3]);
}

int bigEndian16(const unsigned char* bytes)
{
    return (bytes[0] << 8) | bytes[1];
}

bool readExactly(std::FILE* file, unsigned char* destination, std::size_t count)
{
    return count == 0 || std::fread(destination, 1, count, file) == count;
}

} // namespace

void PngDecoder::refuse(std::string reason)
{
    diagnostics::report(reason + '\n');
    refusal = std::move(reason);
}

int PngDecoder::beginImage()
{
    return 1;
}

int PngDecoder::putByte(unsigned char)
{
    return 1;
}

int PngDecoder::endImage()
{
    return 1;
}

// Format notes: after the 8-byte signature a PNG is a sequence of chunks, each a 4-byte
// big-endian data length, a 4-byte type, the data and a 4-byte CRC. The image data is
// the concatenation of all IDAT chunks' data: one zlib stream. Every chunk read whole has
// its CRC checked, as every sound reader does: a file whose bytes were damaged is refused
// rather than read as if it were sound. The chunk order is not enforced; a chunk cut short
// by the end of the file ends the chunk stream, and the image data gathered until then is
// decoded.
int PngDecoder::decodeFile(const QString& path)
{
    // Not found or unreadable: silent, as a missing file says enough; the reason is kept.
    const std::string unopenable = "The file cannot be opened.";
    FileHandle file(std::fopen(QFile::encodeName(path).constData(), "rb"));
    if (!file) {
        refusal = unopenable;
        return -1;
    }

    if (std::fseek(file.get(), 0, SEEK_END) != 0) {
        refusal = unopenable;
        return -1;
    }
    const long fileSize = std::ftell(file.get());
    if (fileSize < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
        refusal = unopenable;
        return -1;
    }
    // The image data is handed to inflate with an int length; the signature is
    // checked first all the same, so a text file gets the signature message.
    if (fileSize > INT_MAX) {
        unsigned char signature[8];
        if (!readExactly(file.get(), signature, 8) || std::memcmp(signature, pngSignature, 8) != 0) {
            refuse("The file does not have PNG signature.");
            return -1;
        }
        refuse("The file is too large (" + std::to_string(fileSize) + " bytes).");
        return -1;
    }

    std::vector<unsigned char> bytes(static_cast<std::size_t>(fileSize));
    const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file.get());
    bytes.resize(got);
    file.reset();
    return decodeBuffer(bytes.data(), bytes.size());
}

int PngDecoder::decodeBuffer(const unsigned char* bytes, std::size_t size)
{
    if (size < 8 || std::memcmp(bytes, pngSignature, 8) != 0) {
        refuse("The file does not have PNG signature.");
        return -1;
    }
    if (size > static_cast<std::size_t>(INT_MAX)) {
        refuse("The file is too large (" + std::to_string(size) + " bytes).");
        return -1;
    }

    // All IDAT data together is smaller than the file, so it always fits here.
    std::vector<unsigned char> imageData;
    imageData.reserve(size);
    std::size_t position = 8;

    for (;;) {
        if (size - position < 8)
            break;
        const unsigned int length = bigEndian32(bytes + position);
        char type[4];
        std::memcpy(type, bytes + position + 4, 4);
        position += 8;
        diagnostics::reportf("Chunk name=%c%c%c%c\n", type[0], type[1], type[2], type[3]);

        // A chunk whose data or CRC runs past the end cannot be read whole: the chunk
        // stream ends there.
        if (length > size - position || size - position - length < 4)
            break;
        const unsigned char* data = bytes + position;
        position += static_cast<std::size_t>(length) + 4; // the data and the CRC
        const std::uint32_t storedCrc = bigEndian32(data + length);
        const std::uint32_t computedCrc = io::crc32(0, data - 4, static_cast<std::size_t>(length) + 4);
        // The fuzzers' own build (scripts/fuzz.sh) reads past bad CRCs, as libpng's does,
        // so that mutated inputs reach the decoding rather than stop here.
        if (storedCrc != computedCrc && !kFuzzingBuild) {
            char reason[96];
            std::snprintf(reason, sizeof reason, "Chunk %c%c%c%c has a bad CRC (0x%08X stored, 0x%08X computed).",
                          type[0], type[1], type[2], type[3], storedCrc, computedCrc);
            refuse(reason);
            return -1;
        }

        if (std::memcmp(type, "IDAT", 4) == 0) {
            imageData.insert(imageData.end(), data, data + length);
            continue;
        }
        if (std::memcmp(type, "IEND", 4) == 0)
            break;
        if (std::memcmp(type, "PLTE", 4) == 0 && length % 3 != 0) {
            // Silent, as it always was; the reason is kept for the caller.
            refusal = "The palette's length " + std::to_string(length) + " is not a multiple of 3.";
            return -1;
        }
        readChunk(data, length, type);
    }

    compressedLength = static_cast<std::int64_t>(imageData.size());
    if (beginImage() == 1) {
        InflateDecoder inflater(*this);
        inflateResult = inflater.inflate(imageData.data(), static_cast<int>(imageData.size()));
        if (inflateResult != 1 && refusal.empty())
            refusal = inflateErrorText(inflater.lastError());
        endImage();
    }
    return 1;
}

// The chunks besides IDAT and IEND that matter here; every other chunk is skipped.
void PngDecoder::readChunk(const unsigned char* data, unsigned int length, const char type[4])
{
    if (std::memcmp(type, "IHDR", 4) == 0) {
        if (length < 13)
            return;
        width = static_cast<int>(bigEndian32(data));
        height = static_cast<int>(bigEndian32(data + 4));
        bitDepth = data[8];
        colorType = data[9];
        compressionMethod = data[10];
        filterMethod = data[11];
        interlaceMethod = data[12];
        diagnostics::reportf("Width=%d Height=%d\n", width, height);
        diagnostics::reportf("bitDepth=%d\n", bitDepth);
        diagnostics::reportf("colorType=%d\n", colorType);
        diagnostics::reportf("compressionMethod=%d\n", compressionMethod);
        diagnostics::reportf("filterMethod=%d\n", filterMethod);
        diagnostics::reportf("interlaceMethod=%d\n", interlaceMethod);
        return;
    }
    if (std::memcmp(type, "PLTE", 4) == 0) {
        palette.assign(data, data + length);
        paletteCount = static_cast<int>(length / 3);
        diagnostics::reportf("%d palette entries\n", paletteCount);
        return;
    }
    if (std::memcmp(type, "tRNS", 4) == 0) {
        // Format notes: grey images key one 16-bit grey value, RGB images one 16-bit
        // triple; palette images give an alpha byte per palette entry.
        if (colorType == 0 && length >= 2) {
            transparencyKey[0] = bigEndian16(data);
        } else if (colorType == 2 && length >= 6) {
            transparencyKey[0] = bigEndian16(data);
            transparencyKey[1] = bigEndian16(data + 2);
            transparencyKey[2] = bigEndian16(data + 4);
        } else if (colorType == 3) {
            for (unsigned int i = 0; i < length && i < 3; ++i)
                transparencyKey[i] = data[i];
            paletteAlpha.assign(data, data + (length < 256 ? length : 256));
        }
        return;
    }
    if (std::memcmp(type, "gAMA", 4) == 0) {
        if (length < 4)
            return;
        gamma = static_cast<int>(bigEndian32(data));
        diagnostics::reportf("Gamma %d (default=%d)\n", gamma, 100000);
        return;
    }
}
