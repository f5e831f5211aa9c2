#include "png/PngToGrid.h"

#include "png/PngGridText.h"
#include "png/PngImageDecoder.h"

#include "grid/FixedFormat.h"
#include "grid/HeightRowText.h"
#include "io/AtomicFileWrite.h"

#include <QFile>

#include <span>
#include <utility>

float pngPixelHeight(unsigned char red, unsigned char green, unsigned char blue)
{
    const float luminance = 0.299f * red + 0.587f * green + 0.114f * blue;
    return luminance * 3.9215686f;
}

float pngGrey16Height(std::uint16_t sample)
{
    return static_cast<float>(static_cast<double>(sample) * 1000.0 / 65535.0);
}

namespace {

// The heights of a decoded image (its 16-bit samples move into the image); false when
// it could not be decoded at all.
bool takeHeights(PngImageDecoder& decoder, int result, const QString& pngName, PngHeightImage& image,
                 QString& errorText)
{
    if (result != 1 || decoder.imageWidth == 0 || decoder.imageHeight == 0 || decoder.pixelsWritten() == 0) {
        // The reason goes with the refusal, so that it is seen where the decoder's own
        // lines are not (a quiet command line, a message box).
        const std::string reason = decoder.refusal.empty() ? std::string("No pixel could be decoded.") : decoder.refusal;
        errorText = QStringLiteral("Could not decode the PNG file %1: %2").arg(pngName, QString::fromStdString(reason));
        return false;
    }

    image.width = decoder.imageWidth;
    image.height = decoder.imageHeight;
    image.complete = decoder.imageComplete();
    image.heights.reshape(static_cast<std::size_t>(image.height), static_cast<std::size_t>(image.width));
    if (!decoder.greySamples16.empty()) {
        const std::uint16_t* sample = decoder.greySamples16.data();
        for (FloatRow& row : image.heights) {
            for (float& value : row)
                value = pngGrey16Height(*sample++);
        }
        image.greySamples16 = std::move(decoder.greySamples16);
        return true;
    }
    const unsigned char* pixel = decoder.pixels.data();
    for (FloatRow& row : image.heights) {
        for (float& value : row) {
            value = pngPixelHeight(pixel[0], pixel[1], pixel[2]);
            pixel += 4;
        }
    }
    return true;
}

} // namespace

bool readPngHeightImage(const QString& pngPath, PngHeightImage& image, QString& errorText)
{
    PngImageDecoder decoder;
    const int result = decoder.decodeFile(pngPath);
    return takeHeights(decoder, result, pngPath, image, errorText);
}

bool readPngHeightImage(std::string_view pngBytes, const QString& pngName, PngHeightImage& image, QString& errorText)
{
    PngImageDecoder decoder;
    const int result =
        decoder.decodeBuffer(reinterpret_cast<const unsigned char*>(pngBytes.data()), pngBytes.size());
    return takeHeights(decoder, result, pngName, image, errorText);
}

std::string pngGridText(const PngHeightImage& image)
{
    std::string text;
    // An image's heights lie in 0 .. 1000: at most "1000.00 " a value and a newline a row.
    text.reserve(image.heights.valueCount() * 8 + image.heights.rows() + 256);
    appendPngGridHeader(text, image.width, image.height);
    for (const FloatRow& row : image.heights)
        appendPngGridRow(text, row.data(), static_cast<int>(row.size()));
    return text;
}

bool convertPngToGrid(const QString& pngPath, const QString& gridPath, QString& errorText)
{
    PngHeightImage image;
    if (!readPngHeightImage(pngPath, image, errorText))
        return false;

    const QString writeError = QStringLiteral("Error when attempting to write to ") + gridPath;
    // The grid replaces any file of that name only once it is whole on the disk.
    io::AtomicFileWrite file(QFile::encodeName(gridPath).toStdString());
    if (!file.isOpen()) {
        errorText = writeError;
        return false;
    }

    // The lines are the grid writer's, formatted on every core: the same bytes as
    // pngGridText, which the window's import uses.
    std::string header;
    appendPngGridHeader(header, image.width, image.height);
    FixedFormatWriter out(file.stream());
    out.text(header);
    writeHeightRows(out, image.heights.rows(), [&](std::size_t row) {
        return std::span<const float>(image.heights[row].data(), image.heights.columns());
    });
    const bool written = out.finish();
    if (!written || !file.commit()) {
        errorText = writeError;
        return false;
    }
    return true;
}

QString gridFileNameFor(const QString& chosenName)
{
    return chosenName.contains(QStringLiteral(".grd")) ? chosenName : chosenName + QStringLiteral(".grd");
}
