// info and deviation: the numbers a script reads, checked against the core's own load.

#include "CliTestSupport.h"

#include "multires/Fractal.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

// The JSON object's number for key, parsed as a float.
float jsonNumber(const std::string& json, const std::string& key)
{
    const std::regex pattern("\"" + key + "\":(-?[0-9.eE+-]+)");
    std::smatch match;
    if (!std::regex_search(json, match, pattern))
        return std::numeric_limits<float>::quiet_NaN();
    return std::stof(match[1].str());
}

void expectJsonDescribes(const std::string& json, const VeskGrid& grid)
{
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.back(), '}');
    EXPECT_EQ(jsonNumber(json, "width"), grid.width);
    EXPECT_EQ(jsonNumber(json, "height"), grid.height);
    EXPECT_EQ(jsonNumber(json, "cellSize"), grid.cellSize);
    // Shortest round-trip text: the floats come back exactly.
    EXPECT_EQ(jsonNumber(json, "min"), grid.minHeight);
    EXPECT_EQ(jsonNumber(json, "max"), grid.maxHeight);
    EXPECT_EQ(jsonNumber(json, "average"), grid.averageHeight);
}

} // namespace

TEST(CliInfo, PrintsTheSampleDemsSizeCellSizeAndStatistics)
{
    const ProcessResult result = runCli({"info", sampleGrid()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
    EXPECT_TRUE(contains(result.out, "width: 403\n"));
    EXPECT_TRUE(contains(result.out, "height: 344\n"));
    EXPECT_TRUE(contains(result.out, "cellSize: 90 m\n"));
    EXPECT_TRUE(contains(result.out, "min: 236.000\n"));
    EXPECT_TRUE(contains(result.out, "max: 1076.000\n"));
    EXPECT_TRUE(contains(result.out, "average: 531.031\n"));
    // Without --quiet the loader's own summary comes first.
    EXPECT_TRUE(contains(result.out, "Loading ASCII Grid File\n"));
}

TEST(CliInfo, JsonOnTheLastLineMatchesTheCoreLoadForBothFormats)
{
    for (const std::string& file : {sampleGrid(), sampleFloat()}) {
        const ProcessResult result = runCli({"info", file, "--json"});
        ASSERT_EQ(result.exitCode, 0) << file << result.err;
        expectJsonDescribes(lastLine(result.out), loadWithCore(file));
        EXPECT_EQ(jsonNumber(lastLine(result.out), "width"), 403);
        EXPECT_EQ(jsonNumber(lastLine(result.out), "cellSize"), 90);
    }
}

TEST(CliInfo, QuietLeavesOnlyTheResults)
{
    const ProcessResult json = runCli({"info", sampleGrid(), "--json", "--quiet"});
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_EQ(lines(json.out).size(), 1u) << json.out;
    expectJsonDescribes(lastLine(json.out), loadWithCore(sampleGrid()));

    const ProcessResult text = runCli({"--quiet", "info", sampleGrid()});
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_EQ(lines(text.out).size(), 7u) << text.out; // file, width, height, cellSize, min, max, average
    EXPECT_FALSE(contains(text.out, "Loading"));
}

TEST(CliInfo, DeviationIsTheCoresEstimate)
{
    VeskGrid grid = loadWithCore(sampleGrid());
    const float expected = estimateDetailDeviation(grid);
    const ProcessResult result = runCli({"deviation", sampleGrid(), "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_EQ(lines(result.out).size(), 1u) << result.out;
    const std::string line = lastLine(result.out);
    ASSERT_EQ(line.rfind("deviation: ", 0), 0u) << line;
    EXPECT_EQ(std::stof(line.substr(11)), expected);
    EXPECT_GT(expected, 0.0f);
}
