// compare: figures on the sample DEM against itself and a part of itself; refusals.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

TEST(CliCompare, SampleAgainstItselfPrintsEveryFigureAndZeroErrorsInJson)
{
    const ProcessResult result = runCli({"compare", sampleGrid(), sampleFloat(), "--json", "--block-step", "16", "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* figure : {"spectrum error: 0 decades", "slope distance (Wasserstein-1): 0 degrees",
                               "roughness (std of the finest Laplacian)", "pits (lower than all 8 neighbours)",
                               "flats (no descent steeper than 0.001)", "channel samples (drainage area >= 256",
                               "drainage exceedance slope", "seam ratio: reference"})
        EXPECT_TRUE(contains(result.out, figure)) << figure << "\n" << result.out;
    const std::string json = lastLine(result.out);
    EXPECT_EQ(json.front(), '{');
    EXPECT_TRUE(contains(json, R"("spectrumError":0,"spectrumErrorOctaves":6,"slopeDistance":0,)")) << json;
    EXPECT_TRUE(contains(json, R"("roughnessRatio":1,"pitRatio":1,"channelRatio":1,"flatExcess":0})")) << json;
}

TEST(CliCompare, TerrainsOfDifferentSizesCompare)
{
    ScratchFolder scratch;
    const std::string part = scratch.path("part.grd");
    writeCroppedSample(part, 200, 150);
    const ProcessResult result = runCli({"compare", sampleGrid(), part, "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(contains(result.out, "terrain: " + part + ", 200 x 150 samples, cell 90 m")) << result.out;
}

TEST(CliCompare, RefusesWhatCannotBeComparedWithAReason)
{
    ScratchFolder scratch;
    const std::string tiny = scratch.path("tiny.grd");
    writeCroppedSample(tiny, 12, 40);
    const ProcessResult small = runCli({"compare", sampleGrid(), tiny});
    EXPECT_EQ(small.exitCode, 1);
    EXPECT_TRUE(contains(small.err, "cannot compare: the terrain")) << small.err;
    EXPECT_TRUE(contains(small.err, "too small to compare")) << small.err;

    // The warped sample's corners are no-data.
    const ProcessResult voids = runCli({"compare", sampleGrid(), std::string(TALVANE_TEST_DATA) + "/jacksboro_utm16.tif"});
    EXPECT_EQ(voids.exitCode, 1);
    EXPECT_TRUE(contains(voids.err, "no-data samples")) << voids.err;

    const ProcessResult badStep = runCli({"compare", sampleGrid(), sampleGrid(), "--block-step", "2"});
    EXPECT_EQ(badStep.exitCode, 2);
    const ProcessResult badOffset =
        runCli({"compare", sampleGrid(), sampleGrid(), "--block-step", "16", "--block-offset", "16"});
    EXPECT_EQ(badOffset.exitCode, 1);
    EXPECT_TRUE(contains(badOffset.err, "its offset (16)")) << badOffset.err;
}
