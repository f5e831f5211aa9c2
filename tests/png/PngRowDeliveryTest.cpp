// Rows handed over one by one as they are decoded (PngRowSink) against the whole decoded
// image, and the conversion that writes them while the rest is decoded against the plain
// text of the same image.
#include <tbb/task_arena.h> // before Qt, whose emit macro it would trip over

#include "PngTestSupport.h"

#include "diagnostics/CollectingSink.h"
#include "png/PngToGrid.h"

#include <QFile>

namespace {

// Every row as it came, and the order it came in.
class CollectedRows : public PngRowSink {
public:
    void startRows(int imageWidth, int, bool) override { width = static_cast<std::size_t>(imageWidth); }

    void takeRow(int row, const unsigned char* rgba, const std::uint16_t* grey16) override
    {
        order.push_back(row);
        pixels.insert(pixels.end(), rgba, rgba + 4 * width);
        if (grey16 != nullptr)
            greySamples16.insert(greySamples16.end(), grey16, grey16 + width);
    }

    std::size_t width = 0;
    std::vector<int> order;
    std::vector<unsigned char> pixels;
    std::vector<std::uint16_t> greySamples16;
};

void expectRowsEqualTheWholeImage(const std::string& path)
{
    SCOPED_TRACE(path);
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    PngImageDecoder whole;
    const int wholeResult = whole.decodeFile(QString::fromStdString(path));

    PngImageDecoder byRows;
    CollectedRows rows;
    byRows.deliverRowsTo(rows);
    EXPECT_EQ(byRows.decodeFile(QString::fromStdString(path)), wholeResult);
    EXPECT_EQ(byRows.imageWidth, whole.imageWidth);
    EXPECT_EQ(byRows.imageHeight, whole.imageHeight);
    EXPECT_EQ(byRows.imageComplete(), whole.imageComplete());
    EXPECT_EQ(byRows.pixelsWritten(), whole.pixelsWritten());
    std::vector<int> everyRow(static_cast<std::size_t>(whole.imageHeight));
    for (std::size_t row = 0; row < everyRow.size(); ++row)
        everyRow[row] = static_cast<int>(row);
    EXPECT_EQ(rows.order, everyRow);
    EXPECT_TRUE(rows.pixels == whole.pixels);
    EXPECT_TRUE(rows.greySamples16 == whole.greySamples16);
}

std::string fileText(const std::string& path)
{
    const std::vector<unsigned char> bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The text pngGridText makes of the image read whole, on one thread.
std::string plainGridText(const std::string& png)
{
    PngHeightImage image;
    QString error;
    EXPECT_TRUE(readPngHeightImage(QString::fromStdString(png), image, error)) << error.toStdString();
    return pngGridText(image);
}

std::vector<unsigned char> cutShort(const std::string& path, std::size_t bytesLeftOut)
{
    std::vector<unsigned char> bytes = readBytes(path);
    bytes.resize(bytes.size() - bytesLeftOut);
    return bytes;
}

} // namespace

TEST(PngRowDelivery, RowsEqualTheWholeImageInEveryFormat)
{
    const std::pair<int, int> formats[] = {{0, 1}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16},
                                           {3, 2}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    unsigned seed = 40;
    for (const auto& [colorType, bitDepth] : formats)
        for (const bool interlaced : {false, true}) {
            PngLayout layout;
            layout.width = 37;
            layout.height = 23;
            layout.colorType = colorType;
            layout.bitDepth = bitDepth;
            layout.interlaced = interlaced;
            if (colorType == 3)
                for (int i = 0; i < 3 << bitDepth; ++i)
                    layout.palette.push_back(static_cast<unsigned char>(i * 7));
            const std::string path = testFilePath("rows_" + std::to_string(colorType) + "_" + std::to_string(bitDepth)
                                                  + (interlaced ? "_adam7" : "") + ".png");
            ASSERT_TRUE(writePngWithLibpng(path, layout, randomPngRows(layout, ++seed)));
            expectRowsEqualTheWholeImage(path);
        }
}

TEST(PngRowDelivery, UnwrittenPixelsAndRowsNeverReachedAreZeros)
{
    // Palette indices 2 and 3 lie beyond the two entries: those pixels are never written.
    const std::string palette = testFilePath("rows_short_palette.png");
    writeBytes(palette, handmadePng(3, 2, 8, 3, 0, {0, 0, 2, 1, 0, 3, 1, 0},
                                    {{"PLTE", {10, 20, 30, 40, 50, 60}}}));
    expectRowsEqualTheWholeImage(palette);

    // Data cut off in the middle of a row, interlaced or not.
    for (const bool interlaced : {false, true}) {
        PngLayout layout;
        layout.width = 64;
        layout.height = 64;
        layout.colorType = 2;
        layout.interlaced = interlaced;
        const std::string full = testFilePath(interlaced ? "rows_full_adam7.png" : "rows_full.png");
        ASSERT_TRUE(writePngWithLibpng(full, layout, randomPngRows(layout, 3)));
        const std::string cut = testFilePath(interlaced ? "rows_cut_adam7.png" : "rows_cut.png");
        writeBytes(cut, cutShort(full, 3000));
        expectRowsEqualTheWholeImage(cut);
    }
}

TEST(PngRowDelivery, ConversionWhileDecodingWritesThePlainText)
{
    // Wide and tall enough that the rows pass through the ring between the decoder and
    // the writer several times over.
    PngLayout layout;
    layout.width = 2100;
    layout.height = 600;
    layout.colorType = 0;
    const std::string png = testFilePath("rows_large.png");
    ASSERT_TRUE(writePngWithLibpng(png, layout, randomPngRows(layout, 9)));
    const std::string cut = testFilePath("rows_large_cut.png");
    writeBytes(cut, cutShort(png, readBytes(png).size() / 3));

    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    for (const std::string& image : {png, cut}) {
        SCOPED_TRACE(image);
        const std::string expected = plainGridText(image);
        const std::string grid = image + ".grd";
        QString error;
        ASSERT_TRUE(convertPngToGrid(QString::fromStdString(image), QString::fromStdString(grid), error))
            << error.toStdString();
        EXPECT_TRUE(fileText(grid) == expected);

        // With one thread to write on, the writer and the decoder still never wait for each other.
        QFile::remove(QString::fromStdString(grid));
        tbb::task_arena oneThread(1);
        bool converted = false;
        oneThread.execute([&] {
            converted = convertPngToGrid(QString::fromStdString(image), QString::fromStdString(grid), error);
        });
        ASSERT_TRUE(converted) << error.toStdString();
        EXPECT_TRUE(fileText(grid) == expected);
    }
}
