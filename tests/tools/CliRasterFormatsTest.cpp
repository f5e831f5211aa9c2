// Real DEM formats end to end: the georeferenced fixtures of tests/data (made by
// scripts/make-dem-fixtures.sh from the sample) read through GDAL, GeoTIFF written
// back, 16-bit heightmaps both ways, Faber details files through two levels, small
// rasters made here for the data types and placements GDAL reads, and the rasters that
// must be refused.
#include "CliTestSupport.h"

#include "formats/GdalRasterImport.h"
#include "formats/GeoTiffExport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

std::string fixture(const std::string& name)
{
    return std::string(TALVANE_TEST_DATA) + "/" + name;
}

VeskGrid loadRaster(const std::string& path, int band = 1)
{
    VeskGrid grid;
    QString error;
    testing::internal::CaptureStdout();
    loadGdalRaster(QString::fromStdString(path), band, grid, error);
    testing::internal::GetCapturedStdout();
    return grid;
}

// The line of `gdalinfo` output that starts with key (after blanks), or "".
std::string gdalinfoLine(const std::string& output, const std::string& key)
{
    for (const std::string& line : lines(output)) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start != std::string::npos && line.compare(start, key.size(), key) == 0)
            return line.substr(start);
    }
    return {};
}

// The CRS block of gdalinfo: everything between "Coordinate System is:" and "Data axis".
std::string gdalinfoCrs(const std::string& output)
{
    const std::size_t start = output.find("Coordinate System is:");
    const std::size_t end = output.find("Data axis", start);
    return start == std::string::npos ? std::string() : output.substr(start, end - start);
}

void expectRefused(const ProcessResult& result, const std::string& reasonPart)
{
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_TRUE(contains(result.err, "Terrain was not loaded due to: ")) << result.err;
    EXPECT_TRUE(contains(result.err, reasonPart)) << result.err;
    EXPECT_FALSE(contains(result.out, "wrote ")) << result.out;
}

} // namespace

// Heights at the corners were read with GDAL's own tool, e.g.
//   gdallocationinfo -valonly tests/data/jacksboro_geographic.tif 402 343   -> 272
// (pixel column, row; row 0 the north edge).
TEST(CliRasterFormats, FixturesLoadWithTheirSizesCellSizesNoDataAndOrientation)
{
    const VeskGrid geographic = loadRaster(fixture("jacksboro_geographic.tif"));
    ASSERT_TRUE(geographic.hasData);
    EXPECT_EQ(geographic.width, 403);
    EXPECT_EQ(geographic.height, 344);
    // 3 arc-seconds: floor(0.000833333 x 108000) = 90 m.
    EXPECT_EQ(geographic.cellSize, 90.0f);
    EXPECT_EQ(geographic.heights[0][0], 483.0f);     // gdallocationinfo ... 0 0
    EXPECT_EQ(geographic.heights[343][402], 272.0f); // ... 402 343
    EXPECT_EQ(geographic.heights[343][0], 545.0f);   // ... 0 343
    ASSERT_TRUE(geographic.georeference.has_value());
    EXPECT_NEAR(geographic.georeference->originX, -84.41375, 1e-9);
    EXPECT_NEAR(geographic.georeference->originY, 36.44625 + 344 * 0.000833333333333333, 1e-9);
    // The same terrain as the ASCII sample it was made from.
    EXPECT_EQ(largestHeightDifference(geographic, loadWithCore(sampleGrid())), 0.0);

    const VeskGrid utm = loadRaster(fixture("jacksboro_utm16.tif"));
    ASSERT_TRUE(utm.hasData);
    EXPECT_EQ(utm.width, 345);
    EXPECT_EQ(utm.height, 363);
    EXPECT_EQ(utm.cellSize, 90.0f);                // metres straight from the projected CRS
    EXPECT_EQ(utm.heights[0][0], -9999.0f);        // gdallocationinfo ... 0 0 -> -9999 (outside the sample)
    EXPECT_EQ(utm.heights[181][172], 553.0f);      // ... 172 181
    // No-data stays out: gdalinfo -stats gives min 236, mean 531.031.
    EXPECT_EQ(utm.minHeight, 236.0f);
    EXPECT_EQ(utm.maxHeight, 1076.0f);
    EXPECT_NEAR(utm.averageHeight, 531.031, 1e-3);

    const VeskGrid hgt = loadRaster(fixture("N36W085_cut.hgt"));
    ASSERT_TRUE(hgt.hasData);
    EXPECT_EQ(hgt.width, 120);
    EXPECT_EQ(hgt.height, 100);
    EXPECT_EQ(hgt.cellSize, 90.0f);
    EXPECT_EQ(hgt.heights[0][0], 516.0f);     // gdallocationinfo ... 0 0
    EXPECT_EQ(hgt.heights[99][119], 587.0f);  // ... 119 99
    EXPECT_EQ(hgt.heights[45][65], -9999.0f); // ... 65 45 -> -32768, a void
    EXPECT_EQ(hgt.minHeight, 344.0f);         // gdalinfo -stats: 344 to 956, mean 617.197
    EXPECT_EQ(hgt.maxHeight, 956.0f);
    EXPECT_NEAR(hgt.averageHeight, 617.197, 1e-3);
    // The cut is columns 100.. and rows 50.. of the sample (its void aside).
    const VeskGrid sample = loadWithCore(sampleGrid());
    EXPECT_EQ(hgt.heights[0][0], sample.heights[50][100]);
    EXPECT_EQ(hgt.heights[99][119], sample.heights[149][219]);
}

TEST(CliRasterFormats, SouthUpRastersAreFlippedSoTheFirstRowIsNorth)
{
    if (!programOnPath("gdal_translate"))
        GTEST_SKIP() << "gdal_translate is not installed";
    ScratchFolder folder;
    // The same sample with a positive y pixel size: rows stored south first.
    const std::string vrt = folder.path("southup.vrt");
    ASSERT_EQ(runProgram("gdal_translate", {"-q", "-of", "VRT", fixture("jacksboro_geographic.tif"), vrt}).exitCode, 0);
    std::string text = readFileBytes(vrt);
    const std::size_t start = text.find("<GeoTransform>");
    const std::size_t end = text.find("</GeoTransform>");
    ASSERT_NE(start, std::string::npos);
    text.replace(start, end - start, "<GeoTransform>-84.41375, 0.000833333333333333, 0, 36.44625, 0, 0.000833333333333333");
    writeFileBytes(vrt, text);
    const VeskGrid southUp = loadRaster(vrt);
    ASSERT_TRUE(southUp.hasData);
    const VeskGrid northUp = loadRaster(fixture("jacksboro_geographic.tif"));
    // Row 0 of the file is now the south edge, so it becomes the grid's last row.
    EXPECT_EQ(southUp.heights[343], northUp.heights[0]);
    EXPECT_EQ(southUp.heights[0], northUp.heights[343]);
}

TEST(CliRasterFormats, GeoTiffRoundTripKeepsSizeGeotransformCrsAndStatistics)
{
    if (!programOnPath("gdalinfo"))
        GTEST_SKIP() << "gdalinfo is not installed";
    for (const std::string name : {"jacksboro_geographic.tif", "jacksboro_utm16.tif"}) {
        SCOPED_TRACE(name);
        ScratchFolder folder;
        std::filesystem::copy_file(fixture(name), folder.path("in.tif"));
        const ProcessResult convert = runCli({"convert", folder.path("in.tif"), folder.path("out.tif"), "-q"});
        ASSERT_EQ(convert.exitCode, 0) << convert.err;
        const ProcessResult original = runProgram("gdalinfo", {"-stats", folder.path("in.tif")});
        const ProcessResult written = runProgram("gdalinfo", {"-stats", folder.path("out.tif")});
        ASSERT_EQ(original.exitCode, 0);
        ASSERT_EQ(written.exitCode, 0);
        for (const std::string key : {"Size is", "Origin =", "Pixel Size =", "Minimum=", "NoData Value="})
            EXPECT_EQ(gdalinfoLine(written.out, key), gdalinfoLine(original.out, key)) << key;
        EXPECT_FALSE(gdalinfoCrs(original.out).empty());
        EXPECT_EQ(gdalinfoCrs(written.out), gdalinfoCrs(original.out));
        EXPECT_TRUE(contains(written.out, "Type=Float32"));
        EXPECT_TRUE(contains(written.out, "COMPRESSION=DEFLATE"));
    }
}

TEST(CliRasterFormats, GeoTiffOfATerrainWithoutGeoreferencingIsALocalMetricGrid)
{
    ScratchFolder folder;
    ASSERT_EQ(runCli({"convert", sampleGrid(), folder.path("local.tif"), "-q"}).exitCode, 0);
    const VeskGrid local = loadRaster(folder.path("local.tif"));
    ASSERT_TRUE(local.hasData);
    const VeskGrid sample = loadWithCore(sampleGrid());
    EXPECT_EQ(local.cellSize, sample.cellSize);
    EXPECT_EQ(largestHeightDifference(local, sample), 0.0);
    ASSERT_TRUE(local.georeference.has_value());
    EXPECT_EQ(local.georeference->pixelWidth, sample.cellSize);
    EXPECT_EQ(local.georeference->pixelHeight, -sample.cellSize);
    EXPECT_TRUE(local.georeference->crsWkt.empty());
}

TEST(CliRasterFormats, SixteenBitHeightmapsRoundTripWithinTheirStep)
{
    const VeskGrid sample = loadWithCore(sampleGrid());
    const double step = (sample.maxHeight - sample.minHeight) / 65535.0; // 840 m / 65535
    for (const std::string extension : {".png", ".r16"}) {
        SCOPED_TRACE(extension);
        ScratchFolder folder;
        const std::string heightmap = folder.path("map" + extension);
        const ProcessResult out = runCli({"convert", sampleGrid(), heightmap});
        ASSERT_EQ(out.exitCode, 0) << out.err;
        EXPECT_TRUE(contains(out.out, "Heights 236.000 to 1076.000 m are written as 0 to 65535"));
        EXPECT_TRUE(contains(readFileBytes(heightmap + ".json"), "\"maxHeight\": 1076"));
        ASSERT_EQ(runCli({"convert", heightmap, folder.path("back.flt"), "-q"}).exitCode, 0);
        const VeskGrid back = loadWithCore(folder.path("back.flt"));
        EXPECT_LE(largestHeightDifference(back, sample), step);
        EXPECT_EQ(back.cellSize, sample.cellSize);
    }
}

TEST(CliRasterFormats, SixteenBitPngWrittenByLibpngTakesTheHeightRange)
{
    ScratchFolder folder;
    const std::string png = folder.path("ramp.png");
    ASSERT_TRUE(writeGrey16Png(png, 64, 32, [](int x, int y) { return static_cast<std::uint16_t>(x * 1000 + y); }));
    const ProcessResult plain = runCli({"info", png, "--json", "-q"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    // v x 1000 / 65535: the largest sample 63031 is 961.8 m.
    EXPECT_TRUE(contains(lastLine(plain.out), "\"max\":961.79")) << plain.out;
    const ProcessResult ranged = runCli({"info", png, "--height-range=-100,555.35", "--json", "-q"});
    ASSERT_EQ(ranged.exitCode, 0) << ranged.err;
    // -100 + v x 655.35 / 65535 = -100 + v / 100: 63031 is 530.31 m; the minimum counts
    // heights above 0 only, so it is that of 10001, 0.01 m.
    EXPECT_TRUE(contains(lastLine(ranged.out), "\"max\":530.31")) << ranged.out;
    EXPECT_TRUE(contains(lastLine(ranged.out), "\"min\":0.01")) << ranged.out;

    EXPECT_EQ(runCli({"info", sampleGrid(), "--height-range=0,1"}).exitCode, 1);
    EXPECT_EQ(runCli({"info", png, "--height-range=0"}).exitCode, 2);
    // A range beyond a float would make infinite heights, from the option or a sidecar.
    expectRefused(runCli({"info", png, "--height-range=0,1e300"}), "is not a range of heights a terrain can hold");
    writeFileBytes(png + ".json", R"({"width": 64, "height": 32, "minHeight": 0, "maxHeight": 1e39, "cellSize": 30})");
    expectRefused(runCli({"info", png}), "its height range is not a range of heights a terrain can hold");
}

TEST(CliRasterFormats, FormatAndBandOptions)
{
    ScratchFolder folder;
    std::filesystem::copy_file(fixture("jacksboro_geographic.tif"), folder.path("dem.data"));
    // A TIFF is known by its first bytes whatever its name; a file known by neither is a usage error.
    const ProcessResult byContent = runCli({"info", folder.path("dem.data"), "-q"});
    EXPECT_EQ(byContent.exitCode, 0) << byContent.err;
    writeFileBytes(folder.path("notes.data"), "a note\n");
    EXPECT_EQ(runCli({"info", folder.path("notes.data")}).exitCode, 2);
    const ProcessResult forced = runCli({"info", "--format", "gdal", folder.path("dem.data"), "-q"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_TRUE(contains(forced.out, "width: 403"));
    const ProcessResult forcedAfter = runCli({"info", folder.path("dem.data"), "--format", "tif", "-q"});
    EXPECT_EQ(forcedAfter.exitCode, 0) << forcedAfter.err;
    expectRefused(runCli({"info", fixture("jacksboro_geographic.tif"), "--band", "2"}), "has no band 2 (it has 1)");
}

TEST(CliRasterFormats, BadRastersAreRefusedWithAMessageAndWriteNothing)
{
    ScratchFolder folder;
    writeFileBytes(folder.path("garbage.tif"), "this is not a raster\n");
    const std::string geographic = readFileBytes(fixture("jacksboro_geographic.tif"));
    writeFileBytes(folder.path("truncated.tif"), geographic.substr(0, geographic.size() / 2));
    // Virtual rasters say exactly what they claim: a complex band, a rotated geotransform,
    // more samples than the core holds.
    writeFileBytes(folder.path("complex.vrt"),
                   "<VRTDataset rasterXSize=\"20\" rasterYSize=\"20\"><VRTRasterBand dataType=\"CFloat32\" band=\"1\"/>"
                   "</VRTDataset>\n");
    writeFileBytes(folder.path("rotated.vrt"),
                   "<VRTDataset rasterXSize=\"20\" rasterYSize=\"20\"><GeoTransform>0, 30, 5, 0, 5, -30</GeoTransform>"
                   "<VRTRasterBand dataType=\"Float32\" band=\"1\"/></VRTDataset>\n");
    writeFileBytes(folder.path("huge.vrt"),
                   "<VRTDataset rasterXSize=\"20000\" rasterYSize=\"20000\"><VRTRasterBand dataType=\"Float32\" "
                   "band=\"1\"/></VRTDataset>\n");
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"missing.tif", "could not be opened as a raster"},
        {"garbage.tif", "could not be opened as a raster"},
        {"truncated.tif", "could not be read at row"},
        {"complex.vrt", "holds complex values (CFloat32)"},
        {"rotated.vrt", "geotransform is rotated"},
        {"huge.vrt", "declares 20000 columns and 20000 rows"},
        // 16 x 16 samples in 3,841 bands interleaved, in blocks of 64,016 x 16: reading one
        // row would have GDAL hold 7.9 GB (found by fuzzing).
        {fixture("interleaved_bands_in_wide_blocks.tif"), "in 3841 bands, more than may be read at once"},
    };
    const std::vector<std::string> before = folder.entries();
    for (const auto& [input, reason] : inputs) {
        SCOPED_TRACE(input);
        const std::string path = input.find('/') == std::string::npos ? folder.path(input) : input;
        expectRefused(runCli({"info", path}), reason);
        expectRefused(runCli({"convert", path, folder.path("out.tif"), "-q"}), reason);
    }
    EXPECT_EQ(folder.entries(), before);
}

TEST(CliRasterFormats, FailedExportsLeaveNothingBehind)
{
    ScratchFolder folder;
    VeskGrid grid = loadRaster(fixture("jacksboro_geographic.tif"));
    ASSERT_TRUE(grid.hasData);
    QString error;
    const std::string unwritable = folder.path("no-such-folder/out.tif");
    EXPECT_FALSE(writeGeoTiff(grid, QString::fromStdString(unwritable), error));
    EXPECT_TRUE(contains(error.toStdString(), "could not be written")) << error.toStdString();
    EXPECT_TRUE(folder.entries().empty());
    const ProcessResult cli = runCli({"convert", sampleGrid(), unwritable, "-q"});
    EXPECT_EQ(cli.exitCode, 1);
    EXPECT_TRUE(folder.entries().empty());
}

TEST(CliRasterFormats, FaberDetailsFilesRestoreTheRealDemThroughTwoLevels)
{
    ScratchFolder folder;
    // 403 x 344 is cut to 401 x 343 by the first coarsening, then 201 x 172 to 201 x 171.
    ASSERT_EQ(runCli({"convert", sampleGrid(), folder.path("dem.flt"), "-q"}).exitCode, 0);
    const ProcessResult coarsen = runCli({"coarsen", folder.path("dem.flt"), folder.path("coarse.flt"), "--scheme",
                                          "faber", "--levels", "2", "--details", "-q"});
    ASSERT_EQ(coarsen.exitCode, 0) << coarsen.err;
    std::string topLevel;
    std::string bottomLevel;
    for (const std::string& entry : folder.entries()) {
        if (contains(entry, "_for_180.00_to_90.00_m_data.dtl"))
            topLevel = entry;
        if (contains(entry, "_for_360.00_to_180.00_m_data.dtl"))
            bottomLevel = entry;
    }
    ASSERT_FALSE(topLevel.empty());
    ASSERT_FALSE(bottomLevel.empty());
    EXPECT_TRUE(contains(readFileBytes(folder.path(topLevel)), "201\tresulting_num_cols\n171\tresulting_num_rows"));

    ASSERT_EQ(runCli({"refine", folder.path("coarse.flt"), folder.path("middle.flt"), "--scheme", "faber",
                      "--details", folder.path(topLevel), "-q"})
                  .exitCode,
              0);
    ASSERT_EQ(runCli({"refine", folder.path("middle.flt"), folder.path("fine.flt"), "--scheme", "faber",
                      "--details", folder.path(bottomLevel), "-q"})
                  .exitCode,
              0);
    const VeskGrid fine = loadWithCore(folder.path("fine.flt"));
    VeskGrid original = loadWithCore(sampleGrid());
    testing::internal::CaptureStdout();
    original.adjustSize(401, 341);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(fine.width, 401);
    ASSERT_EQ(fine.height, 341);
    // Five decimals per detail in the files, two levels of midpoints.
    EXPECT_LE(largestHeightDifference(fine, original), 2e-5);
}

TEST(CliRasterFormats, ASparseGeoTiffOfManySamplesInFewBytesIsRead)
{
    if (!programOnPath("gdal_create"))
        GTEST_SKIP() << "gdal_create is not installed";
    // 2048 x 2048 float samples with no tile written: a file of a few hundred bytes.
    ScratchFolder folder;
    const std::string sparse = folder.path("sparse.tif");
    ASSERT_EQ(runProgram("gdal_create", {"-q", "-of", "GTiff", "-outsize", "2048", "2048", "-ot", "Float32", "-co",
                                          "TILED=YES", "-co", "SPARSE_OK=TRUE", sparse})
                  .exitCode,
              0);
    ASSERT_LT(std::filesystem::file_size(sparse), 2048u);
    const ProcessResult info = runCli({"info", sparse, "-q"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(contains(info.out, "width: 2048")) << info.out;
}

TEST(CliRasterFormats, SignedBytesReadAsMinus128To127)
{
    // An EHdr raster of signed 8-bit integers, as GDAL reports them: Byte, PIXELTYPE=SIGNEDBYTE.
    ScratchFolder folder;
    writeFileBytes(folder.path("signed.bil"), std::string("\x0a\x7b\xc8\xff", 4)); // 10, 123, -56, -1
    writeFileBytes(folder.path("signed.hdr"), "nrows 2\nncols 2\nnbands 1\nnbits 8\npixeltype signedint\n"
                                              "byteorder I\nlayout bil\n");
    const ProcessResult info = runCli({"info", "--format", "gdal", folder.path("signed.bil"), "--json", "-q"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(contains(lastLine(info.out), "\"max\":123")) << info.out;
}

TEST(CliRasterFormats, ValuesBeyondAFloatAreRefusedNamingTheFirst)
{
    // An ENVI raster of doubles, the second 5.6e110.
    ScratchFolder folder;
    const double samples[] = {12.5, 5.6e110, 1.0, 2.0};
    writeFileBytes(folder.path("huge.img"), std::string(reinterpret_cast<const char*>(samples), sizeof samples));
    writeFileBytes(folder.path("huge.hdr"), "ENVI\nsamples = 2\nlines = 2\nbands = 1\nheader offset = 0\n"
                                            "file type = ENVI Standard\ndata type = 5\ninterleave = bsq\n"
                                            "byte order = 0\n");
    const std::vector<std::string> before = folder.entries();
    const ProcessResult convert = runCli({"convert", folder.path("huge.img"), folder.path("out.flt"), "-q"});
    expectRefused(convert, "holds 5.6e+110 at row 0, column 1, beyond the largest height a terrain can hold");
    EXPECT_EQ(folder.entries(), before);
}

TEST(CliRasterFormats, APixelSizeOfZeroInOneAxisTakesTheOther)
{
    ScratchFolder folder;
    writeFileBytes(folder.path("flat.vrt"),
                   "<VRTDataset rasterXSize=\"20\" rasterYSize=\"1\"><GeoTransform>0, 30, 0, 100, 0, 0</GeoTransform>"
                   "<VRTRasterBand dataType=\"Float32\" band=\"1\"/></VRTDataset>\n");
    const ProcessResult info = runCli({"info", folder.path("flat.vrt"), "--json"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(contains(info.out, "Pixels are 30 x 0; the cell size is taken from their width")) << info.out;
    EXPECT_TRUE(contains(lastLine(info.out), "\"cellSize\":30")) << info.out;
}

TEST(CliRasterFormats, OtherFormatsSharingOurExtensionsGoToGdal)
{
    if (!programOnPath("gdal_translate"))
        GTEST_SKIP() << "gdal_translate is not installed";
    // A Golden Software ASCII grid named .grd, as GDAL writes it from the sample.
    ScratchFolder folder;
    const std::string golden = folder.path("golden.grd");
    ASSERT_EQ(runProgram("gdal_translate", {"-q", "-of", "GSAG", fixture("jacksboro_geographic.tif"), golden}).exitCode,
              0);
    ASSERT_TRUE(contains(readFileBytes(golden).substr(0, 4), "DSAA"));
    const ProcessResult info = runCli({"info", golden, "-q"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(contains(info.out, "width: 403")) << info.out;
}

TEST(CliRasterFormats, ProjectedGridsWithAPrjTakeTheirCellSizeInMetres)
{
    if (!programOnPath("gdal_translate"))
        GTEST_SKIP() << "gdal_translate is not installed";
    // GDAL writes the UTM fixture as GridFloat and as ESRI ASCII grid, each with a .prj
    // and "cellsize 90": 90 m, where our readers alone would take 90 degrees.
    ScratchFolder folder;
    for (const auto& [driver, name] : {std::pair<std::string, std::string>{"EHdr", "utm.flt"}, {"AAIGrid", "utm.asc"}}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(runProgram("gdal_translate", {"-q", "-of", driver, fixture("jacksboro_utm16.tif"), folder.path(name)})
                      .exitCode,
                  0);
        ASSERT_TRUE(fileExists(folder.path(name.substr(0, 3) + ".prj")));
        const ProcessResult info = runCli({"info", folder.path(name), "--json"});
        ASSERT_EQ(info.exitCode, 0) << info.err;
        EXPECT_TRUE(contains(lastLine(info.out), "\"cellSize\":90,")) << info.out;
        EXPECT_TRUE(contains(info.out, "utm.prj names a projected system: the cell size is 90.000 m")) << info.out;
    }
    // Without its .prj the same header is read as degrees, as before.
    std::filesystem::remove(folder.path("utm.prj"));
    const ProcessResult plain = runCli({"info", folder.path("utm.flt"), "--json", "-q"});
    EXPECT_FALSE(contains(lastLine(plain.out), "\"cellSize\":90,")) << plain.out;
}

TEST(CliRasterFormats, GridsOfATerrainWithACrsCarryTheirPlaceAndAPrj)
{
    ScratchFolder folder;
    const VeskGrid source = loadRaster(fixture("jacksboro_utm16.tif"));
    ASSERT_TRUE(source.georeference.has_value());
    for (const std::string name : {"utm.asc", "utm.flt"}) {
        SCOPED_TRACE(name);
        const ProcessResult convert = runCli({"convert", fixture("jacksboro_utm16.tif"), folder.path(name), "-q"});
        ASSERT_EQ(convert.exitCode, 0) << convert.err;
        EXPECT_TRUE(contains(convert.out, "wrote " + folder.path("utm.prj"))) << convert.out;
        // GDAL reads the header and the .prj back to the same place, system and heights.
        const VeskGrid reread = loadRaster(folder.path(name));
        ASSERT_TRUE(reread.georeference.has_value());
        EXPECT_EQ(reread.georeference->originX, source.georeference->originX);
        EXPECT_EQ(reread.georeference->originY, source.georeference->originY);
        EXPECT_EQ(reread.georeference->pixelWidth, source.georeference->pixelWidth);
        EXPECT_TRUE(contains(reread.georeference->crsWkt, "UTM zone 16N")) << reread.georeference->crsWkt;
        EXPECT_EQ(reread.heights, source.heights);
        EXPECT_EQ(reread.cellSize, 90.0f);
    }
    // A terrain with no place writes no .prj, and its header says 0, 0 and degrees as ever.
    ASSERT_EQ(runCli({"convert", sampleGrid(), folder.path("plain.asc"), "-q"}).exitCode, 0);
    EXPECT_FALSE(fileExists(folder.path("plain.prj")));
    EXPECT_TRUE(contains(readFileBytes(folder.path("plain.asc")), "xllcorner 0\nyllcorner 0\ncellsize 0.000833"));
}
