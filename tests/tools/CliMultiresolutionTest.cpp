// coarsen and refine: exact reconstruction through details files, sizes, option rules.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The coarse width (num_cols) a details file declares on its second line.
int detailsCoarseWidth(const std::string& path)
{
    std::istringstream text(readFileBytes(path));
    std::string line;
    std::getline(text, line);
    std::getline(text, line);
    return std::stoi(line);
}

std::vector<std::string> detailsFiles(const ScratchFolder& folder)
{
    std::vector<std::string> found;
    for (const std::string& name : folder.entries())
        if (name.size() > 4 && name.substr(name.size() - 4) == ".dtl")
            found.push_back(folder.path(name));
    return found;
}

struct RoundTripCase {
    const char* scheme;
    int columns;
    int rows;
    int coarseColumns;
    int coarseRows;
};

// Sizes that survive two levels unchanged: Chaikin halves W to W / 2 + 1 after trimming
// to even and refines to 2W - 2, so 402 -> 202 -> 102 and 342 -> 172 -> 87 come back.
// (The details file holds the Chaikin shapes of a level; a Faber level does not fit it.)
const RoundTripCase roundTripCases[] = {
    {"chaikin", 402, 342, 102, 87},
};

} // namespace

TEST(CliMultiresolution, CoarsenThenRefineWithDetailsRestoresTheHeightsThroughTwoLevels)
{
    for (const RoundTripCase& test : roundTripCases) {
        SCOPED_TRACE(test.scheme);
        ScratchFolder folder;
        const std::string fine = folder.path("fine.grd");
        writeCroppedSample(fine, test.columns, test.rows);

        const ProcessResult coarsen = runCli({"coarsen", fine, folder.path("coarse.flt"), "--scheme", test.scheme,
                                              "--levels", "2", "--details", "-q"});
        ASSERT_EQ(coarsen.exitCode, 0) << coarsen.err;
        const VeskGrid coarse = loadWithCore(folder.path("coarse.flt"));
        EXPECT_EQ(coarse.width, test.coarseColumns);
        EXPECT_EQ(coarse.height, test.coarseRows);
        const std::vector<std::string> details = detailsFiles(folder);
        ASSERT_EQ(details.size(), 2u);
        // The top level belongs to the coarse grid, the other to the level between.
        const bool firstIsTop = detailsCoarseWidth(details[0]) == test.coarseColumns;
        const std::string topLevel = firstIsTop ? details[0] : details[1];
        const std::string lowerLevel = firstIsTop ? details[1] : details[0];
        EXPECT_NE(detailsCoarseWidth(lowerLevel), test.coarseColumns);

        ASSERT_EQ(runCli({"refine", folder.path("coarse.flt"), folder.path("middle.flt"), "--scheme", test.scheme,
                          "--details", topLevel, "-q"})
                      .exitCode,
                  0);
        const ProcessResult refine = runCli({"refine", folder.path("middle.flt"), folder.path("restored.flt"),
                                             "--scheme", test.scheme, "--details", lowerLevel, "-q"});
        ASSERT_EQ(refine.exitCode, 0) << refine.err;

        // Details files hold five decimals, so the rebuilt heights are within a few
        // hundred-thousandths of the originals (whole metres in the sample).
        const double error = largestHeightDifference(loadWithCore(folder.path("restored.flt")), loadWithCore(fine));
        EXPECT_LT(error, 1e-3);
        std::printf("%s: largest height error after two levels %.3g m\n", test.scheme, error);
    }
}

TEST(CliMultiresolution, LevelsChangeTheSizeAsEachSchemeDoes)
{
    ScratchFolder folder;
    const std::string out = folder.path("out.grd");
    struct SizeCase {
        std::vector<std::string> arguments;
        int width;
        int height;
    };
    const std::vector<SizeCase> cases = {
        {{"coarsen", sampleGrid(), out, "--scheme", "chaikin"}, 202, 173},            // 402 x 344 halved
        {{"coarsen", sampleGrid(), out, "--scheme", "faber", "--levels", "2"}, 101, 86}, // 403 -> 202 -> 101
        {{"coarsen", sampleGrid(), out, "--scheme", "fractal"}, 201, 172},           // decimation
        {{"refine", sampleGrid(), out, "--scheme", "chaikin"}, 804, 686},
        {{"refine", sampleGrid(), out, "--scheme", "faber"}, 805, 687},
        {{"refine", sampleGrid(), out, "--scheme", "fractal"}, 804, 686},
        {{"coarsen", sampleGrid(), out, "--levels", "1"}, 202, 173}, // Chaikin unless told
        {{"refine", sampleGrid(), out, "--levels", "1"}, 804, 686},
    };
    for (const SizeCase& test : cases) {
        std::vector<std::string> arguments = test.arguments;
        arguments.push_back("--quiet");
        const ProcessResult result = runCli(arguments);
        ASSERT_EQ(result.exitCode, 0) << test.arguments[0] << " " << test.arguments[4] << result.err;
        const VeskGrid grid = loadWithCore(out);
        EXPECT_EQ(grid.width, test.width) << test.arguments[0] << " " << test.arguments[4];
        EXPECT_EQ(grid.height, test.height) << test.arguments[0] << " " << test.arguments[4];
    }
}

TEST(CliMultiresolution, DetailsFilesAreNamedAfterOutAndWrittenBesideIt)
{
    ScratchFolder folder;
    const ProcessResult result =
        runCli({"coarsen", sampleGrid(), folder.path("base.grd"), "--scheme", "chaikin", "--details", "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // One level from 90 m: the writer names the pair from 180 m to 90 m.
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"base.grd", "base_for_180.00_to_90.00_m_data.dtl"}));
    EXPECT_EQ(readFileBytes(folder.path("base_for_180.00_to_90.00_m_data.dtl")).rfind("base\tsource\n", 0), 0u);
    EXPECT_EQ(lines(result.out).size(), 2u) << result.out; // "wrote" for each file
}

TEST(CliMultiresolution, SchemesWithoutDetailsRefuseDetailsOptionsAsUsageErrors)
{
    ScratchFolder folder;
    const ProcessResult coarsen =
        runCli({"coarsen", sampleGrid(), folder.path("x.grd"), "--scheme", "fractal", "--details"});
    EXPECT_EQ(coarsen.exitCode, 2);
    EXPECT_TRUE(contains(coarsen.err, "--details")) << coarsen.err;
    const ProcessResult refine =
        runCli({"refine", sampleGrid(), folder.path("x.grd"), "--scheme", "fractal", "--details", "any.dtl"});
    EXPECT_EQ(refine.exitCode, 2);
    EXPECT_TRUE(folder.entries().empty());
}
