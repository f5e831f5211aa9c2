#include "png/PngToGrid.h"

#include "png/PngGridText.h"
#include "png/PngImageDecoder.h"

#include <algorithm>

namespace {

// Inlined in the loop over a row, which pngPixelHeight (callable from other libraries)
// would not be.
inline float luminanceHeight(unsigned char red, unsigned char green, unsigned char blue)
{
    const float luminance = 0.299f * red + 0.587f * green + 0.114f * blue;
    return luminance * 3.9215686f;
}

} // namespace

float pngPixelHeight(unsigned char red, unsigned char green, unsigned char blue)
{
    return luminanceHeight(red, green, blue);
}

float pngGrey16Height(std::uint16_t sample)
{
    return static_cast<float>(static_cast<double>(sample) * 1000.0 / 65535.0);
}

void pngRowHeights(const unsigned char* rgba, const std::uint16_t* grey16, int width, float* heights)
{
    if (grey16 != nullptr) {
        for (int column = 0; column < width; ++column)
            heights[column] = pngGrey16Height(grey16[column]);
        return;
    }
    for (int column = 0; column < width; ++column, rgba += 4)
        heights[column] = luminanceHeight(rgba[0], rgba[1], rgba[2]);
}

bool refuseUndecodedPng(const PngImageDecoder& decoder, int result, const QString& pngName, QString& errorText)
{
    if (result == 1 && decoder.imageWidth != 0 && decoder.imageHeight != 0 && decoder.pixelsWritten() != 0)
        return false;
    // The reason goes with the refusal, so that it is seen where the decoder's own
    // lines are not (a quiet command line, a message box).
    const std::string reason = decoder.refusal.empty() ? std::string("No pixel could be decoded.") : decoder.refusal;
    errorText = QStringLiteral("Could not decode the PNG file %1: %2").arg(pngName, QString::fromStdString(reason));
    return true;
}

namespace {

// The decoded rows' heights go straight into the image, and a 16-bit grey image's
// samples beside them: no whole image of pixels is held.
class HeightImageRows : public PngRowSink {
public:
    explicit HeightImageRows(PngHeightImage& image) : image(image) {}

    void startRows(int width, int height, bool grey16) override
    {
        image.heights.reshape(static_cast<std::size_t>(height), static_cast<std::size_t>(width));
        if (grey16)
            image.greySamples16.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    }

    void takeRow(int row, const unsigned char* rgba, const std::uint16_t* grey16) override
    {
        const std::size_t width = image.heights.columns();
        pngRowHeights(rgba, grey16, static_cast<int>(width), image.heights[static_cast<std::size_t>(row)].data());
        if (grey16 != nullptr)
            std::copy(grey16, grey16 + width, image.greySamples16.begin() + static_cast<std::ptrdiff_t>(row * width));
    }

private:
    PngHeightImage& image;
};

// The image decoded into heights; false when it could not be decoded at all.
bool takeHeights(PngImageDecoder& decoder, int result, const QString& pngName, PngHeightImage& image,
                 QString& errorText)
{
    if (refuseUndecodedPng(decoder, result, pngName, errorText)) {
        image = PngHeightImage{};
        return false;
    }
    image.width = decoder.imageWidth;
    image.height = decoder.imageHeight;
    image.complete = decoder.imageComplete();
    return true;
}

} // namespace

bool readPngHeightImage(const QString& pngPath, PngHeightImage& image, QString& errorText)
{
    PngImageDecoder decoder;
    HeightImageRows rows(image);
    decoder.deliverRowsTo(rows);
    const int result = decoder.decodeFile(pngPath);
    return takeHeights(decoder, result, pngPath, image, errorText);
}

bool readPngHeightImage(std::string_view pngBytes, const QString& pngName, PngHeightImage& image, QString& errorText)
{
    PngImageDecoder decoder;
    HeightImageRows rows(image);
    decoder.deliverRowsTo(rows);
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

QString gridFileNameFor(const QString& chosenName)
{
    return chosenName.contains(QStringLiteral(".grd")) ? chosenName : chosenName + QStringLiteral(".grd");
}
