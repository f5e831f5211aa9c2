// Standard output is part of the tool's behaviour: a session of commands on the sample
// DEM must print exactly what the recordings under tests/data/expected say, byte for
// byte, diagnostics and results interleaved as a terminal sees them. The commands run
// in a scratch folder on relative names, so only the process number in the temporary
// output names differs from run to run.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace {

std::string recording(const std::string& name)
{
    return readFileBytes(std::string(TALVANE_TEST_DATA) + "/expected/" + name);
}

// Temporary outputs are named ".<name>.part-<process>-<serial>"; the process number is
// the one thing that changes between runs.
std::string withoutProcessNumbers(const std::string& printed)
{
    static const std::regex processNumber(R"(\.part-[0-9]+-)");
    return std::regex_replace(printed, processNumber, ".part-PID-");
}

struct RecordedCommand {
    std::vector<std::string> arguments;
    std::string recordingName;
};

} // namespace

TEST(CliRecordedOutput, ASessionOnTheSampleDemPrintsWhatWasRecorded)
{
    ScratchFolder folder;
    for (const char* name : {"jacksboro.grd", "jacksboro.flt", "jacksboro.hdr"})
        std::filesystem::copy_file(std::string(TALVANE_TEST_DATA) + "/" + name, folder.path(name));

    const std::vector<RecordedCommand> session = {
        {{"info", "jacksboro.grd"}, "cli_info.txt"},
        {{"coarsen", "jacksboro.grd", "coarse.grd", "--scheme", "chaikin", "--details"}, "cli_coarsen.txt"},
        {{"refine", "coarse.grd", "fine.grd", "--scheme", "chaikin", "--details",
          "coarse_for_180.00_to_90.00_m_data.dtl"},
         "cli_refine.txt"},
        {{"transfer", "jacksboro.grd", "jacksboro.flt", "transferred.grd"}, "cli_transfer.txt"},
        {{"convert", "jacksboro.flt", "converted.asc", "--split"}, "cli_convert.txt"},
        {{"--quiet", "transfer", "jacksboro.grd", "jacksboro.flt", "quiet.grd"}, "cli_transfer_quiet.txt"},
    };
    for (const RecordedCommand& command : session) {
        const ProcessResult run = runCli(command.arguments, folder.folder());
        ASSERT_EQ(run.exitCode, 0) << command.recordingName << ": " << run.err;
        const std::string expected = recording(command.recordingName);
        ASSERT_FALSE(expected.empty()) << command.recordingName;
        EXPECT_EQ(withoutProcessNumbers(run.out), expected) << command.recordingName;
    }
}
