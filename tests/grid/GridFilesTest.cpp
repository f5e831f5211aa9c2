#include "GridFilesTestSupport.h"

#include "diagnostics/CollectingSink.h"
#include "grid/CellSize.h"
#include "grid/FixedFormat.h"
#include "grid/GridExport.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

// Reading and writing terrains: round trips, the real DEM in both formats, split
// files, OBJ meshes, and grids written by other tools.

namespace {

std::string printfText(const char* format, double value)
{
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The ASCII grid as printf would write it, value by value.
std::string printfGrid(const VeskGrid& grid)
{
    std::string text = "ncols\t" + std::to_string(grid.width) + "\nnrows\t" + std::to_string(grid.height)
        + "\nxllcorner\t0\nyllcorner\t0\n";
    const double degrees = static_cast<double>(grid.cellSize) * 9.259259259259259e-6;
    text += "xdim\t" + printfText("%1.18f", degrees) + "\nydim\t" + printfText("%1.18f", degrees) + "\n";
    text += "NODATA_value\t-9999\n";
    for (const auto& row : grid.heights) {
        for (const float value : row)
            text += printfText("%1.2f ", value);
        text += "\n";
    }
    return text + "\n";
}

bool loadQuietly(VeskGrid& grid, const QString& fileName, bool binary = false)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const bool loaded = binary ? grid.loadFLTFile(fileName) : grid.loadGRDFile(fileName);
    return loaded;
}

std::string bigEndianBytes(const std::vector<float>& values)
{
    std::string bytes;
    for (const float value : values) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<char>((bits >> shift) & 0xff));
    }
    return bytes;
}

std::string littleEndianBytes(const std::vector<float>& values)
{
    std::string bytes;
    for (const float value : values) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        for (int shift = 0; shift <= 24; shift += 8)
            bytes.push_back(static_cast<char>((bits >> shift) & 0xff));
    }
    return bytes;
}

} // namespace

// --- Number formatting -------------------------------------------------------------

TEST(FixedFormatTest, MatchesPrintfForEveryPrecisionInUse)
{
    std::vector<double> values{0.0, -0.0, 0.005, 0.015, 0.125, 0.375, 2.675, 1.005, -0.001, -0.004999,
                               -1.5, 1e-300, 123456.785, 9999.995, -9999.0, 1e20, 3.4e38, 1e300,
                               9.259259259259259e-6, 0.000833333333333333, 90.0 * 9.259259259259259e-6,
                               std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 generator(11);
    std::uniform_real_distribution<float> heights(-10000.0f, 10000.0f);
    std::uniform_int_distribution<int> hundredths(-1000000, 1000000);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(heights(generator));
        values.push_back(hundredths(generator) / 100.0 + 0.005); // ties and near-ties at two decimals
        values.push_back(static_cast<float>(hundredths(generator) / 1000.0 + 0.0005));
        values.push_back(std::bit_cast<double>(generator()));
    }
    for (const auto& [decimals, format] : std::vector<std::pair<int, const char*>>{{2, "%1.2f"}, {3, "%1.3f"}, {18, "%1.18f"}}) {
        for (const double value : values) {
            char text[512];
            char* end = formatFixed(text, text + sizeof text, value, decimals);
            ASSERT_NE(end, nullptr);
            ASSERT_EQ(std::string(text, end), printfText(format, value)) << format << " of " << value;
        }
    }
}

TEST(FixedFormatTest, SinglePrecisionPathMatchesPrintfOnEveryKindOfFloat)
{
    std::vector<float> values{0.0f, -0.0f, 0.125f, -0.125f, 0.375f, 2.675f, 0.005f, -0.004f, 0.0625f, 1.0625f,
                              1e-45f, -1e-45f, 1.17549435e-38f, 17592186044415.0f, 17592186044416.0f,
                              17592186044417.0f, 3.4028235e38f, -3.4028235e38f, 8388607.5f, 16777215.0f,
                              99999.99f, 100000.0f, 999999.94f, -999999.94f, 1000000.0f, 9999999.0f, 10000000.0f,
                              99999999.0f, 100000000.0f,
                              std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
                              -std::numeric_limits<float>::quiet_NaN()};
    std::mt19937 generator(3);
    std::uniform_int_distribution<std::uint32_t> anyBits;
    std::uniform_int_distribution<int> thousandths(-20000000, 20000000);
    for (int i = 0; i < 200000; ++i) {
        values.push_back(std::bit_cast<float>(anyBits(generator)));
        values.push_back(static_cast<float>(thousandths(generator)) / 1000.0f + 0.0005f);
        values.push_back(static_cast<float>(thousandths(generator) / 8) * 0.125f); // exact ties at two decimals
    }
    for (const int decimals : {0, 1, 2, 3}) {
        const std::string format = "%1." + std::to_string(decimals) + "f";
        for (const float value : values) {
            char text[512];
            char* end = formatFixed(text, text + sizeof text, value, decimals);
            ASSERT_NE(end, nullptr);
            ASSERT_EQ(std::string(text, end), printfText(format.c_str(), value))
                << format << " of " << std::bit_cast<std::uint32_t>(value);
        }
    }
}

// --- Cell size ---------------------------------------------------------------------

TEST(CellSizeTest, EveryWholeMetreSurvivesPrintingInDoubleAndSinglePrecision)
{
    for (int metres = 1; metres <= 20000; ++metres) {
        const double degrees = degreesFromCellSize(static_cast<float>(metres));
        const double printed = std::stod(printfText("%1.18f", degrees));
        ASSERT_EQ(cellSizeFromDegrees(printed), static_cast<float>(metres)) << metres << " m";
        const double printedSingle = std::stod(printfText("%1.18f", static_cast<float>(degrees)));
        ASSERT_EQ(cellSizeFromDegrees(printedSingle), static_cast<float>(metres)) << metres << " m, single";
    }
}

TEST(CellSizeTest, GenuineFractionsStillRoundDown)
{
    EXPECT_EQ(cellSizeFromDegrees(0.0027), 291.0f);
    EXPECT_EQ(cellSizeFromDegrees(0.000833333333333333), 90.0f); // 89.99999999999996
    EXPECT_EQ(cellSizeFromDegrees(0.000370370370370370), 40.0f); // 39.99999999999996
    EXPECT_EQ(cellSizeFromDegrees(0.0003703), 39.0f);
    EXPECT_EQ(cellSizeFromDegrees(90.5 / 108000.0), 90.0f);
    EXPECT_EQ(cellSizeFromDegrees(-9.259259259259e-6), -1.0f); // an unset size written and read back
}

// --- ASCII grids -------------------------------------------------------------------

class GridFilesTest : public GridFilesTempDirTest {};

TEST_F(GridFilesTest, RealDemLoadsWithItsSummary)
{
    VeskGrid grid;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(grid.loadGRDFile(testDataPath("jacksboro.grd")));
    const std::string output = messages.take();

    EXPECT_EQ(output.rfind("Loading file\nLoading ASCII Grid File\nfrequency sampled is 90.000\n", 0), 0u) << output;
    EXPECT_NE(output.find("\nGrid is 403 X 344 .\nThere are a total of 138632 height values\n"), std::string::npos);
    EXPECT_NE(output.find("Min = "), std::string::npos);
    EXPECT_NE(output.find("------------------------\n"), std::string::npos);
    EXPECT_TRUE(grid.hasData);
    EXPECT_FALSE(grid.normalsValid) << "the loader leaves the normals to their first use";
    EXPECT_TRUE(grid.normals.empty());
    EXPECT_FALSE(grid.surfaceValid);
    EXPECT_TRUE(grid.lastError.isEmpty());
    EXPECT_EQ(grid.width, 403);
    EXPECT_EQ(grid.height, 344);
    EXPECT_EQ(grid.cellSize, 90.0f);
    EXPECT_EQ(grid.heights[0][0], 483.0f);
    EXPECT_EQ(grid.heights[0][1], 487.0f);
    EXPECT_EQ(grid.heights[1][0], 475.0f);
    EXPECT_EQ(grid.name, testDataPath("jacksboro.grd").remove(QLatin1Char('.')));

    // The statistics agree with a plain pass over the heights.
    float smallest = 1e10f, largest = -1e10f;
    double sum = 0.0;
    for (const auto& row : grid.heights)
        for (const float value : row) {
            smallest = std::min(smallest, value);
            largest = std::max(largest, value);
            sum += value;
        }
    EXPECT_EQ(grid.minHeight, smallest);
    EXPECT_EQ(grid.maxHeight, largest);
    EXPECT_FLOAT_EQ(grid.averageHeight, static_cast<float>(sum / (403.0 * 344.0)));
}

TEST_F(GridFilesTest, RealDemRoundTripKeepsHeightsAndCellSizeAndIsByteExact)
{
    VeskGrid original;
    ASSERT_TRUE(loadQuietly(original, testDataPath("jacksboro.grd")));

    QString fileName = path("copy.grd");
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(original.writeTerrain(fileName));
    const std::string output = messages.take();
    EXPECT_EQ(fileName, path("copy.grd"));
    EXPECT_EQ(output, "Details file " + path("copy.grd").toStdString() + " has been written successfully\n");
    EXPECT_EQ(readWholeFile(fileName), printfGrid(original));

    VeskGrid copy;
    ASSERT_TRUE(loadQuietly(copy, fileName));
    EXPECT_EQ(copy.width, original.width);
    EXPECT_EQ(copy.height, original.height);
    EXPECT_EQ(copy.cellSize, original.cellSize);
    EXPECT_EQ(copy.heights, original.heights);
}

TEST_F(GridFilesTest, RoundTripKeepsHeightsToTwoDecimalsAndAwkwardCellSizes)
{
    std::mt19937 generator(5);
    std::uniform_real_distribution<float> height(-50.0f, 3000.0f);
    for (const float cellSize : {5.0f, 20.0f, 25.0f, 40.0f, 90.0f, 120.0f, 160.0f, 240.0f, 291.0f}) {
        VeskGrid grid = makeGrid(13, 7, [&](int, int) { return height(generator); }, cellSize);
        QString fileName = path("cell.grd");
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        ASSERT_TRUE(grid.writeTerrain(fileName));
        VeskGrid copy;
        ASSERT_TRUE(loadQuietly(copy, fileName));
        EXPECT_EQ(copy.cellSize, cellSize);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 13; ++col)
                ASSERT_EQ(copy.heights[row][col],
                          static_cast<float>(std::stod(printfText("%1.2f", grid.heights[row][col]))))
                    << cellSize;
    }
}

TEST_F(GridFilesTest, LargeFileReadAcrossManyBlocksRoundTrips)
{
    // Over 2 MB of text, read in several blocks.
    std::mt19937 generator(17);
    std::uniform_real_distribution<float> height(-9999.0f, 99999.0f);
    VeskGrid grid = makeGrid(600, 500, [&](int, int) { return height(generator); }, 30.0f);
    QString fileName = path("large.grd");
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(grid.writeTerrain(fileName));
    ASSERT_GT(std::filesystem::file_size(fileName.toStdString()), 2u << 20);

    VeskGrid copy;
    ASSERT_TRUE(loadQuietly(copy, fileName));
    ASSERT_EQ(copy.width, 600);
    ASSERT_EQ(copy.height, 500);
    for (int row = 0; row < 500; ++row)
        for (int col = 0; col < 600; ++col)
            ASSERT_EQ(copy.heights[row][col],
                      static_cast<float>(std::stod(printfText("%1.2f", grid.heights[row][col]))))
                << row << "," << col;
}

TEST_F(GridFilesTest, NameDropsDotsAndNamesTheWrittenFileWhenGivenNoGrdName)
{
    writeTextFile(path("terrain.grd"), "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\nxdim 0.000833333333333333\n"
                                       "ydim 0.000833333333333333\nNODATA_value -9999\n1 2\n3 4\n");
    VeskGrid grid;
    ASSERT_TRUE(loadQuietly(grid, path("terrain.grd")));
    EXPECT_EQ(grid.name, path("terraingrd"));

    QString fileName = QStringLiteral("anything");
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(grid.writeTerrain(fileName));
    EXPECT_EQ(fileName, path("terraingrd_w2_h2.grd"));
    EXPECT_EQ(readWholeFile(fileName), "ncols\t2\nnrows\t2\nxllcorner\t0\nyllcorner\t0\n"
                                       "xdim\t0.000833333333333333\nydim\t0.000833333333333333\n"
                                       "NODATA_value\t-9999\n1.00 2.00 \n3.00 4.00 \n\n");
}

TEST_F(GridFilesTest, LastValueWithoutTrailingSpaceIsKept)
{
    writeTextFile(path("tight.grd"), "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\nxdim 0.000277777777777778\n"
                                     "ydim 0.000277777777777778\nNODATA_value -9999\n1 2 3\n4 5 6");
    VeskGrid grid;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(grid.loadGRDFile(path("tight.grd")));
    const std::string output = messages.take();
    EXPECT_EQ(output.find("Premature end"), std::string::npos);
    EXPECT_EQ(grid.heights[1][2], 6.0f);
    EXPECT_EQ(grid.cellSize, 30.0f);
}

TEST_F(GridFilesTest, NoDataValuesAreStoredButLeftOutOfMeanAndMinimum)
{
    writeTextFile(path("holes.grd"), "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\nxdim 0.001\nydim 0.001\n"
                                     "NODATA_value -9999\n10 -9999\n20 30\n");
    VeskGrid grid;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(grid.loadGRDFile(path("holes.grd")));
    const std::string output = messages.take();
    EXPECT_EQ(grid.heights[0][1], -9999.0f);
    EXPECT_EQ(grid.averageHeight, 20.0f);
    EXPECT_EQ(grid.minHeight, 10.0f);
    EXPECT_EQ(grid.maxHeight, 30.0f);
    EXPECT_EQ(grid.cellSize, 108.0f);
    // The printed average divides the valid sum by every value.
    EXPECT_NE(output.find("Average height: 15.000\n"), std::string::npos) << output;
}

TEST_F(GridFilesTest, EachLoadStartsItsStatisticsAfresh)
{
    writeTextFile(path("high.grd"), "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\nxdim 0.001\nydim 0.001\n"
                                    "NODATA_value -9999\n1000 2000\n");
    writeTextFile(path("low.grd"), "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\nxdim 0.001\nydim 0.001\n"
                                   "NODATA_value -9999\n1500 1600\n");
    writeTextFile(path("sea.grd"), "ncols 3\nnrows 1\nxllcorner 0\nyllcorner 0\nxdim 0.001\nydim 0.001\n"
                                   "NODATA_value -9999\n-40 -9999 -12.5\n");
    VeskGrid grid;
    ASSERT_TRUE(loadQuietly(grid, path("high.grd")));
    ASSERT_TRUE(loadQuietly(grid, path("low.grd")));
    EXPECT_EQ(grid.minHeight, 1500.0f);
    EXPECT_EQ(grid.maxHeight, 1600.0f);

    // Nothing above 0: the minimum falls back to the smallest valid height.
    ASSERT_TRUE(loadQuietly(grid, path("sea.grd")));
    EXPECT_EQ(grid.minHeight, -40.0f);
    EXPECT_EQ(grid.maxHeight, -12.5f);
    EXPECT_TRUE(std::isfinite(grid.averageHeight));
    EXPECT_FLOAT_EQ(grid.averageHeight, -26.25f);
}

TEST_F(GridFilesTest, LoadingDiscardsTheDetailStack)
{
    VeskGrid grid;
    grid.details.push_back(FloatMatrix(1, std::vector<float>(1, 1.0f)));
    ASSERT_TRUE(loadQuietly(grid, testDataPath("jacksboro.grd")));
    EXPECT_TRUE(grid.details.empty());
}

TEST_F(GridFilesTest, StandardEsriGridIsReadByItsKeys)
{
    // Five header lines (no NODATA_value), centre origin, keys in capitals.
    writeTextFile(path("five.asc"), "NCOLS 4\nNROWS 3\nXLLCENTER -84.4\nYLLCENTER 36.4\nCELLSIZE 0.000833333333333333\n"
                                    "1 2 3 4\n5 6 7 8\n9 10 11 12\n");
    // Six lines with a no-data value, the most common form.
    writeTextFile(path("six.asc"), "ncols         4\r\nnrows         3\r\nxllcorner     -84.4\r\nyllcorner     36.4\r\n"
                                   "cellsize      0.000833333333333333\r\nNODATA_value  -9999\r\n"
                                   "1 2 3 4\r\n5 6 7 8\r\n9 10 11 12\r\n");
    // dx and dy instead of cellsize, rows before columns.
    writeTextFile(path("dxdy.asc"), "nrows 3\nncols 4\nxllcorner 0\nyllcorner 0\ndx 0.000833333333333333\n"
                                    "dy 0.000833333333333333\nNODATA_value -9999\n1 2 3 4 5 6 7 8 9 10 11 12\n");
    for (const char* fileName : {"five.asc", "six.asc", "dxdy.asc"}) {
        VeskGrid grid;
        ASSERT_TRUE(loadQuietly(grid, path(fileName))) << fileName << ": " << grid.lastError.toStdString();
        EXPECT_EQ(grid.width, 4) << fileName;
        EXPECT_EQ(grid.height, 3) << fileName;
        EXPECT_EQ(grid.cellSize, 90.0f) << fileName;
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 4; ++col)
                EXPECT_EQ(grid.heights[row][col], float(row * 4 + col + 1)) << fileName;
    }
}

TEST_F(GridFilesTest, StandardGridsDeclaredNoDataBecomesTheMarkerButTheSevenLineGridKeepsItsRule)
{
    // Standard layout: samples at the declared value are missing, whatever the value.
    writeTextFile(path("declared.asc"), "ncols 3\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 0.001\n"
                                        "NODATA_value -1.234567890123\n10 -1.234567890123 30\n");
    VeskGrid grid;
    ASSERT_TRUE(loadQuietly(grid, path("declared.asc"))) << grid.lastError.toStdString();
    EXPECT_EQ(grid.heights[0][1], -9999.0f);
    EXPECT_EQ(grid.averageHeight, 20.0f);
    EXPECT_EQ(grid.minHeight, 10.0f);

    // The seven-line grid: only -100 or less is missing, its NODATA_value line is fixed text.
    writeTextFile(path("seven.grd"), "ncols 3\nnrows 1\nxllcorner 0\nyllcorner 0\nxdim 0.001\nydim 0.001\n"
                                     "NODATA_value 5\n10 5 30\n");
    ASSERT_TRUE(loadQuietly(grid, path("seven.grd"))) << grid.lastError.toStdString();
    EXPECT_EQ(grid.heights[0][1], 5.0f);
    EXPECT_EQ(grid.minHeight, 5.0f);
}

// --- Binary float grids ------------------------------------------------------------

TEST_F(GridFilesTest, FloatGridOfTheRealDemMatchesItsAsciiTwin)
{
    VeskGrid ascii;
    VeskGrid binary;
    ASSERT_TRUE(loadQuietly(ascii, testDataPath("jacksboro.grd")));
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(binary.loadFLTFile(testDataPath("jacksboro.flt")));
    const std::string output = messages.take();

    EXPECT_EQ(output.rfind("Loading file\nLoading Binary Grid File\nfrequency sampled is 90.000\nHeader file "
                           + testDataPath("jacksboro.hdr").toStdString() + "\n",
                           0),
              0u)
        << output;
    EXPECT_EQ(binary.width, 403);
    EXPECT_EQ(binary.height, 344);
    EXPECT_EQ(binary.cellSize, ascii.cellSize);
    EXPECT_EQ(binary.heights, ascii.heights);
    EXPECT_EQ(binary.minHeight, ascii.minHeight);
    EXPECT_EQ(binary.maxHeight, ascii.maxHeight);
    EXPECT_EQ(binary.averageHeight, ascii.averageHeight);
    EXPECT_EQ(binary.name, testDataPath("jacksboro.flt").remove(QLatin1Char('.')));
}

TEST_F(GridFilesTest, KeyOrderedBigEndianFloatGridIsSwapped)
{
    const std::vector<float> values{1.5f, -2.25f, 3.0f, 400.125f, 5.0f, 6.0f, 7.0f, 8.0f};
    writeTextFile(path("bil.hdr"), "BYTEORDER      MSBFIRST\nLAYOUT         BIL\nNROWS          2\nNCOLS          4\n"
                                   "NBANDS         1\nNBITS          32\nPIXELTYPE      FLOAT\n"
                                   "XDIM           0.000277777777777778\nYDIM           0.000277777777777778\n");
    writeBinaryFile(path("bil.flt"), bigEndianBytes(values));
    VeskGrid grid;
    ASSERT_TRUE(loadQuietly(grid, path("bil.flt"), true)) << grid.lastError.toStdString();
    EXPECT_EQ(grid.width, 4);
    EXPECT_EQ(grid.height, 2);
    EXPECT_EQ(grid.cellSize, 30.0f);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(grid.heights[i / 4][i % 4], values[i]);
}

TEST_F(GridFilesTest, FloatGridHeaderIsFoundByTheSameNameItIsWrittenUnder)
{
    // Only the last extension gives way to ".hdr": a ".flt" inside a folder's name stays.
    std::filesystem::create_directories(directory / "v1.flt");
    VeskGrid written;
    written.resize(2, 2);
    written.heights = {{1.0f, 2.0f}, {3.0f, 4.0f}};
    written.cellSize = 30.0f;
    written.hasData = true;
    QString errorText;
    ASSERT_TRUE(writeGridFloat(written, path("v1.flt/dem.flt"), errorText)) << errorText.toStdString();
    ASSERT_TRUE(QFileInfo::exists(path("v1.flt/dem.hdr")));
    VeskGrid grid;
    ASSERT_TRUE(loadQuietly(grid, path("v1.flt/dem.flt"), true)) << grid.lastError.toStdString();
    EXPECT_EQ(grid.heights[1][1], 4.0f);
}

TEST_F(GridFilesTest, FloatGridIgnoresBytesAfterTheLastRow)
{
    const std::vector<float> values{1.0f, 2.0f, 3.0f, 4.0f, 99.0f};
    writeTextFile(path("extra.hdr"), "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 0.001\nNODATA_value -9999\n"
                                     "byteorder LSBFIRST\n");
    writeBinaryFile(path("extra.FLT"), littleEndianBytes(values));
    VeskGrid grid;
    ASSERT_TRUE(loadQuietly(grid, path("extra.FLT"), true)) << grid.lastError.toStdString();
    EXPECT_EQ(grid.heights[1][1], 4.0f);
    EXPECT_EQ(grid.maxHeight, 4.0f);
}

// --- Split files -------------------------------------------------------------------

TEST_F(GridFilesTest, SplitWritesTwoHalvesAndLeavesTheOddColumnInTheGrid)
{
    VeskGrid grid = makeGrid(5, 3, [](int row, int col) { return float(row * 10 + col) + 0.25f; }, 40.0f);
    grid.name = path("terraingrd");
    const FloatMatrix before = grid.heights;

    QString leftName;
    QString rightName;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(grid.writeTerrainSplit(leftName, rightName));
    const std::string output = messages.take();

    EXPECT_EQ(leftName, path("terraingrd_w2_h3LEFT.grd"));
    EXPECT_EQ(rightName, path("terraingrd_w2_h3RIGHT.grd"));
    EXPECT_EQ(output, "Details file " + leftName.toStdString() + " has been written successfully\nDetails file "
                          + rightName.toStdString() + " has been written successfully\n");
    EXPECT_EQ(grid.width, 5);
    EXPECT_EQ(grid.heights, before);

    const std::string spacing = printfText("%1.18f", static_cast<float>(40.0 * 9.259259259259259e-6));
    const std::string header = "ncols\t2\nnrows\t3\nxllcorner\t0\nyllcorner\t0\nxdim\t" + spacing + "\nydim\t" + spacing
        + "\nNODATA_value\t-9999\n";
    EXPECT_EQ(readWholeFile(leftName), header + "0.25 1.25 \n10.25 11.25 \n20.25 21.25 \n\n");
    EXPECT_EQ(readWholeFile(rightName), header + "2.25 3.25 \n12.25 13.25 \n22.25 23.25 \n\n");

    // The halves read back with the cell size intact.
    VeskGrid right;
    ASSERT_TRUE(loadQuietly(right, rightName));
    EXPECT_EQ(right.cellSize, 40.0f);
    EXPECT_EQ(right.heights[2][1], 23.25f);
}

// --- OBJ meshes --------------------------------------------------------------------

TEST_F(GridFilesTest, ObjOfThreeByTwoGrid)
{
    VeskGrid grid = makeGrid(3, 2, [](int row, int col) { return float(row * 3 + col) * 1.5f; }, 2.5f);
    ASSERT_TRUE(grid.saveOBJ(path("mesh.obj")));
    EXPECT_TRUE(grid.lastError.isEmpty());
    EXPECT_EQ(readWholeFile(path("mesh.obj")), "# A terrain obj produced by Talvane\n\n"
                                               "v 0.000 0.000 0.000\n"
                                               "v 2.500 0.000 1.500\n"
                                               "v 5.000 0.000 3.000\n"
                                               "v 0.000 2.500 4.500\n"
                                               "v 2.500 2.500 6.000\n"
                                               "v 5.000 2.500 7.500\n"
                                               "\n# Let the faces begin!\n"
                                               "f 1 2 5\nf 1 5 4\nf 2 3 6\nf 2 6 5\n");
}

TEST_F(GridFilesTest, ObjOfAnEmptyGridHasNoVerticesOrFaces)
{
    VeskGrid grid;
    ASSERT_TRUE(grid.saveOBJ(path("empty.obj")));
    EXPECT_EQ(readWholeFile(path("empty.obj")), "# A terrain obj produced by Talvane\n\n\n# Let the faces begin!\n");
}
