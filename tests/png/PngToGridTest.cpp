// The PNG-to-grid conversion: byte-exact text, the cell size a grid reader gets back,
// refusal of files that do not decode, and a real terrain through an independent
// encoder and back.
#include "PngTestSupport.h"

#include "diagnostics/CollectingSink.h"
#include "png/PngGridText.h"
#include "png/PngToGrid.h"

#include <gmock/gmock.h>

#include <QFile>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

using testing::HasSubstr;
using testing::StartsWith;

std::string fileText(const std::string& path)
{
    const std::vector<unsigned char> bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> tokens(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> all;
    for (std::string token; in >> token;)
        all.push_back(token);
    return all;
}

std::string printfValue(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%1.2f ", static_cast<double>(value));
    return text;
}

bool convert(const std::string& png, const std::string& grid, QString& error)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const bool converted = convertPngToGrid(QString::fromStdString(png), QString::fromStdString(grid), error);
    return converted;
}

} // namespace

TEST(PngToGrid, WhiteAndBlackPixelsGiveTheExactText)
{
    const std::string png = testFilePath("white_black.png");
    writeBytes(png, handmadePng(2, 1, 8, 2, 0, {0, 255, 255, 255, 0, 0, 0}));
    const std::string grid = testFilePath("white_black.grd");
    QString error;
    ASSERT_TRUE(convert(png, grid, error)) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(fileText(grid), "ncols\t2\nnrows\t1\nxllcorner\t0\nyllcorner\t0\nxdim\t0.002700000070035458\n"
                              "ydim\t0.002700000070035458\nNODATA_value\t-9999\n1000.00 0.00 \n");
}

TEST(PngToGrid, CellSizeReadsBackAs291Metres)
{
    const std::string png = testFilePath("cell.png");
    writeBytes(png, handmadePng(3, 2, 8, 0, 0, {0, 1, 2, 3, 0, 4, 5, 6}));
    const std::string grid = testFilePath("cell.grd");
    QString error;
    ASSERT_TRUE(convert(png, grid, error));
    // The grid reader counts tokens: width 2nd, height 4th, cell size 10th, heights from the 15th.
    const std::vector<std::string> all = tokens(fileText(grid));
    ASSERT_EQ(all.size(), 14u + 6u);
    EXPECT_EQ(all[1], "3");
    EXPECT_EQ(all[3], "2");
    EXPECT_EQ(static_cast<float>(std::floor(std::stod(all[9]) * 108000.0)), 291.0f);
}

TEST(PngToGrid, ValuesAreWrittenExactlyAsPrintfWrites)
{
    std::string text;
    for (int grey = 0; grey < 256; ++grey) {
        const auto g = static_cast<unsigned char>(grey);
        text.clear();
        appendGridValue(text, pngPixelHeight(g, g, g));
        ASSERT_EQ(text, printfValue(pngPixelHeight(g, g, g))) << grey;
    }
    std::mt19937 generator(8);
    for (int i = 0; i < 200000; ++i) {
        const auto r = static_cast<unsigned char>(generator());
        const auto g = static_cast<unsigned char>(generator());
        const auto b = static_cast<unsigned char>(generator());
        text.clear();
        appendGridValue(text, pngPixelHeight(r, g, b));
        ASSERT_EQ(text, printfValue(pngPixelHeight(r, g, b)));
    }
    // Ties in decimal and far-off values, too.
    for (const float value : {0.125f, 0.375f, 2.675f, 0.005f, 1e-3f, 12345.675f, 1e30f, -0.0f}) {
        text.clear();
        appendGridValue(text, value);
        EXPECT_EQ(text, printfValue(value));
    }
}

TEST(PngToGrid, LuminanceUsesTheSinglePrecisionFactors)
{
    EXPECT_EQ(printfValue(pngPixelHeight(255, 255, 255)), "1000.00 ");
    EXPECT_EQ(pngPixelHeight(0, 0, 0), 0.0f);
    const float expected = (0.299f * 10 + 0.587f * 20 + 0.114f * 30) * 3.9215686f;
    EXPECT_EQ(pngPixelHeight(10, 20, 30), expected);
    // Green weighs most, blue least.
    EXPECT_GT(pngPixelHeight(0, 100, 0), pngPixelHeight(100, 0, 0));
    EXPECT_GT(pngPixelHeight(100, 0, 0), pngPixelHeight(0, 0, 100));
}

TEST(PngToGrid, InMemoryTextEqualsTheFile)
{
    PngLayout layout;
    layout.width = 33;
    layout.height = 17;
    layout.colorType = 6;
    const std::string png = testFilePath("memory.png");
    ASSERT_TRUE(writePngWithLibpng(png, layout, randomPngRows(layout, 12)));
    const std::string grid = testFilePath("memory.grd");
    QString error;
    ASSERT_TRUE(convert(png, grid, error));

    PngHeightImage image;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const bool read = readPngHeightImage(QString::fromStdString(png), image, error);
    ASSERT_TRUE(read);
    EXPECT_TRUE(image.complete);
    EXPECT_EQ(image.width, 33);
    EXPECT_EQ(image.height, 17);
    ASSERT_EQ(image.heights.size(), 17u);
    EXPECT_EQ(pngGridText(image), fileText(grid));
    // No final empty line: the text ends with the last row's newline.
    const std::string text = fileText(grid);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text[text.size() - 2], '\n');
}

TEST(PngToGrid, FilesThatDoNotDecodeAreRefusedWithoutWritingAFile)
{
    struct BadFile {
        std::string name;
        std::vector<unsigned char> bytes;
        std::string reason; // given with the refusal, also where the decoder's lines are silenced
    };
    std::vector<BadFile> bad;
    const std::string text = "ncols 1\n";
    bad.push_back({"text.png", std::vector<unsigned char>(text.begin(), text.end()),
                   "The file does not have PNG signature."});
    bad.push_back({"grey3.png", handmadePng(2, 2, 3, 0, 0, std::vector<unsigned char>(10, 0)),
                   "Unsupported colorType-bitDepth combination."});
    bad.push_back({"huge.png", handmadePng(2148, 1000000, 8, 2, 0, std::vector<unsigned char>(50, 0)),
                   "Image size 2148 x 1000000 is not supported"});
    std::vector<unsigned char> noData = handmadePng(2, 2, 8, 0, 0, {0, 1, 2, 0, 3, 4});
    noData.resize(33); // signature and IHDR only
    bad.push_back({"nodata.png", noData, "Buffer overflow"});
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    for (const auto& [name, bytes, reason] : bad) {
        SCOPED_TRACE(name);
        const std::string png = testFilePath(name);
        writeBytes(png, bytes);
        const std::string grid = testFilePath(name + ".grd");
        std::remove(grid.c_str());
        QString error;
        EXPECT_FALSE(convert(png, grid, error));
        EXPECT_THAT(error.toStdString(), StartsWith("Could not decode the PNG file " + png + ": " + reason));
        EXPECT_FALSE(QFile::exists(QString::fromStdString(grid)));
    }
    QString error;
    EXPECT_FALSE(convert(testFilePath("missing.png"), testFilePath("missing.grd"), error));
    EXPECT_THAT(error.toStdString(), HasSubstr("Could not decode the PNG file "));

    // An existing grid is left as it was.
    const std::string keep = testFilePath("keep.grd");
    writeBytes(keep, {'o', 'l', 'd'});
    EXPECT_FALSE(convert(testFilePath("text.png"), keep, error));
    EXPECT_EQ(fileText(keep), "old");
}

TEST(PngToGrid, UnwritableOutputIsReported)
{
    const std::string png = testFilePath("ok.png");
    writeBytes(png, handmadePng(1, 1, 8, 0, 0, {0, 128}));
    const std::string grid = testFilePath("no_such_folder/out.grd");
    QString error;
    EXPECT_FALSE(convert(png, grid, error));
    EXPECT_EQ(error.toStdString(), "Error when attempting to write to " + grid);
}

TEST(PngToGrid, CutShortImageIsConvertedWithZerosAndFlagged)
{
    PngLayout layout;
    layout.width = 64;
    layout.height = 64;
    layout.colorType = 2;
    const std::string full = testFilePath("cut_full.png");
    ASSERT_TRUE(writePngWithLibpng(full, layout, randomPngRows(layout, 1)));
    std::vector<unsigned char> bytes = readBytes(full);
    // Keep the first data chunk (libpng writes them 8192 bytes long) and cut the rest.
    ASSERT_GT(bytes.size(), 9000u);
    bytes.resize(bytes.size() - 3000);
    const std::string png = testFilePath("cut.png");
    writeBytes(png, bytes);

    PngHeightImage image;
    QString error;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const bool read = readPngHeightImage(QString::fromStdString(png), image, error);
    ASSERT_TRUE(read);
    EXPECT_FALSE(image.complete);
    EXPECT_GT(image.heights[0][0], 0.0f);
    EXPECT_EQ(image.heights[63][63], 0.0f);
}

TEST(PngToGrid, GridFileNameGetsItsExtensionOnce)
{
    EXPECT_EQ(gridFileNameFor("terrain"), "terrain.grd");
    EXPECT_EQ(gridFileNameFor("terrain.grd"), "terrain.grd");
    EXPECT_EQ(gridFileNameFor("a.grd.backup"), "a.grd.backup");
    EXPECT_EQ(gridFileNameFor("TERRAIN.GRD"), "TERRAIN.GRD.grd");
}

TEST(PngToGrid, SampleTerrainThroughAnIndependentEncoderAndBack)
{
    // The sample DEM, scaled to 8-bit grey and written by libpng, converts back to a
    // grid of the same size whose heights are the grey levels' luminance heights.
    std::ifstream in(std::string(TALVANE_TEST_DATA) + "/jacksboro.grd");
    ASSERT_TRUE(in.good());
    std::string key;
    int width = 0;
    int height = 0;
    in >> key >> width >> key >> height;
    for (int i = 0; i < 10; ++i)
        in >> key;
    std::vector<float> dem(static_cast<std::size_t>(width) * height);
    for (float& value : dem)
        ASSERT_TRUE(in >> value);
    const auto [low, high] = std::minmax_element(dem.begin(), dem.end());
    const float minimum = *low;
    const float maximum = *high;
    ASSERT_GT(maximum, minimum);

    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.colorType = 0;
    layout.bitDepth = 8;
    std::vector<unsigned char> greys(dem.size());
    for (std::size_t i = 0; i < dem.size(); ++i)
        greys[i] = static_cast<unsigned char>(std::lround((dem[i] - minimum) / (maximum - minimum) * 255.0f));
    const std::string png = testFilePath("jacksboro.png");
    ASSERT_TRUE(writePngWithLibpng(png, layout, greys));

    const std::string grid = testFilePath("jacksboro_back.grd");
    QString error;
    ASSERT_TRUE(convert(png, grid, error)) << error.toStdString();
    const std::vector<std::string> all = tokens(fileText(grid));
    ASSERT_EQ(all.size(), 14u + dem.size());
    EXPECT_EQ(std::stoi(all[1]), width);
    EXPECT_EQ(std::stoi(all[3]), height);
    std::vector<float> back(dem.size());
    for (std::size_t i = 0; i < dem.size(); ++i) {
        back[i] = std::stof(all[14 + i]);
        ASSERT_EQ(all[14 + i] + " ", printfValue(pngPixelHeight(greys[i], greys[i], greys[i]))) << i;
    }
    // Heights follow the terrain: order is kept wherever the grey levels differ.
    std::mt19937 generator(2);
    for (int trial = 0; trial < 20000; ++trial) {
        const std::size_t a = generator() % dem.size();
        const std::size_t b = generator() % dem.size();
        if (dem[a] < dem[b]) {
            ASSERT_LE(back[a], back[b]);
        }
    }
    EXPECT_NEAR(*std::max_element(back.begin(), back.end()), 1000.0f, 0.01f);
    EXPECT_EQ(*std::min_element(back.begin(), back.end()), 0.0f);
}
