// Session files: both screens come back bit for bit, damaged, truncated and newer files
// are refused leaving the session as it was, other tools read the heights inside, and
// the command-line tool reads either screen and writes a session.

#include "CliTestSupport.h"

#include "formats/GdalRasterImport.h"
#include "grid/SessionFile.h"
#include "io/SampleLimit.h"
#include "io/ZipWriter.h"
#include "multires/Chaikin.h"
#include "multires/Faber.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

#include <cstdio>

namespace {

std::string dataFile(const char* name)
{
    return std::string(TALVANE_TEST_DATA) + "/" + name;
}

// The left screen placed in UTM with two Chaikin levels, the right one with a Faber level.
TerrainSession twoWorkedScreens()
{
    TerrainSession session;
    QString errorText;
    EXPECT_TRUE(loadGdalRaster(QString::fromStdString(dataFile("jacksboro_utm16.tif")), 1, session.left, errorText))
        << errorText.toStdString();
    EXPECT_TRUE(reverseChaikin(session.left) && reverseChaikin(session.left));
    session.right = loadWithCore(sampleFloat());
    EXPECT_TRUE(reverseFaber(session.right));
    session.window = QJsonObject{{"scheme", 1}, {"blockSize", 24}};
    return session;
}

void expectSameScreen(const VeskGrid& read, const VeskGrid& written)
{
    EXPECT_TRUE(read.hasData);
    EXPECT_EQ(read.width, written.width);
    EXPECT_EQ(read.height, written.height);
    EXPECT_TRUE(read.heights == written.heights);
    EXPECT_EQ(read.details.size(), written.details.size());
    EXPECT_TRUE(read.details == written.details);
    EXPECT_EQ(read.cellSize, written.cellSize);
    EXPECT_EQ(read.name, written.name);
    ASSERT_EQ(read.georeference.has_value(), written.georeference.has_value());
    if (written.georeference) {
        EXPECT_EQ(read.georeference->originX, written.georeference->originX);
        EXPECT_EQ(read.georeference->originY, written.georeference->originY);
        EXPECT_EQ(read.georeference->pixelWidth, written.georeference->pixelWidth);
        EXPECT_EQ(read.georeference->pixelHeight, written.georeference->pixelHeight);
        EXPECT_EQ(read.georeference->crsWkt, written.georeference->crsWkt);
        EXPECT_EQ(read.georeference->cellSizeAtLoad, written.georeference->cellSizeAtLoad);
    }
}

// A small session already read, to see that a refused file leaves it as it was.
TerrainSession sessionHeld()
{
    TerrainSession session;
    session.left = loadWithCore(sampleGrid());
    return session;
}

void expectRefusedLeavingSessionAsItWas(const std::string& path, const std::string& why)
{
    TerrainSession session = sessionHeld();
    const FloatMatrix heightsBefore = session.left.heights;
    QString errorText;
    EXPECT_FALSE(readSessionFile(QString::fromStdString(path), session, errorText));
    EXPECT_TRUE(contains(errorText.toStdString(), why)) << errorText.toStdString();
    EXPECT_TRUE(session.left.heights == heightsBefore);
    EXPECT_FALSE(session.right.hasData);
}

} // namespace

TEST(SessionFile, BothScreensComeBackBitForBitWithDetailsAndGeoreferencing)
{
    ScratchFolder folder;
    const TerrainSession written = twoWorkedScreens();
    ASSERT_EQ(written.left.details.size(), 4u);
    ASSERT_TRUE(written.left.georeference && !written.left.georeference->crsWkt.empty());
    const QString path = QString::fromStdString(folder.path("work.talvane"));
    QString errorText;
    ASSERT_TRUE(writeSessionFile(path, written.left, written.right, written.window, errorText))
        << errorText.toStdString();

    TerrainSession read;
    ASSERT_TRUE(readSessionFile(path, read, errorText)) << errorText.toStdString();
    expectSameScreen(read.left, written.left);
    expectSameScreen(read.right, written.right);
    EXPECT_EQ(read.window, written.window);

    // Stored floats and headers: at most the raw floats and a little more.
    std::uint64_t rawBytes = written.left.heights.valueCount() + written.right.heights.valueCount();
    for (const VeskGrid* grid : {&written.left, &written.right})
        for (const FloatMatrix& matrix : grid->details)
            rawBytes += matrix.valueCount();
    rawBytes *= sizeof(float);
    EXPECT_LE(readFileBytes(path.toStdString()).size(), rawBytes + 16384);

    // The same screens give the same bytes.
    const QString again = QString::fromStdString(folder.path("again.talvane"));
    ASSERT_TRUE(writeSessionFile(again, read.left, read.right, read.window, errorText));
    EXPECT_EQ(readFileBytes(again.toStdString()), readFileBytes(path.toStdString()));
}

TEST(SessionFile, GdalReadsTheHeightsInsideWhereTheyLie)
{
    ScratchFolder folder;
    const TerrainSession written = twoWorkedScreens();
    const std::string path = folder.path("work.talvane");
    QString errorText;
    ASSERT_TRUE(writeSessionFile(QString::fromStdString(path), written.left, written.right, {}, errorText));

    for (const char* side : {"left", "right"}) {
        SCOPED_TRACE(side);
        const VeskGrid& screen = std::string(side) == "left" ? written.left : written.right;
        VeskGrid throughGdal;
        ASSERT_TRUE(loadGdalRaster(QStringLiteral("/vsizip/{%1}/%2.flt").arg(QString::fromStdString(path), side), 1,
                                   throughGdal, errorText))
            << errorText.toStdString();
        EXPECT_TRUE(throughGdal.heights == screen.heights);
    }
    VeskGrid left;
    ASSERT_TRUE(loadGdalRaster(QStringLiteral("/vsizip/{%1}/left.flt").arg(QString::fromStdString(path)), 1, left,
                               errorText));
    ASSERT_TRUE(left.georeference.has_value());
    EXPECT_DOUBLE_EQ(left.georeference->originX, written.left.georeference->originX);
    EXPECT_DOUBLE_EQ(left.georeference->originY, written.left.georeference->originY);
    EXPECT_DOUBLE_EQ(left.georeference->pixelWidth, written.left.georeference->pixelWidth);
}

TEST(SessionFile, TruncatedDamagedAndNewerFilesAreRefusedLeavingTheSessionAsItWas)
{
    ScratchFolder folder;
    const VeskGrid terrain = loadWithCore(sampleFloat());
    const std::string whole = folder.path("whole.talvane");
    QString errorText;
    ASSERT_TRUE(writeSessionFile(QString::fromStdString(whole), terrain, terrain, {}, errorText));
    const std::string bytes = readFileBytes(whole);

    writeFileBytes(folder.path("truncated.talvane"), bytes.substr(0, bytes.size() - 40));
    expectRefusedLeavingSessionAsItWas(folder.path("truncated.talvane"), "end-of-directory record");

    // One byte of the right screen's heights changed: the left screen read whole is not kept either.
    std::string damaged = bytes;
    damaged[damaged.size() / 2 + 1000] ^= 0x10;
    writeFileBytes(folder.path("damaged.talvane"), damaged);
    expectRefusedLeavingSessionAsItWas(folder.path("damaged.talvane"), "does not match its CRC-32");

    const std::string newer = folder.path("newer.talvane");
    {
        std::FILE* stream = std::fopen(newer.c_str(), "wb");
        io::ZipWriter zip(stream);
        const std::string manifest = R"({"format": "talvane-session", "version": 2, "left": null, "right": null})";
        EXPECT_TRUE(zip.addEntry("manifest.json", manifest.data(), manifest.size()) && zip.finish());
        std::fclose(stream);
    }
    expectRefusedLeavingSessionAsItWas(newer, "session format version 2, written by a newer Talvane");

    writeFileBytes(folder.path("foreign.talvane"), readFileBytes(sampleGrid()));
    expectRefusedLeavingSessionAsItWas(folder.path("foreign.talvane"), "not a ZIP archive");
}

TEST(SessionFile, MatricesBeyondTheSampleLimitAreRefused)
{
    ScratchFolder folder;
    const VeskGrid terrain = loadWithCore(sampleFloat());
    const std::string path = folder.path("work.talvane");
    QString errorText;
    ASSERT_TRUE(writeSessionFile(QString::fromStdString(path), terrain, VeskGrid(), {}, errorText));
    const io::ScopedSampleLimit limit(terrain.heights.valueCount() - 1);
    expectRefusedLeavingSessionAsItWas(path, "at most " + std::to_string(terrain.heights.valueCount() - 1));
}

TEST(SessionFile, TheToolWritesASessionAndReadsEitherScreen)
{
    ScratchFolder folder;
    const std::string session = folder.path("work.talvane");
    const ProcessResult written = runCli({"session", sampleGrid(), dataFile("N36W085_cut.hgt"), session});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    EXPECT_TRUE(contains(written.out, "wrote " + session));

    const ProcessResult right = runCli({"convert", "--screen", "right", session, folder.path("right.flt")});
    ASSERT_EQ(right.exitCode, 0) << right.err;
    VeskGrid hgt;
    QString errorText;
    ASSERT_TRUE(loadGdalRaster(QString::fromStdString(dataFile("N36W085_cut.hgt")), 1, hgt, errorText));
    EXPECT_TRUE(loadWithCore(folder.path("right.flt")).heights == hgt.heights);

    const ProcessResult left = runCli({"info", "--json", session});
    ASSERT_EQ(left.exitCode, 0) << left.err;
    const VeskGrid grid = loadWithCore(sampleGrid());
    EXPECT_TRUE(contains(lastLine(left.out), "\"width\":" + std::to_string(grid.width)));

    // A damaged session named as one goes to the session reader, which says what is wrong.
    writeFileBytes(folder.path("garbage.talvane"), "not an archive");
    const ProcessResult garbage = runCli({"info", folder.path("garbage.talvane")});
    EXPECT_EQ(garbage.exitCode, 1);
    EXPECT_TRUE(contains(garbage.err, "not a ZIP archive")) << garbage.err;

    const std::string single = folder.path("single.talvane");
    ASSERT_EQ(runCli({"convert", sampleGrid(), single}).exitCode, 0);
    const ProcessResult empty = runCli({"info", "--screen", "right", single});
    EXPECT_NE(empty.exitCode, 0);
    EXPECT_TRUE(contains(empty.out + empty.err, "its right screen is empty"));
}
