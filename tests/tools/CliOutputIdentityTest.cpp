// Every writer and every scheme's coarsening and refinement, the heightmap and GeoTIFF
// round trips, transfer and the PNG conversion, run through talvane-cli on the real DEMs
// and on a generated 1025 x 1025 terrain, must give the very bytes the tool gave before
// its grid model was reworked for large terrains and before the matrices moved into one
// block each. The SHA-256 of each output file (and of info's JSON line) was recorded
// then, in cli-output-sha256.txt.

#include "CliTestSupport.h"

#include "tools/fbm/FbmTerrain.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr int kGeneratedSide = 1025;
constexpr std::uint32_t kGeneratedSeed = 7;

std::map<std::string, std::string> recordedHashes()
{
    std::map<std::string, std::string> hashes;
    std::ifstream table(TALVANE_OUTPUT_HASHES);
    std::string line;
    while (std::getline(table, line)) {
        if (line.empty() || line.front() == '#')
            continue;
        std::istringstream fields(line);
        std::string hash;
        std::string key;
        if (fields >> hash >> key)
            hashes[key] = hash;
    }
    return hashes;
}

std::string sha256(const std::string& bytes)
{
    return QCryptographicHash::hash(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// One command line; "IN" stands for the input terrain, names without a slash for files
// of the case's own folder.
struct OutputCase {
    const char* name;
    std::vector<std::vector<std::string>> commands;
};

const OutputCase outputCases[] = {
    {"ascii-and-split", {{"convert", "IN", "out.grd", "--split"}}},
    {"esri-ascii", {{"convert", "IN", "out.asc"}}},
    {"gridfloat", {{"convert", "IN", "out.flt"}}},
    {"obj", {{"convert", "IN", "out.obj"}}},
    {"chaikin-coarsen", {{"coarsen", "IN", "coarse.grd", "--scheme", "chaikin", "--levels", "2", "--details"}}},
    {"faber-coarsen", {{"coarsen", "IN", "coarse.grd", "--scheme", "faber", "--levels", "2", "--details"}}},
    {"fractal-coarsen", {{"coarsen", "IN", "coarse.flt", "--scheme", "fractal"}}},
    {"chaikin-refine", {{"refine", "IN", "fine.flt", "--scheme", "chaikin"}}},
    {"faber-refine", {{"refine", "IN", "fine.flt", "--scheme", "faber"}}},
    {"fractal-refine", {{"refine", "IN", "fine.flt", "--scheme", "fractal"}}},
    {"chaikin-refine-with-details",
     {{"coarsen", "IN", "coarse.flt", "--scheme", "chaikin", "--details"},
      {"refine", "coarse.flt", "fine.grd", "--scheme", "chaikin", "--details", "DETAILS"}}},
    {"geotiff", {{"convert", "IN", "out.tif"}, {"convert", "out.tif", "back.flt"}}},
    {"heightmap-png", {{"convert", "IN", "out.png"}, {"convert", "out.png", "back.flt"}}},
    {"heightmap-r16", {{"convert", "IN", "out.r16"}, {"convert", "out.r16", "back.flt"}}},
    {"transfer",
     {{"coarsen", "IN", "coarse.flt", "--scheme", "chaikin", "--levels", "2"},
      {"transfer", "coarse.flt", "IN", "quilt.flt", "--block", "20"},
      {"transfer", "coarse.flt", "IN", "multifractal.flt", "--method", "multifractal", "--block", "20"}}},
};

std::string firstDetailsFile(const std::string& folder)
{
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".dtl")
            return entry.path().string();
    return {};
}

class CliOutputIdentity : public ::testing::TestWithParam<std::string> {
protected:
    static void SetUpTestSuite()
    {
        generated = new ScratchFolder;
        QString errorText;
        ASSERT_TRUE(writeFbmTerrain(kGeneratedSide, kGeneratedSeed, QString::fromStdString(generatedTerrain()),
                                    errorText))
            << errorText.toStdString();
    }
    static void TearDownTestSuite()
    {
        delete generated;
        generated = nullptr;
    }

    static std::string generatedTerrain() { return generated->path("fbm1025.flt"); }

    std::string input() const
    {
        if (GetParam() == "jacksboro")
            return sampleGrid();
        if (GetParam() == "n36w085")
            return std::string(TALVANE_TEST_DATA) + "/N36W085_cut.hgt";
        return generatedTerrain();
    }

    // Compares hash against the recorded one for key; a mismatch prints the line the
    // table would need, so a deliberate change of format can be recorded knowingly.
    void expectRecorded(const std::string& key, const std::string& hash)
    {
        const auto found = hashes.find(key);
        if (found == hashes.end())
            ADD_FAILURE() << "no recorded hash for " << key << "; now: " << hash << " " << key;
        else
            EXPECT_EQ(found->second, hash) << key << " changed; now: " << hash << " " << key;
        ++compared;
    }

    static ScratchFolder* generated;
    std::map<std::string, std::string> hashes = recordedHashes();
    int compared = 0;
};

ScratchFolder* CliOutputIdentity::generated = nullptr;

} // namespace

TEST_P(CliOutputIdentity, EveryWriterAndSchemeGivesTheRecordedBytes)
{
    ASSERT_FALSE(hashes.empty()) << "cannot read " << TALVANE_OUTPUT_HASHES;
    for (const OutputCase& test : outputCases) {
        SCOPED_TRACE(test.name);
        ScratchFolder folder;
        for (const auto& command : test.commands) {
            std::vector<std::string> arguments;
            for (const std::string& argument : command) {
                if (argument == "IN")
                    arguments.push_back(input());
                else if (argument == "DETAILS")
                    arguments.push_back(firstDetailsFile(folder.path("")));
                else if (argument.find('.') != std::string::npos)
                    arguments.push_back(folder.path(argument));
                else
                    arguments.push_back(argument);
            }
            arguments.push_back("--quiet");
            const ProcessResult run = runCli(arguments);
            ASSERT_EQ(run.exitCode, 0) << run.err;
        }
        for (const std::string& fileName : folder.entries())
            expectRecorded(GetParam() + "/" + test.name + "/" + fileName, sha256(readFileBytes(folder.path(fileName))));
    }
    const ProcessResult info = runCli({"info", input(), "--json", "--quiet"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    expectRecorded(GetParam() + "/info", sha256(info.out));
    EXPECT_GE(compared, 20);
}

INSTANTIATE_TEST_SUITE_P(Terrains, CliOutputIdentity, ::testing::Values("jacksboro", "n36w085", "fbm1025"));

unsigned char mixedPixel(int x, int y, int channel)
{
    return static_cast<unsigned char>((x * 13 + y * 5 + channel * 71 + (x * y) % 29) % 256);
}

TEST(CliOutputIdentityOfPng, AnRgbPngConvertsToTheRecordedGrid)
{
    const std::map<std::string, std::string> hashes = recordedHashes();
    ScratchFolder folder;
    ASSERT_TRUE(writeRgbPng(folder.path("image.png"), 1025, 1023, false, mixedPixel));
    const ProcessResult run = runCli({"convert", folder.path("image.png"), folder.path("out.grd"), "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string hash = sha256(readFileBytes(folder.path("out.grd")));
    const auto found = hashes.find("png/out.grd");
    ASSERT_NE(found, hashes.end()) << "no recorded hash for png/out.grd; now: " << hash << " png/out.grd";
    EXPECT_EQ(found->second, hash) << "png/out.grd changed; now: " << hash << " png/out.grd";
}
