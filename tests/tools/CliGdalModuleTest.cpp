// GDAL is loaded only for a GDAL format: with the GDAL module looked for in a folder
// where it is missing or broken (TALVANE_GDAL_MODULE_DIR), our own formats still work,
// and a GDAL format is refused with one line naming the file and the loader's reason,
// writing nothing.

#include "tests/tools/CliTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kModule = "libtalvane_gdal.so";

std::string geoTiffFixture()
{
    return std::string(TALVANE_TEST_DATA) + "/jacksboro_geographic.tif";
}

ProcessResult runCliWithModuleIn(const std::string& folder, const std::vector<std::string>& arguments)
{
    return runProgram(TALVANE_CLI, arguments, {"TALVANE_GDAL_MODULE_DIR=" + folder});
}

// One line that names the module's file and says why it did not load.
void expectModuleRefusal(const ProcessResult& result, const std::string& moduleFile, const std::string& reason)
{
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_TRUE(contains(result.err, "GDAL support could not be loaded: " + moduleFile + ": " + reason)) << result.err;
    EXPECT_EQ(lines(result.err).size(), 1u) << result.err;
}

} // namespace

TEST(CliGdalModule, AMissingModuleRefusesGdalFormatsAndLeavesOurOwnWorking)
{
    ScratchFolder folder;
    const std::string missing = folder.path("nothing-here");
    const std::string module = missing + "/" + kModule;

    const ProcessResult info = runCliWithModuleIn(missing, {"info", geoTiffFixture()});
    expectModuleRefusal(info, module, "cannot open shared object file");
    EXPECT_TRUE(contains(info.err, "could not be opened as a raster")) << info.err;

    for (const std::string name : {"out.tif", "out.png"}) {
        const ProcessResult convert = runCliWithModuleIn(missing, {"convert", sampleFloat(), folder.path(name)});
        expectModuleRefusal(convert, module, "cannot open shared object file");
        EXPECT_TRUE(contains(convert.err, folder.path(name) + " could not be written")) << convert.err;
        EXPECT_FALSE(fileExists(folder.path(name))) << name;
    }

    const ProcessResult own = runCliWithModuleIn(missing, {"convert", sampleFloat(), folder.path("out.asc")});
    EXPECT_EQ(own.exitCode, 0) << own.err;
    EXPECT_TRUE(fileExists(folder.path("out.asc")));
    const ProcessResult raw = runCliWithModuleIn(missing, {"convert", sampleFloat(), folder.path("out.r16")});
    EXPECT_EQ(raw.exitCode, 0) << raw.err;
}

TEST(CliGdalModule, ABrokenModuleIsNamedAndNeverLoadedForOurOwnFormats)
{
    ScratchFolder folder;
    const std::string module = folder.path(kModule);
    writeFileBytes(module, "not a shared object\n");

    // Were the module loaded for a format of our own, this broken one would fail it.
    const ProcessResult own = runCliWithModuleIn(folder.folder(), {"info", sampleFloat(), "-q"});
    EXPECT_EQ(own.exitCode, 0) << own.err;
    EXPECT_TRUE(contains(own.out, "width: 403")) << own.out;

    const ProcessResult info = runCliWithModuleIn(folder.folder(), {"info", geoTiffFixture()});
    EXPECT_EQ(info.exitCode, 1) << info.err;
    EXPECT_TRUE(contains(info.err, "GDAL support could not be loaded: " + module)) << info.err;
    EXPECT_EQ(lines(info.err).size(), 1u) << info.err;
}

TEST(CliGdalModule, TheBuiltModuleIsFoundWithoutHelp)
{
    const ProcessResult info = runCli({"info", geoTiffFixture(), "-q"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_TRUE(contains(info.out, "width: 403")) << info.out;
}
