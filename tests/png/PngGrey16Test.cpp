// 16-bit grey heightmaps: libpng writes them (every filter, interlaced or not, with and
// without alpha); our decoder must give every sample back whole, the RGBA pixels their
// high bytes, and the conversion v x 1000 / 65535.
#include "png/PngToGrid.h"

#include "PngTestSupport.h"

#include <gtest/gtest.h>

namespace {

// The grey sample of pixel i in libpng's rows (big-endian, alpha after grey when present).
std::uint16_t greyOf(const std::vector<unsigned char>& rows, const PngLayout& layout, std::size_t pixel)
{
    const std::size_t bytesPerPixel = layout.colorType == 4 ? 4 : 2;
    const std::size_t offset = pixel * bytesPerPixel;
    return static_cast<std::uint16_t>((rows[offset] << 8) | rows[offset + 1]);
}

} // namespace

TEST(PngGrey16, EverySampleComesBackWholeAndThePixelsMatchLibpng)
{
    for (const int colorType : {0, 4}) {
        for (const bool interlaced : {false, true}) {
            SCOPED_TRACE(colorType * 10 + interlaced);
            PngLayout layout;
            layout.width = 37;
            layout.height = 23;
            layout.bitDepth = 16;
            layout.colorType = colorType;
            layout.interlaced = interlaced;
            const std::vector<unsigned char> rows = randomPngRows(layout, 1234u + colorType);
            const std::string path = testFilePath("grey16.png");
            ASSERT_TRUE(writePngWithLibpng(path, layout, rows));

            PngImageDecoder decoder;
            testing::internal::CaptureStdout();
            ASSERT_EQ(decoder.decodeFile(QString::fromStdString(path)), 1);
            testing::internal::GetCapturedStdout();
            ASSERT_EQ(decoder.imageWidth, layout.width);
            ASSERT_EQ(decoder.imageHeight, layout.height);
            EXPECT_TRUE(decoder.imageComplete());
            ASSERT_EQ(decoder.greySamples16.size(), static_cast<std::size_t>(layout.width * layout.height));
            for (std::size_t i = 0; i < decoder.greySamples16.size(); ++i)
                ASSERT_EQ(decoder.greySamples16[i], greyOf(rows, layout, i)) << i;

            int width = 0;
            int height = 0;
            std::vector<unsigned char> reference;
            ASSERT_TRUE(readPngWithLibpng(path, width, height, reference));
            EXPECT_EQ(decoder.pixels, reference);
        }
    }
}

TEST(PngGrey16, HeightsFollowTheSixteenBitRule)
{
    EXPECT_EQ(pngGrey16Height(0), 0.0f);
    EXPECT_EQ(pngGrey16Height(65535), 1000.0f);
    EXPECT_EQ(pngGrey16Height(32768), static_cast<float>(32768.0 * 1000.0 / 65535.0));

    PngLayout layout;
    layout.width = 3;
    layout.height = 1;
    layout.bitDepth = 16;
    layout.colorType = 0;
    const std::vector<unsigned char> rows = {0x00, 0x00, 0x80, 0x00, 0xFF, 0xFF};
    const std::string path = testFilePath("grey16_rule.png");
    ASSERT_TRUE(writePngWithLibpng(path, layout, rows));
    PngHeightImage image;
    QString error;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(readPngHeightImage(QString::fromStdString(path), image, error));
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(image.heights.size(), 1u);
    EXPECT_EQ(image.heights[0], (std::vector<float>{0.0f, pngGrey16Height(0x8000), 1000.0f}));
    EXPECT_EQ(image.greySamples16, (std::vector<std::uint16_t>{0, 0x8000, 0xFFFF}));
}
