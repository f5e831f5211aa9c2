// Failures exit 1 with the reason on standard error and leave no file behind, not even
// a temporary one; usage errors exit 2. A bad file never crashes the tool.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

void expectRefused(const ProcessResult& result, const std::string& reasonPart)
{
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_TRUE(contains(result.err, "talvane-cli: ")) << result.err;
    EXPECT_TRUE(contains(result.err, reasonPart)) << result.err;
    EXPECT_FALSE(contains(result.out, "wrote ")) << result.out;
}

std::string truncated(const std::string& bytes, std::size_t keep)
{
    return bytes.substr(0, std::min(keep, bytes.size()));
}

} // namespace

TEST(CliFailures, UnreadableInputsExitOneAndWriteNothing)
{
    ScratchFolder folder;
    writeFileBytes(folder.path("garbage.grd"), "this is not a terrain\n");
    writeFileBytes(folder.path("words.grd"), readFileBytes(sampleGrid()).substr(0, 200) + " abc 1 2 3\n");
    writeFileBytes(folder.path("short.grd"), truncated(readFileBytes(sampleGrid()), 5000));
    writeFileBytes(folder.path("short.flt"), truncated(readFileBytes(sampleFloat()), 1000));
    writeFileBytes(folder.path("short.hdr"), readFileBytes(std::string(TALVANE_TEST_DATA) + "/jacksboro.hdr"));
    writeFileBytes(folder.path("huge.grd"), "ncols 1000000001\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 0.001\n1 2\n");
    writeFileBytes(folder.path("fake.png"), "\x89PNG\r\n\x1a\nnot really");
    writeFileBytes(folder.path("orphan.flt"), truncated(readFileBytes(sampleFloat()), 400));

    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"missing.grd", "missing.grd"}, {"garbage.grd", "garbage.grd"}, {"words.grd", "words.grd"},
        {"short.grd", "short.grd"},     {"short.flt", "short.flt"},     {"huge.grd", "huge.grd"},
        {"fake.png", "fake.png: Unsupported colorType-bitDepth combination."}, {"orphan.flt", "orphan.hdr"},
    };
    const std::vector<std::string> before = folder.entries();
    for (const auto& [input, reason] : inputs) {
        SCOPED_TRACE(input);
        expectRefused(runCli({"convert", folder.path(input), folder.path("out.grd"), "-q"}), reason);
        expectRefused(runCli({"info", folder.path(input)}), reason);
        expectRefused(runCli({"coarsen", folder.path(input), folder.path("out.flt"), "--scheme", "chaikin",
                              "--details"}),
                      reason);
    }
    EXPECT_EQ(folder.entries(), before);
}

TEST(CliFailures, RefusedOperationsExitOneAndWriteNothing)
{
    ScratchFolder folder;
    writeCroppedSample(folder.path("tiny.grd"), 4, 4);
    // The lower level's details belong to a larger terrain than the one they are loaded into.
    ASSERT_EQ(runCli({"coarsen", sampleGrid(), folder.path("c.grd"), "--scheme", "chaikin", "--details", "-q"})
                  .exitCode,
              0);
    const std::vector<std::string> before = folder.entries();

    expectRefused(runCli({"coarsen", folder.path("tiny.grd"), folder.path("o.grd"), "--scheme", "chaikin",
                          "--levels", "3"}),
                  "coarsening level");
    // A 4 x 4 terrain is too small to be refined with details, whatever the file holds.
    const ProcessResult tooSmall = runCli({"refine", folder.path("tiny.grd"), folder.path("o.grd"), "--scheme",
                                           "chaikin", "--details", folder.path(before[1])});
    expectRefused(tooSmall, "refining level 1 failed");
    expectRefused(runCli({"refine", sampleGrid(), folder.path("o.grd"), "--scheme", "chaikin", "--details",
                          folder.path("absent.dtl")}),
                  "absent.dtl");
    writeFileBytes(folder.path("bad.dtl"), "no details in here\n");
    expectRefused(runCli({"refine", sampleGrid(), folder.path("o.grd"), "--scheme", "chaikin", "--details",
                          folder.path("bad.dtl")}),
                  "bad.dtl");
    std::filesystem::remove(folder.path("bad.dtl"));
    expectRefused(runCli({"transfer", folder.path("tiny.grd"), sampleGrid(), folder.path("o.grd")}), "failed");
    EXPECT_EQ(folder.entries(), before);
}

TEST(CliFailures, UnwritableOutputsExitOneAndKeepWhatWasThere)
{
    ScratchFolder folder;
    expectRefused(runCli({"convert", sampleGrid(), folder.path("no/such/folder/out.grd"), "-q"}), "out.grd");
    expectRefused(runCli({"convert", sampleGrid(), folder.path("no/such/folder/out.flt"), "-q"}), "out.flt");
    expectRefused(runCli({"coarsen", sampleGrid(), folder.path("no/such/out.asc"), "--scheme", "chaikin", "-q"}),
                  "out.asc");

    // The second file of a pair cannot be put in place (its name is taken by a folder):
    // the first, already renamed, is taken back and the file it replaced restored.
    writeFileBytes(folder.path("dem.hdr"), "an older header\n");
    std::filesystem::create_directory(folder.path("dem.flt"));
    expectRefused(runCli({"convert", sampleGrid(), folder.path("dem.flt"), "-q"}), "dem.flt");
    EXPECT_EQ(readFileBytes(folder.path("dem.hdr")), "an older header\n");

    // Likewise a details file after its terrain.
    writeFileBytes(folder.path("base.grd"), "an older terrain\n");
    std::filesystem::create_directory(folder.path("base_for_180.00_to_90.00_m_data.dtl"));
    expectRefused(runCli({"coarsen", sampleGrid(), folder.path("base.grd"), "--scheme", "chaikin", "--details", "-q"}),
                  "base_for_180.00_to_90.00_m_data.dtl");
    EXPECT_EQ(readFileBytes(folder.path("base.grd")), "an older terrain\n");

    EXPECT_EQ(folder.entries(),
              (std::vector<std::string>{"base.grd", "base_for_180.00_to_90.00_m_data.dtl", "dem.flt", "dem.hdr"}));
}

// A save cut short by a file-size limit, which the tool meets as a full disk: it says
// which file failed, the old files stay byte for byte and no temporary is left.
TEST(CliFailures, SavesCutShortByAFileSizeLimitKeepTheOldFiles)
{
    if (!programOnPath("prlimit"))
        GTEST_SKIP() << "prlimit (util-linux) is not installed";
    for (const std::string output : {"out.grd", "out.flt"}) {
        ScratchFolder folder;
        ASSERT_EQ(runCli({"convert", sampleGrid(), folder.path(output), "-q"}).exitCode, 0);
        const std::size_t whole = readFileBytes(folder.path(output)).size();
        const std::vector<std::string> before = folder.entries();
        std::vector<std::string> oldBytes;
        for (const std::string& name : before) {
            oldBytes.push_back("an older " + name + "\n");
            writeFileBytes(folder.path(name), oldBytes.back());
        }
        // Room enough for the message on standard error, which the limit also binds.
        for (const std::size_t limit : {std::size_t{4096}, whole / 3, whole / 2, whole - 1}) {
            const ProcessResult result = runProgram(
                "prlimit", {"--fsize=" + std::to_string(limit), TALVANE_CLI, "convert", sampleGrid(),
                            folder.path(output), "-q"});
            expectRefused(result, output);
            for (std::size_t k = 0; k < before.size(); ++k)
                EXPECT_EQ(readFileBytes(folder.path(before[k])), oldBytes[k]) << before[k] << " at " << limit;
            EXPECT_EQ(folder.entries(), before) << "at " << limit;
        }
    }
}

TEST(CliFailures, UsageErrorsExitTwo)
{
    ScratchFolder folder;
    const std::string out = folder.path("out.grd");
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"launch"},
        {"info"},
        {"info", sampleGrid(), "--colour"},
        {"info", folder.path("terrain.txt")},
        {"info", sampleGrid(), sampleGrid()},
        {"convert", sampleGrid()},
        {"convert", sampleGrid(), folder.path("out.bmp")},
        {"convert", folder.path("in.obj"), out},
        {"coarsen", sampleGrid(), out, "--scheme", "wavelet"},
        {"coarsen", sampleGrid(), out, "--scheme", "chaikin", "--levels", "0"},
        {"refine", sampleGrid(), out, "--scheme", "faber", "--levels", "two"},
        {"deviation"},
    };
    for (const auto& arguments : wrong) {
        const ProcessResult result = runCli(arguments);
        std::string shown;
        for (const std::string& argument : arguments)
            shown += argument + " ";
        EXPECT_EQ(result.exitCode, 2) << shown << "\n" << result.err;
        EXPECT_FALSE(result.err.empty()) << shown;
    }
    EXPECT_TRUE(folder.entries().empty());

    const ProcessResult mistyped = runCli({"frobnicate", sampleGrid()});
    EXPECT_TRUE(contains(mistyped.err, "unknown command 'frobnicate' (the commands are info, convert, coarsen"))
        << mistyped.err;

    const ProcessResult help = runCli({"coarsen", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(contains(help.out, "--scheme"));
}
