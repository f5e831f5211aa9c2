// The PNG decoder against libpng: every supported colour type and bit depth, with and
// without interlacing and transparency, every filter type; and the small cases whose
// pixels and messages are known by heart.
#include "PngTestSupport.h"

#include <png.h>

#include <gmock/gmock.h>

namespace {

using testing::HasSubstr;

struct Format {
    int colorType;
    int bitDepth;
};

// Every colour type and bit depth the PNG standard allows but 16-bit grey, which
// PngGrey16Test compares sample for sample.
const Format supportedFormats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {2, 8}, {2, 16}, {3, 1},
                                   {3, 2},  {3, 4}, {3, 8}, {4, 8}, {6, 8}, {6, 16}};

PngLayout layoutFor(Format format, int width, int height, bool interlaced, bool transparency, unsigned seed)
{
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.colorType = format.colorType;
    layout.bitDepth = format.bitDepth;
    layout.interlaced = interlaced;
    std::mt19937 generator(seed);
    if (format.colorType == 3) {
        const int entries = 1 << format.bitDepth;
        for (int i = 0; i < 3 * entries; ++i)
            layout.palette.push_back(static_cast<unsigned char>(generator()));
        if (transparency)
            for (int i = 0; i < entries / 2; ++i)
                layout.paletteAlpha.push_back(static_cast<unsigned char>(generator()));
    } else if (transparency && (format.colorType == 0 || format.colorType == 2)) {
        layout.hasKey = true;
        const int maximum = (1 << format.bitDepth) - 1;
        for (int& value : layout.key)
            value = static_cast<int>(generator() % (maximum + 1));
    }
    return layout;
}

// Writes the image with libpng, decodes it with both, and compares every pixel.
void expectSameAsLibpng(const PngLayout& layout, std::vector<unsigned char> rows, const std::string& name)
{
    SCOPED_TRACE(name);
    // Make keyed pixels occur: copy the key into a few samples (8-bit grey and RGB only).
    if (layout.hasKey && layout.bitDepth == 8) {
        const int channels = layout.colorType == 2 ? 3 : 1;
        for (std::size_t pixel = 0; pixel + channels <= rows.size(); pixel += static_cast<std::size_t>(channels) * 3)
            for (int c = 0; c < channels; ++c)
                rows[pixel + static_cast<std::size_t>(c)] = static_cast<unsigned char>(layout.key[c]);
    }
    const std::string path = testFilePath(name + ".png");
    ASSERT_TRUE(writePngWithLibpng(path, layout, rows));
    int referenceWidth = 0;
    int referenceHeight = 0;
    std::vector<unsigned char> reference;
    ASSERT_TRUE(readPngWithLibpng(path, referenceWidth, referenceHeight, reference));

    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.result, 1);
    EXPECT_EQ(ours.inflateResult, 1);
    EXPECT_TRUE(ours.complete);
    ASSERT_EQ(ours.width, referenceWidth);
    ASSERT_EQ(ours.height, referenceHeight);
    ASSERT_EQ(ours.pixels.size(), reference.size());
    std::size_t mismatches = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < reference.size(); ++i)
        if (ours.pixels[i] != reference[i] && mismatches++ == 0)
            first = i;
    EXPECT_EQ(mismatches, 0u) << "first at pixel " << first / 4 << " channel " << first % 4;
    EXPECT_THAT(ours.printed, HasSubstr("Final Position (-1,"));
}

std::string formatName(Format format, int width, int height, bool interlaced, bool transparency)
{
    return "type" + std::to_string(format.colorType) + "_depth" + std::to_string(format.bitDepth) + "_" +
           std::to_string(width) + "x" + std::to_string(height) + (interlaced ? "_adam7" : "") +
           (transparency ? "_trns" : "");
}

} // namespace

TEST(PngAgainstLibpng, EverySupportedFormatInterlacedAndNotWithAndWithoutTransparency)
{
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {3, 2}, {4, 4}, {5, 5}, {7, 9}, {37, 23}, {64, 33}};
    unsigned seed = 1;
    for (const Format format : supportedFormats)
        for (const auto& [width, height] : sizes)
            for (const bool interlaced : {false, true})
                for (const bool transparency : {false, true}) {
                    const PngLayout layout = layoutFor(format, width, height, interlaced, transparency, seed);
                    expectSameAsLibpng(layout, randomPngRows(layout, seed),
                                       formatName(format, width, height, interlaced, transparency));
                    ++seed;
                }
}

TEST(PngAgainstLibpng, EachOfTheFiveFilterTypes)
{
    const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH};
    unsigned seed = 500;
    for (const int filter : filters)
        for (const Format format : supportedFormats)
            for (const bool interlaced : {false, true}) {
                PngLayout layout = layoutFor(format, 45, 31, interlaced, false, seed);
                layout.filters = filter;
                expectSameAsLibpng(layout, randomPngRows(layout, seed),
                                   formatName(format, 45, 31, interlaced, false) + "_filter" + std::to_string(filter));
                ++seed;
            }
}

TEST(PngAgainstLibpng, LargerImageWithManyDataChunks)
{
    PngLayout layout = layoutFor({2, 8}, 513, 301, false, false, 4);
    expectSameAsLibpng(layout, randomPngRows(layout, 4), "rgb_513x301");
    layout.interlaced = true;
    expectSameAsLibpng(layout, randomPngRows(layout, 6), "rgb_513x301_adam7");
}

TEST(PngDecoderCases, ThreeByTwoRgbGivesTwentyFourOpaqueBytesRowByRow)
{
    const std::vector<unsigned char> raw = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    const std::string path = testFilePath("rgb3x2.png");
    writeBytes(path, handmadePng(3, 2, 8, 2, 0, raw));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.result, 1);
    const std::vector<unsigned char> expected = {1,  2,  3,  255, 4,  5,  6,  255, 7,  8,  9,  255,
                                                 10, 11, 12, 255, 13, 14, 15, 255, 16, 17, 18, 255};
    EXPECT_EQ(ours.pixels, expected);
    EXPECT_THAT(ours.printed, HasSubstr("Chunk name=IHDR\nWidth=3 Height=2\nbitDepth=8\ncolorType=2\n"
                                        "compressionMethod=0\nfilterMethod=0\ninterlaceMethod=0\n"));
    EXPECT_THAT(ours.printed, HasSubstr("Final Position (-1,2)\n"));
}

TEST(PngDecoderCases, SixteenBitRgbKeepsTheHighBytes)
{
    const std::string path = testFilePath("rgb16.png");
    writeBytes(path, handmadePng(1, 1, 16, 2, 0, {0, 0x12, 0x34, 0xAB, 0xCD, 0x00, 0xFF}));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.pixels, (std::vector<unsigned char>{0x12, 0xAB, 0x00, 255}));
}

TEST(PngDecoderCases, OneBitGreyUnpacksFromTheHighBitAndIgnoresPadding)
{
    const std::string path = testFilePath("grey1.png");
    writeBytes(path, handmadePng(3, 1, 1, 0, 0, {0, 0xA0}));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.pixels, (std::vector<unsigned char>{255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}));
}

TEST(PngDecoderCases, FilterTypeAboveFourIsTakenAsNone)
{
    const std::string path = testFilePath("filter7.png");
    writeBytes(path, handmadePng(2, 2, 8, 0, 0, {7, 10, 20, 2, 1, 1}));
    const OurDecode ours = decodeWithOurs(path);
    // Row 1 uses Up: 10 + 1, 20 + 1.
    EXPECT_EQ(ours.pixels, (std::vector<unsigned char>{10, 10, 10, 255, 20, 20, 20, 255, 11, 11, 11, 255, 21, 21, 21, 255}));
}

TEST(PngDecoderCases, InterlacedEightByEightPrintsEveryPassAndTheFinalPosition)
{
    PngLayout layout = layoutFor({6, 8}, 8, 8, true, false, 77);
    const std::string path = testFilePath("rgba8x8_adam7.png");
    ASSERT_TRUE(writePngWithLibpng(path, layout, randomPngRows(layout, 77)));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_THAT(ours.printed, HasSubstr("Interlace Pass 2\nInterlace Pass 3\nInterlace Pass 4\nInterlace Pass 5\n"
                                        "Interlace Pass 6\nInterlace Pass 7\nInterlace Pass 8\n"));
    EXPECT_THAT(ours.printed, HasSubstr("Final Position (-1,0)\n"));
}

TEST(PngDecoderCases, UnsupportedCombinationsLeaveAnEmptyImage)
{
    const Format unsupported[] = {{0, 3}, {2, 1}, {2, 4}, {3, 16}, {4, 4}, {6, 4}, {5, 8}, {7, 8}};
    for (const Format format : unsupported) {
        SCOPED_TRACE(format.colorType * 100 + format.bitDepth);
        const std::string path = testFilePath("unsupported.png");
        writeBytes(path, handmadePng(4, 4, format.bitDepth, format.colorType, 0, std::vector<unsigned char>(200, 0)));
        const OurDecode ours = decodeWithOurs(path);
        EXPECT_EQ(ours.result, 1);
        EXPECT_THAT(ours.printed, HasSubstr("Unsupported colorType-bitDepth combination.\n"));
        EXPECT_EQ(ours.width, 0);
        EXPECT_EQ(ours.height, 0);
        EXPECT_TRUE(ours.pixels.empty());
        EXPECT_EQ(ours.inflateResult, -1);
    }
}

TEST(PngDecoderCases, AChunkWhoseCrcDoesNotMatchIsRefusedByName)
{
    std::vector<unsigned char> bytes = handmadePng(2, 2, 8, 0, 0, {0, 1, 2, 0, 3, 4});
    const std::string path = testFilePath("bad_crc.png");
    bytes[8 + 8 + 13] ^= 0x01; // the first byte of IHDR's CRC
    writeBytes(path, bytes);
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.result, -1);
    EXPECT_EQ(ours.width, 0);
    EXPECT_THAT(ours.printed, HasSubstr("Chunk IHDR has a bad CRC ("));
}

TEST(PngDecoderCases, PaletteIndexBeyondThePaletteLeavesAZeroPixel)
{
    // Two entries; the second and fourth pixels ask for entries 2 and 255.
    const std::vector<unsigned char> palette = {10, 20, 30, 40, 50, 60};
    const std::string path = testFilePath("palette_range.png");
    writeBytes(path, handmadePng(4, 1, 8, 3, 0, {0, 1, 2, 0, 255}, {{"PLTE", palette}, {"tRNS", {128}}}));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_THAT(ours.printed, HasSubstr("2 palette entries\n"));
    EXPECT_EQ(ours.pixels, (std::vector<unsigned char>{40, 50, 60, 255, 0, 0, 0, 0, 10, 20, 30, 128, 0, 0, 0, 0}));
}

TEST(PngDecoderCases, GammaIsReadAndPrinted)
{
    const std::string path = testFilePath("gamma.png");
    writeBytes(path, handmadePng(1, 1, 8, 0, 0, {0, 9}, {{"gAMA", {0, 0, 0xB1, 0x8F}}}));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_THAT(ours.printed, HasSubstr("Gamma 45455 (default=100000)\n"));
    EXPECT_EQ(ours.pixels, (std::vector<unsigned char>{9, 9, 9, 255}));
}

TEST(PngDecoderCases, DataAfterTheLastLineIsIgnored)
{
    const std::string path = testFilePath("extra.png");
    writeBytes(path, handmadePng(1, 1, 8, 0, 0, {0, 77, 0, 1, 2, 3}));
    const OurDecode ours = decodeWithOurs(path);
    EXPECT_EQ(ours.pixels, (std::vector<unsigned char>{77, 77, 77, 255}));
    EXPECT_TRUE(ours.complete);
    EXPECT_EQ(ours.inflateResult, 0);
}
