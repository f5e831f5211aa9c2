#include "GridFilesTestSupport.h"

#include "diagnostics/CollectingSink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// Every damaged, hostile or missing input: the loader prints why, sets lastError,
// returns false and leaves the grid empty, even when it held a terrain before.

namespace {

const std::string kSevenLines = "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\nxdim 0.001\nydim 0.001\nNODATA_value -9999\n";
const std::string kUsgsHeader = "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 0.001\nNODATA_value -9999\n"
                                "byteorder LSBFIRST\n";

std::string littleEndianFloats(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        const float value = static_cast<float>(i + 1);
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    return bytes;
}

} // namespace

class GridFilesBadInputTest : public GridFilesTempDirTest {
protected:
    // A grid that holds a terrain, so that each test also shows it being emptied.
    VeskGrid loadedGrid()
    {
        VeskGrid grid;
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        const bool loaded = grid.loadGRDFile(testDataPath("jacksboro.grd"));
        EXPECT_TRUE(loaded);
        grid.details.push_back(FloatMatrix(1, std::vector<float>(1, 1.0f)));
        return grid;
    }

    // Loads and expects a refusal whose printed text holds message; returns the output.
    std::string expectRefusedAscii(const std::string& contents, const std::string& message)
    {
        writeTextFile(path("bad.grd"), contents);
        return expectRefused(path("bad.grd"), false, message);
    }

    std::string expectRefused(const QString& fileName, bool binary, const std::string& message)
    {
        VeskGrid grid = loadedGrid();
        const QString previousName = grid.name;
        diagnostics::CollectingSink messages;
        diagnostics::ScopedSink collecting(messages);
        const bool loaded = binary ? grid.loadFLTFile(fileName) : grid.loadGRDFile(fileName);
        const std::string output = messages.take();
        EXPECT_FALSE(loaded);
        EXPECT_NE(output.find(message), std::string::npos) << output;
        EXPECT_EQ(output.find("Loaded File"), std::string::npos) << output;
        EXPECT_FALSE(grid.lastError.isEmpty());
        EXPECT_EQ(grid.name, previousName);
        expectEmptyGrid(grid);
        return output;
    }
};

// --- Missing files -----------------------------------------------------------------

TEST_F(GridFilesBadInputTest, MissingAsciiGrid)
{
    expectRefused(path("nowhere.grd"), false, "Error, " + path("nowhere.grd").toStdString() + " was not found\n");
}

TEST_F(GridFilesBadInputTest, MissingFloatGridHeader)
{
    expectRefused(path("nowhere.flt"), true, "Error - " + path("nowhere.hdr").toStdString() + " was not found\n");
}

TEST_F(GridFilesBadInputTest, MissingFloatGridData)
{
    writeTextFile(path("lonely.hdr"), kUsgsHeader);
    expectRefused(path("lonely.flt"), true, "Error, " + path("lonely.flt").toStdString() + " was not found\n");
}

TEST_F(GridFilesBadInputTest, DirectoryInsteadOfAFile)
{
    std::filesystem::create_directories(directory / "folder.grd");
    expectRefused(path("folder.grd"), false, "could not be read");
}

// --- Truncated data ----------------------------------------------------------------

TEST_F(GridFilesBadInputTest, AsciiGridWithTooFewHeights)
{
    expectRefusedAscii(kSevenLines + "1 2 3\n4 5\n", "VeskGrid:: *Error* - Premature end of data file.\n");
    // Header only: a tiny file that cannot hold what its header declares.
    expectRefusedAscii(kSevenLines, "VeskGrid:: *Error* - Premature end of data file.\n");
}

TEST_F(GridFilesBadInputTest, FloatGridWithTooFewBytes)
{
    writeTextFile(path("short.hdr"), kUsgsHeader);
    writeBinaryFile(path("short.flt"), littleEndianFloats(5) + "ab");
    expectRefused(path("short.flt"), true, "VeskGrid:: *Error* - Premature end of data file.\n");
}

// --- Garbage -----------------------------------------------------------------------

TEST_F(GridFilesBadInputTest, HeightThatIsNotANumber)
{
    for (const std::string word : {"abc", "12abc", "1.2.3", "nan", "inf", "--4"}) {
        const std::string output = expectRefusedAscii(kSevenLines + "1 2 3\n4 " + word + " 6\n", "is not a number");
        EXPECT_NE(output.find("(row 1, column 1)"), std::string::npos) << output;
    }
}

TEST_F(GridFilesBadInputTest, UnrecognisedAsciiHeaders)
{
    // Unknown keys, as a token-counting reader would have swallowed.
    expectRefusedAscii("width 3\nheight 2\n1 2 3 4 5 6\n", "is not an ASCII grid that can be read");
    // No cell size.
    expectRefusedAscii("ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\n1 2 3 4 5 6\n", "no cell size");
    // No size at all: numbers only.
    expectRefusedAscii("1 2 3 4 5 6\n", "does not give ncols and nrows");
    // A key twice.
    expectRefusedAscii("ncols 3\nncols 3\nnrows 2\ncellsize 0.001\n1 2 3 4 5 6\n", "twice");
    // A size that is not a whole number.
    expectRefusedAscii("ncols 3.5\nnrows 2\ncellsize 0.001\n1 2 3 4 5 6\n", "is not a valid number");
    // A header cut short.
    expectRefusedAscii("ncols 3\nnrows", "ends inside the header");
    // Binary junk.
    expectRefusedAscii(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "is not an ASCII grid that can be read");
    expectRefusedAscii("", "does not give ncols and nrows");
    // One endless word of two megabytes, in the header and among the heights.
    expectRefusedAscii(std::string(2 << 20, 'x'), "too long");
    expectRefusedAscii("ncols 3\nnrows 2\ncellsize 0.001\n1 2 " + std::string(2 << 20, '7') + " 4 5 6\n", "too long");
}

TEST_F(GridFilesBadInputTest, UnusableFloatGridHeaders)
{
    writeBinaryFile(path("grid.flt"), littleEndianFloats(6));
    const std::vector<std::pair<std::string, std::string>> headers{
        {"xllcorner 0\nyllcorner 0\ncellsize 0.001\n", "does not give ncols and nrows"},
        {"ncols 3\nxllcorner 0\ncellsize 0.001\n", "does not give ncols and nrows"},
        {"ENVI\nsamples = 3\nlines = 2\n", "does not give ncols and nrows"},
        {"ncols 3\nnrows 2\n", "no cell size"},
        {"ncols 3\nnrows 2\ncellsize 0.001\nbyteorder VAX\n", "byte order"},
        {"ncols 3\nnrows 2\ncellsize 0.001\nnbits 16\n", "32-bit"},
        {"ncols 3\nnrows 2\ncellsize 0.001\npixeltype SIGNEDINT\n", "only floats"},
        {"ncols three\nnrows 2\ncellsize 0.001\n", "is not a valid number"},
    };
    for (const auto& [header, message] : headers) {
        writeTextFile(path("grid.hdr"), header);
        expectRefused(path("grid.flt"), true, message);
    }
}

TEST_F(GridFilesBadInputTest, FloatGridWithNonFiniteHeight)
{
    writeTextFile(path("nan.hdr"), kUsgsHeader);
    std::string bytes = littleEndianFloats(6);
    const float notANumber = std::numeric_limits<float>::quiet_NaN();
    bytes.replace(8, 4, reinterpret_cast<const char*>(&notANumber), 4);
    writeBinaryFile(path("nan.flt"), bytes);
    expectRefused(path("nan.flt"), true, "is not a finite number");
}

// --- Hostile sizes -----------------------------------------------------------------

TEST_F(GridFilesBadInputTest, HostileAsciiSizesAreRefusedBeforeAllocating)
{
    const std::string rest = "\nxllcorner 0\nyllcorner 0\ncellsize 0.001\n1 2 3 4\n";
    for (const auto& [columns, rows] : std::vector<std::pair<std::string, std::string>>{
             {"-5", "2"}, {"3", "-1"}, {"0", "2"}, {"3", "0"}, {"1000000001", "2"},
             {"4294967296", "4294967296"}, {"9223372036854775807", "9223372036854775807"}, {"16386", "16385"}}) {
        expectRefusedAscii("ncols " + columns + "\nnrows " + rows + rest, "at most 268468225 samples");
    }
    expectRefusedAscii("ncols 99999999999999999999\nnrows 2" + rest, "is not a valid number");
}

TEST_F(GridFilesBadInputTest, SizeWithinTheLimitButLargerThanTheFileIsTruncation)
{
    // 8192 x 8192 is allowed, but a file of a few bytes cannot hold it: refused
    // without allocating a quarter of a gigabyte.
    expectRefusedAscii("ncols 8192\nnrows 8192\ncellsize 0.001\n1 2 3 4\n",
                       "VeskGrid:: *Error* - Premature end of data file.\n");
    writeTextFile(path("big.hdr"), "ncols 8192\nnrows 8192\ncellsize 0.001\n");
    writeBinaryFile(path("big.flt"), littleEndianFloats(16));
    expectRefused(path("big.flt"), true, "VeskGrid:: *Error* - Premature end of data file.\n");
}

TEST_F(GridFilesBadInputTest, HostileFloatGridSizes)
{
    writeBinaryFile(path("grid.flt"), littleEndianFloats(6));
    for (const auto& [columns, rows] : std::vector<std::pair<std::string, std::string>>{
             {"-3", "2"}, {"3", "0"}, {"1000000001", "2"}, {"4294967296", "4294967296"}}) {
        writeTextFile(path("grid.hdr"), "nrows " + rows + "\nncols " + columns + "\ncellsize 0.001\n");
        expectRefused(path("grid.flt"), true, "at most 268468225 samples");
    }
}

// --- Writers -----------------------------------------------------------------------

TEST_F(GridFilesBadInputTest, WritersReportFilesTheyCannotCreate)
{
    VeskGrid grid = makeGrid(4, 3, [](int row, int col) { return float(row + col); });
    const QString missingDirectory = path("no/such/dir");

    QString fileName = missingDirectory + QStringLiteral("/out.grd");
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_FALSE(grid.writeTerrain(fileName));
    std::string output = messages.take();
    EXPECT_EQ(output, "*** Error *** fopen returned NULL when writing to file " + missingDirectory.toStdString()
                          + "/out.grd.\n");
    EXPECT_EQ(fileName, QStringLiteral("*** Error *** fopen return NULL when writing to file ") + missingDirectory
                            + QStringLiteral("/out.grd"));
    EXPECT_EQ(grid.lastError, fileName);

    grid.name = missingDirectory + QStringLiteral("/terrain");
    QString leftName;
    QString rightName;
    messages.clear();
    EXPECT_FALSE(grid.writeTerrainSplit(leftName, rightName));
    output = messages.take();
    EXPECT_NE(output.find("fopen returned NULL when writing to file"), std::string::npos);
    EXPECT_TRUE(leftName.startsWith(QStringLiteral("*** Error *** fopen return NULL when writing to file ")));
    EXPECT_TRUE(leftName.endsWith(QStringLiteral("LEFT.grd")));

    const QString objName = missingDirectory + QStringLiteral("/mesh.obj");
    messages.clear();
    EXPECT_FALSE(grid.saveOBJ(objName));
    output = messages.take();
    EXPECT_EQ(output, "*** Error *** fopen returned NULL when writing to file " + objName.toStdString() + ".\n");
    EXPECT_EQ(grid.lastError, QStringLiteral("*** Error *** fopen return NULL when writing to file ") + objName);

    // None of it touched the terrain.
    EXPECT_TRUE(grid.hasData);
    EXPECT_EQ(grid.width, 4);
}

TEST_F(GridFilesBadInputTest, WritersReportAFullDisk)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    VeskGrid grid = makeGrid(64, 64, [](int row, int col) { return float(row * col); });
    // The device accepts the open and refuses every byte.
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    const bool objWritten = grid.saveOBJ(QStringLiteral("/dev/full"));
    const std::string output = messages.take();
    EXPECT_FALSE(objWritten);
    EXPECT_NE(output.find("could not write all of file /dev/full"), std::string::npos) << output;
    EXPECT_FALSE(grid.lastError.isEmpty());
}

TEST_F(GridFilesBadInputTest, AsciiGridWithHeightBeyondFloatRange)
{
    // Found by fuzzing: "-9996e293" is a finite double but no float.
    const std::string header = "ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 0.00083333\n";
    for (const std::string bad : {"-9996e293", "1e39", "3.5e38"}) {
        SCOPED_TRACE(bad);
        expectRefusedAscii(header + "1 2 3\n4 " + bad + " 6\n",
                           "height 5 of " + path("bad.grd").toStdString() +
                               " (row 1, column 1) is beyond the range of a height.");
    }
}

TEST_F(GridFilesBadInputTest, HeadersWithCellSizeBeyondFloatRange)
{
    // Found by fuzzing: 1.1e44 degrees is a finite double but its metres are no float.
    const std::string beyond = "11111111111111111111111111111111111111111101111111111111111111111111111111100";
    expectRefusedAscii("ncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize " + beyond + "\n7\n",
                       "the cell size 1.11111e+76 is beyond the range of a spacing");
    writeTextFile(path("wide.hdr"), "NROWS 1\nNCOLS 1\nXDIM 7e77\nBYTEORDER LSBFIRST\n");
    writeTextFile(path("wide.flt"), std::string("\0\0\x80\x3f", 4));
    expectRefused(path("wide.flt"), true, "the cell size 7e+77 is beyond the range of a spacing");
}
