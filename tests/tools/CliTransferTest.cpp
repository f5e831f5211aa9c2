// transfer: the window's "Go" from the command line, by quilting and by multifractal mapping.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

namespace {

float deviationOf(const std::string& file)
{
    const ProcessResult result = runCli({"deviation", file, "-q"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string line = lastLine(result.out);
    return line.rfind("deviation: ", 0) == 0 ? std::stof(line.substr(11)) : -1.0f;
}

// The sample coarsened once with Chaikin: 202 x 173 at 180 m, a smooth base.
std::string makeBase(const ScratchFolder& folder)
{
    const std::string base = folder.path("base.grd");
    EXPECT_EQ(runCli({"coarsen", sampleGrid(), base, "--scheme", "chaikin", "-q"}).exitCode, 0);
    return base;
}

} // namespace

TEST(CliTransfer, EveryMethodRefinesTheBaseToTwiceItsSizeLessTwo)
{
    ScratchFolder folder;
    const std::string base = makeBase(folder);
    for (const std::string method : {"quilt", "multifractal", "coherent"}) {
        const std::string out = folder.path(method + ".grd");
        const ProcessResult result = runCli({"transfer", base, sampleGrid(), out, "--method", method, "-q"});
        ASSERT_EQ(result.exitCode, 0) << method << result.err;
        EXPECT_EQ(result.out, "wrote " + out + "\n");
        const VeskGrid grid = loadWithCore(out);
        EXPECT_EQ(grid.width, 2 * 202 - 2) << method;
        EXPECT_EQ(grid.height, 2 * 173 - 2) << method;
        EXPECT_EQ(grid.cellSize, 90.0f) << method;
    }
}

TEST(CliTransfer, QuiltingGivesTheBaseTheExamplesDetail)
{
    ScratchFolder folder;
    const std::string base = makeBase(folder);
    const std::string plain = folder.path("plain.grd");
    const std::string quilted = folder.path("quilted.grd");
    // Refining the base without details leaves it smooth; quilting adds the example's detail.
    ASSERT_EQ(runCli({"refine", base, plain, "--scheme", "chaikin", "-q"}).exitCode, 0);
    ASSERT_EQ(runCli({"transfer", base, sampleGrid(), quilted, "--no-rescale", "--block", "20", "-q"}).exitCode, 0);
    const float example = deviationOf(sampleGrid());
    const float smooth = deviationOf(plain);
    const float transferred = deviationOf(quilted);
    EXPECT_LT(smooth, 0.5f * example);
    EXPECT_GT(transferred, 0.75f * example);
    EXPECT_LT(transferred, 1.25f * example);
}

TEST(CliTransfer, LevelsRefineOncePerLevel)
{
    ScratchFolder folder;
    const std::string base = folder.path("base.flt");
    ASSERT_EQ(runCli({"coarsen", sampleGrid(), base, "--scheme", "chaikin", "--levels", "2", "-q"}).exitCode, 0);
    const std::string out = folder.path("out.flt");
    const ProcessResult result = runCli({"transfer", base, sampleGrid(), out, "--method", "coherent", "--levels", "2", "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const VeskGrid grid = loadWithCore(out);
    EXPECT_EQ(grid.width, 2 * (2 * 102 - 2) - 2);
    EXPECT_EQ(grid.height, 2 * (2 * 87 - 2) - 2);
}

TEST(CliErode, WritesTheErodedTerrainAndRefusesBadSettings)
{
    ScratchFolder folder;
    const std::string out = folder.path("eroded.flt");
    const ProcessResult result = runCli({"erode", sampleGrid(), out, "--iterations", "2", "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const VeskGrid eroded = loadWithCore(out);
    EXPECT_EQ(eroded.width, 403);
    EXPECT_EQ(runCli({"erode", sampleGrid(), folder.path("bad.flt"), "--creep", "2"}).exitCode, 2);
    EXPECT_EQ(runCli({"erode", sampleGrid(), folder.path("bad.flt"), "--strength", "-1"}).exitCode, 2);
    EXPECT_EQ(runCli({"erode", sampleGrid(), folder.path("bad.flt"), "--tile", "8"}).exitCode, 2);
    EXPECT_EQ(runCli({"erode", sampleGrid(), folder.path("bad.flt"), "--tile-margin", "8"}).exitCode, 2);

    // In tiles the rivers that cross them are cut less; one tile over all is the whole terrain.
    const auto erodedBytes = [&](const std::vector<std::string>& tiles) {
        std::vector<std::string> arguments{"erode", sampleGrid(), folder.path("tiled.flt"), "--iterations", "2", "-q"};
        arguments.insert(arguments.end(), tiles.begin(), tiles.end());
        EXPECT_EQ(runCli(arguments).exitCode, 0);
        return readFileBytes(folder.path("tiled.flt"));
    };
    const std::string whole = readFileBytes(out);
    EXPECT_NE(erodedBytes({"--tile", "100", "--tile-margin", "8"}), whole);
    EXPECT_EQ(erodedBytes({"--tile", "403"}), whole);
}

TEST(CliTransfer, OptionRulesAreUsageErrors)
{
    ScratchFolder folder;
    const std::string out = folder.path("out.grd");
    const std::vector<std::vector<std::string>> wrong = {
        {"transfer", sampleGrid(), sampleGrid(), out, "--method", "multifractal", "--scheme", "chaikin"},
        {"transfer", sampleGrid(), sampleGrid(), out, "--method", "stitch"},
        {"transfer", sampleGrid(), sampleGrid(), out, "--scheme", "fractal"},
        {"transfer", sampleGrid(), sampleGrid(), out, "--block", "3"},
        {"transfer", sampleGrid(), sampleGrid(), out, "--block", "101"},
        {"transfer", sampleGrid(), sampleGrid()},
        {"transfer", sampleGrid(), sampleGrid(), out, "--threads", "0"},
        {"transfer", sampleGrid(), sampleGrid(), out, "--search", "exhaustive"},
        {"transfer", sampleGrid(), sampleGrid(), out, "--levels", "0"},
        {"transfer", sampleGrid(), sampleGrid(), out, "--levels", "9"},
        {"transfer", sampleGrid(), sampleGrid(), out, "--method", "coherent", "--search", "refined"},
    };
    for (const auto& arguments : wrong) {
        const ProcessResult result = runCli(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.back();
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_TRUE(folder.entries().empty());
}

namespace {

// transfer run on a pseudo-terminal by script(1), whose output carries the terminal's stderr.
ProcessResult transferOnTerminal(const ScratchFolder& folder, const std::string& extra)
{
    const std::string base = std::string(TALVANE_TEST_DATA) + "/transfer-expected/large-base.grd";
    const std::string example = std::string(TALVANE_TEST_DATA) + "/transfer-expected/example.grd";
    const std::string command = std::string(TALVANE_CLI) + " transfer " + base + " " + example + " "
                                + folder.path("out.flt") + " --block 8" + extra + " >/dev/null";
    return runProgram("script", {"-qec", command, "/dev/null"});
}

int occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST(CliTransfer, ShowsOneProgressBarOnATerminalThatEndsOnce)
{
    if (!programOnPath("script"))
        GTEST_SKIP() << "script(1) is not installed";
    ScratchFolder folder;
    const ProcessResult result = transferOnTerminal(folder, "");
    ASSERT_EQ(result.exitCode, 0) << result.out;
    EXPECT_EQ(occurrences(result.out, "matching blocks ["), occurrences(result.out, "\rmatching blocks ["));
    EXPECT_GT(occurrences(result.out, "matching blocks ["), 2);
    EXPECT_EQ(occurrences(result.out, "] 100% ("), 1);
}

TEST(CliTransfer, ShowsNoProgressBarWhenQuietOrNotOnATerminal)
{
    ScratchFolder folder;
    if (programOnPath("script")) {
        const ProcessResult quiet = transferOnTerminal(folder, " --quiet");
        ASSERT_EQ(quiet.exitCode, 0) << quiet.out;
        EXPECT_FALSE(contains(quiet.out, "matching blocks"));
    }
    const std::string out = folder.path("piped.grd");
    const ProcessResult piped = runCli({"transfer", sampleGrid(), sampleGrid(), out, "--block", "20"});
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_FALSE(contains(piped.err, "matching blocks"));
    EXPECT_FALSE(contains(piped.out, "matching blocks"));
}
