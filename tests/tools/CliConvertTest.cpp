// convert: round trips through every format, files other tools read, the PNG conversion.

#include "CliTestSupport.h"

#include "png/PngToGrid.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

// The height lines of an ASCII grid: everything after its seven header lines.
std::string heightLines(const std::string& gridText)
{
    std::size_t position = 0;
    for (int line = 0; line < 7 && position != std::string::npos; ++line)
        position = gridText.find('\n', position) + 1;
    return gridText.substr(position);
}

void expectSameTerrain(const VeskGrid& actual, const VeskGrid& expected)
{
    ASSERT_TRUE(actual.hasData);
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.height, expected.height);
    EXPECT_EQ(actual.cellSize, expected.cellSize);
    EXPECT_EQ(actual.heights, expected.heights);
}

unsigned char gradientPixel(int x, int y, int channel)
{
    return static_cast<unsigned char>((x * 7 + y * 3 + channel * 85 + (x * y) % 11) % 256);
}

} // namespace

TEST(CliConvert, GrdToFltToGrdKeepsEveryHeightAndTheCellSize)
{
    ScratchFolder folder;
    const ProcessResult toFloat = runCli({"convert", sampleGrid(), folder.path("sample.flt"), "-q"});
    ASSERT_EQ(toFloat.exitCode, 0) << toFloat.err;
    EXPECT_TRUE(fileExists(folder.path("sample.hdr")));
    const ProcessResult back = runCli({"convert", folder.path("sample.flt"), folder.path("back.grd"), "-q"});
    ASSERT_EQ(back.exitCode, 0) << back.err;

    const VeskGrid original = loadWithCore(sampleGrid());
    expectSameTerrain(loadWithCore(folder.path("sample.flt")), original);
    expectSameTerrain(loadWithCore(folder.path("back.grd")), original);
    EXPECT_EQ(heightLines(readFileBytes(folder.path("back.grd"))), heightLines(readFileBytes(sampleGrid())));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"back.grd", "sample.flt", "sample.hdr"}));
}

TEST(CliConvert, ExtensionsAreRecognisedInAnyLetterCase)
{
    ScratchFolder folder;
    ASSERT_EQ(runCli({"convert", sampleGrid(), folder.path("DEM.GRD"), "-q"}).exitCode, 0);
    ASSERT_EQ(runCli({"convert", folder.path("DEM.GRD"), folder.path("DEM.FLT"), "-q"}).exitCode, 0);
    ASSERT_EQ(runCli({"convert", folder.path("DEM.FLT"), folder.path("Dem.Asc"), "-q"}).exitCode, 0);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"DEM.FLT", "DEM.GRD", "DEM.hdr", "Dem.Asc"}));
    const VeskGrid original = loadWithCore(sampleGrid());
    expectSameTerrain(loadWithCore(folder.path("DEM.GRD")), original);
    expectSameTerrain(loadWithCore(folder.path("Dem.Asc")), original);
}

TEST(CliConvert, GridFloatHeaderUsesTheUsgsKeyLayout)
{
    ScratchFolder folder;
    ASSERT_EQ(runCli({"convert", sampleGrid(), folder.path("dem.flt"), "-q"}).exitCode, 0);
    EXPECT_EQ(readFileBytes(folder.path("dem.hdr")), "ncols         403\n"
                                                      "nrows         344\n"
                                                      "xllcorner     0\n"
                                                      "yllcorner     0\n"
                                                      "cellsize      0.000833333333333333\n"
                                                      "NODATA_value  -9999\n"
                                                      "byteorder     LSBFIRST\n");
    EXPECT_EQ(readFileBytes(folder.path("dem.flt")).size(), 403u * 344u * 4u);
}

TEST(CliConvert, EsriAsciiGridIsReadBackExactlyByOurReader)
{
    ScratchFolder folder;
    ASSERT_EQ(runCli({"convert", sampleFloat(), folder.path("dem.asc"), "-q"}).exitCode, 0);
    const std::string text = readFileBytes(folder.path("dem.asc"));
    EXPECT_EQ(text.rfind("ncols 403\nnrows 344\nxllcorner 0\nyllcorner 0\ncellsize 0.000833333333333333\n"
                         "NODATA_value -9999\n",
                         0),
              0u)
        << text.substr(0, 200);
    expectSameTerrain(loadWithCore(folder.path("dem.asc")), loadWithCore(sampleFloat()));

    // Heights with fractions survive too: a coarsened terrain's are not whole metres.
    ASSERT_EQ(runCli({"coarsen", sampleGrid(), folder.path("coarse.flt"), "--scheme", "chaikin", "-q"}).exitCode, 0);
    ASSERT_EQ(runCli({"convert", folder.path("coarse.flt"), folder.path("coarse.asc"), "-q"}).exitCode, 0);
    expectSameTerrain(loadWithCore(folder.path("coarse.asc")), loadWithCore(folder.path("coarse.flt")));
}

TEST(CliConvert, GdalReadsTheAsciiAndFloatGridsWeWrite)
{
    if (!programOnPath("gdalinfo") || !programOnPath("gdallocationinfo"))
        GTEST_SKIP() << "gdal-bin is not installed";
    ScratchFolder folder;
    ASSERT_EQ(runCli({"convert", sampleGrid(), folder.path("dem.asc"), "-q"}).exitCode, 0);
    ASSERT_EQ(runCli({"convert", sampleGrid(), folder.path("dem.flt"), "-q"}).exitCode, 0);
    const VeskGrid original = loadWithCore(sampleGrid());

    // GDAL_PAM_ENABLED=NO: gdalinfo -stats would otherwise leave .aux.xml files behind.
    const std::vector<std::string> quietGdal = {"GDAL_PAM_ENABLED=NO"};
    const std::vector<std::pair<std::string, std::string>> files = {{"dem.asc", "AAIGrid"}, {"dem.flt", "EHdr"}};
    for (const auto& [name, driver] : files) {
        const ProcessResult info = runProgram("gdalinfo", {"-stats", folder.path(name)}, quietGdal);
        ASSERT_EQ(info.exitCode, 0) << name << info.err;
        EXPECT_TRUE(contains(info.out, "Driver: " + driver + "/")) << info.out;
        EXPECT_TRUE(contains(info.out, "Size is 403, 344")) << info.out;
        EXPECT_TRUE(contains(info.out, "Pixel Size = (0.000833333333333,-0.000833333333333)")) << info.out;
        EXPECT_TRUE(contains(info.out, "Minimum=236.000, Maximum=1076.000, Mean=531.031")) << info.out;
        EXPECT_TRUE(contains(info.out, "NoData Value=-9999")) << info.out;

        // Samples away from the corners: rows in order and none shifted.
        for (const auto& [column, row] : std::vector<std::pair<int, int>>{{0, 0}, {5, 7}, {402, 343}, {200, 171}}) {
            const ProcessResult value = runProgram(
                "gdallocationinfo", {"-valonly", folder.path(name), std::to_string(column), std::to_string(row)},
                quietGdal);
            ASSERT_EQ(value.exitCode, 0) << value.err;
            EXPECT_EQ(std::stof(value.out), original.heights[row][column]) << name << " at " << column << "," << row;
        }
    }
}

TEST(CliConvert, ObjHasOneVertexPerSampleAndTwoTrianglesPerCell)
{
    ScratchFolder folder;
    ASSERT_EQ(runCli({"convert", sampleGrid(), folder.path("dem.obj"), "-q"}).exitCode, 0);
    int vertices = 0;
    int faces = 0;
    for (const std::string& line : lines(readFileBytes(folder.path("dem.obj")))) {
        vertices += line.rfind("v ", 0) == 0;
        faces += line.rfind("f ", 0) == 0;
    }
    EXPECT_EQ(vertices, 403 * 344);
    EXPECT_EQ(faces, 2 * 402 * 343);
}

TEST(CliConvert, SplitWritesBothHalvesNextToOutAndOutItself)
{
    ScratchFolder folder;
    const ProcessResult result = runCli({"convert", sampleGrid(), folder.path("dem.grd"), "--split", "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(folder.entries(),
              (std::vector<std::string>{"dem.grd", "dem_w201_h344LEFT.grd", "dem_w201_h344RIGHT.grd"}));
    const VeskGrid whole = loadWithCore(folder.path("dem.grd"));
    const VeskGrid left = loadWithCore(folder.path("dem_w201_h344LEFT.grd"));
    const VeskGrid right = loadWithCore(folder.path("dem_w201_h344RIGHT.grd"));
    EXPECT_EQ(whole.width, 403); // the odd column is dropped from the halves only
    ASSERT_EQ(left.width, 201);
    ASSERT_EQ(right.width, 201);
    for (int row = 0; row < 344; ++row)
        for (int col = 0; col < 201; ++col) {
            ASSERT_EQ(left.heights[row][col], whole.heights[row][col]);
            ASSERT_EQ(right.heights[row][col], whole.heights[row][col + 201]);
        }
    EXPECT_TRUE(contains(result.out, "wrote " + folder.path("dem_w201_h344LEFT.grd")));
}

TEST(CliConvert, PngToGrdIsTheCoreConversionByteForByte)
{
    ScratchFolder folder;
    for (const bool interlaced : {false, true}) {
        const std::string png = folder.path(interlaced ? "interlaced.png" : "plain.png");
        ASSERT_TRUE(writeRgbPng(png, 37, 23, interlaced, gradientPixel));
        const std::string converted = folder.path("cli.grd");
        const std::string reference = folder.path("core.grd");
        ASSERT_EQ(runCli({"convert", png, converted, "-q"}).exitCode, 0);
        QString error;
        ASSERT_TRUE(convertPngToGrid(QString::fromStdString(png), QString::fromStdString(reference), error))
            << error.toStdString();
        const std::string bytes = readFileBytes(converted);
        EXPECT_EQ(bytes, readFileBytes(reference));
        EXPECT_EQ(bytes.rfind("ncols\t37\nnrows\t23\n", 0), 0u);
        EXPECT_TRUE(contains(bytes, "xdim\t0.002700000070035458\n"));
    }
}

TEST(CliConvert, PngInfoAndOtherFormatsDescribeTheConvertedTerrain)
{
    ScratchFolder folder;
    const std::string png = folder.path("image.png");
    ASSERT_TRUE(writeRgbPng(png, 40, 30, false, gradientPixel));
    ASSERT_EQ(runCli({"convert", png, folder.path("image.grd"), "-q"}).exitCode, 0);
    ASSERT_EQ(runCli({"convert", png, folder.path("image.flt"), "-q"}).exitCode, 0);
    const VeskGrid converted = loadWithCore(folder.path("image.grd"));
    ASSERT_TRUE(converted.hasData);
    EXPECT_EQ(converted.cellSize, 291.0f);
    expectSameTerrain(loadWithCore(folder.path("image.flt")), converted);

    const ProcessResult fromPng = runCli({"info", png, "--json", "-q"});
    const ProcessResult fromGrid = runCli({"info", folder.path("image.grd"), "--json", "-q"});
    ASSERT_EQ(fromPng.exitCode, 0) << fromPng.err;
    EXPECT_EQ(fromPng.out, fromGrid.out);
    EXPECT_TRUE(contains(fromPng.out, "\"width\":40,\"height\":30,\"cellSize\":291")) << fromPng.out;
}
