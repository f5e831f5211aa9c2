#include "png/PngToGrid.h"

#include "png/PngGridText.h"
#include "png/PngImageDecoder.h"

#include <QFile>

#include <cstdio>
#include <memory>
#include <utility>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The text is produced row by row and handed to the file in pieces of about this size.
constexpr std::size_t writeChunkBytes = 1 << 20;

} // namespace

float pngPixelHeight(unsigned char red, unsigned char green, unsigned char blue)
{
    const float luminance = 0.299f * red + 0.587f * green + 0.114f * blue;
    return luminance * 3.9215686f;
}

float pngGrey16Height(std::uint16_t sample)
{
    return static_cast<float>(static_cast<double>(sample) * 1000.0 / 65535.0);
}

bool readPngHeightImage(const QString& pngPath, PngHeightImage& image, QString& errorText)
{
    PngImageDecoder decoder;
    const int result = decoder.decodeFile(pngPath);
    if (result != 1 || decoder.imageWidth == 0 || decoder.imageHeight == 0 || decoder.pixelsWritten() == 0) {
        errorText = QStringLiteral("Could not decode the PNG file ") + pngPath;
        return false;
    }

    image.width = decoder.imageWidth;
    image.height = decoder.imageHeight;
    image.complete = decoder.imageComplete();
    image.heights.assign(static_cast<std::size_t>(image.height), std::vector<float>(static_cast<std::size_t>(image.width)));
    if (!decoder.greySamples16.empty()) {
        const std::uint16_t* sample = decoder.greySamples16.data();
        for (std::vector<float>& row : image.heights) {
            for (float& value : row)
                value = pngGrey16Height(*sample++);
        }
        image.greySamples16 = std::move(decoder.greySamples16);
        return true;
    }
    const unsigned char* pixel = decoder.pixels.data();
    for (std::vector<float>& row : image.heights) {
        for (float& value : row) {
            value = pngPixelHeight(pixel[0], pixel[1], pixel[2]);
            pixel += 4;
        }
    }
    return true;
}

std::string pngGridText(const PngHeightImage& image)
{
    std::string text;
    appendPngGridHeader(text, image.width, image.height);
    for (const std::vector<float>& row : image.heights)
        appendPngGridRow(text, row.data(), static_cast<int>(row.size()));
    return text;
}

bool convertPngToGrid(const QString& pngPath, const QString& gridPath, QString& errorText)
{
    PngHeightImage image;
    if (!readPngHeightImage(pngPath, image, errorText))
        return false;

    const QString writeError = QStringLiteral("Error when attempting to write to ") + gridPath;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(QFile::encodeName(gridPath).constData(), "w"));
    if (!file) {
        errorText = writeError;
        return false;
    }

    std::string text;
    text.reserve(writeChunkBytes + 4096);
    appendPngGridHeader(text, image.width, image.height);
    bool written = true;
    for (const std::vector<float>& row : image.heights) {
        appendPngGridRow(text, row.data(), static_cast<int>(row.size()));
        if (text.size() >= writeChunkBytes) {
            written = written && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
            text.clear();
        }
    }
    written = written && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    written = std::fclose(file.release()) == 0 && written;
    if (!written) {
        errorText = writeError;
        return false;
    }
    return true;
}

QString gridFileNameFor(const QString& chosenName)
{
    return chosenName.contains(QStringLiteral(".grd")) ? chosenName : chosenName + QStringLiteral(".grd");
}
