// The table of formats: a file is known by its content before its name, files of other
// formats that share our extensions go to GDAL, and every reader has its fuzz harness.
#include "CliTestSupport.h"

#include "formats/TerrainFormatTable.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TerrainFormat formatOf(const std::string& path)
{
    const TerrainFormatRow* row = terrainFormatOfFile(QString::fromStdString(path));
    return row ? row->format : TerrainFormat::WavefrontObj; // no row: a format never read
}

} // namespace

TEST(TerrainFormatTable, ContentDecidesBeforeTheExtension)
{
    ScratchFolder folder;
    const std::string ours = readFileBytes(sampleGrid()).substr(0, 400);
    writeFileBytes(folder.path("ours.grd"), ours);
    writeFileBytes(folder.path("ours.asc"), ours);
    writeFileBytes(folder.path("golden.grd"), "DSAA\n4 3\n0 3\n0 2\n1 9\n1 2 3 4\n5 6 7 8\n9 1 2 3\n");
    writeFileBytes(folder.path("rraster.grd"), "[general]\ncreator=R package 'raster'\n");
    writeFileBytes(folder.path("comma.asc"), "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 0,5\n1 2\n");
    writeFileBytes(folder.path("image.dat"), "\x89PNG\r\n\x1a\n....");
    writeFileBytes(folder.path("tiff.grd"), std::string("II*\0", 4) + "....");
    writeFileBytes(folder.path("raw.r16"), "\x89PNG\r\n\x1a\n....");

    EXPECT_EQ(formatOf(folder.path("ours.grd")), TerrainFormat::AsciiGrid);
    EXPECT_EQ(formatOf(folder.path("ours.asc")), TerrainFormat::EsriAscii);
    EXPECT_EQ(formatOf(folder.path("golden.grd")), TerrainFormat::GdalRaster);
    EXPECT_EQ(formatOf(folder.path("rraster.grd")), TerrainFormat::GdalRaster);
    EXPECT_EQ(formatOf(folder.path("comma.asc")), TerrainFormat::GdalRaster);
    EXPECT_EQ(formatOf(folder.path("image.dat")), TerrainFormat::Png);
    EXPECT_EQ(formatOf(folder.path("tiff.grd")), TerrainFormat::GeoTiff);
    // Raw samples have no signature: their name decides, whatever bytes they begin with.
    EXPECT_EQ(formatOf(folder.path("raw.r16")), TerrainFormat::Raw16);
    // A missing file goes by its name, so that its reader says it is missing.
    EXPECT_EQ(formatOf(folder.path("missing.flt")), TerrainFormat::GridFloat);
    EXPECT_EQ(terrainFormatOfFile(QString::fromStdString(folder.path("missing.txt"))), nullptr);
}

TEST(TerrainFormatTable, EveryFormatReadHasAFuzzHarnessWithSeeds)
{
    const std::filesystem::path fuzz = std::filesystem::path(TALVANE_TEST_DATA) / ".." / ".." / "fuzz";
    for (const TerrainFormatRow& row : terrainFormatTable()) {
        SCOPED_TRACE(row.title);
        EXPECT_EQ(row.read != nullptr, !row.fuzzHarnesses.isEmpty());
        for (const QString& harness : row.fuzzHarnesses) {
            const std::string name = harness.toStdString();
            EXPECT_TRUE(std::filesystem::exists(fuzz / ("fuzz_" + name + ".cpp"))) << name;
            EXPECT_FALSE(std::filesystem::is_empty(fuzz / "corpus" / name)) << name;
        }
    }
}
