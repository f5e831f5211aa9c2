// transfer gives the very bytes the serial matcher gave, for both methods, both
// quilting schemes, with and without rescaling, at small, large and automatic blocks.

#include "CliTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string expectedFolder()
{
    return std::string(TALVANE_TEST_DATA) + "/transfer-expected/";
}

struct TransferCase {
    std::string method; // quilt-chaikin, quilt-faber or multifractal
    bool rescale = true;
    int block = 0;

    std::string name() const
    {
        return method + (rescale ? "-rescale-" : "-norescale-") + std::to_string(block);
    }

    std::vector<std::string> arguments(const std::string& out) const
    {
        const std::string base = expectedFolder() + (block == 100 ? "large-base.grd" : "base.grd");
        std::vector<std::string> arguments{"transfer", base, expectedFolder() + "example.grd", out, "-q"};
        if (method == "multifractal") {
            arguments.insert(arguments.end(), {"--method", "multifractal"});
        } else {
            arguments.insert(arguments.end(), {"--method", "quilt", "--scheme", method.substr(6)});
        }
        if (!rescale)
            arguments.push_back("--no-rescale");
        arguments.insert(arguments.end(), {"--block", std::to_string(block)});
        return arguments;
    }
};

std::vector<TransferCase> allCases()
{
    std::vector<TransferCase> cases;
    for (const std::string method : {"quilt-chaikin", "quilt-faber", "multifractal"})
        for (const bool rescale : {true, false})
            for (const int block : {4, 8, 20, 100})
                cases.push_back({method, rescale, block});
    return cases;
}

// Runs one case with the extra arguments and compares both written files with the expected ones.
void expectSameBytes(const TransferCase& transfer, const std::vector<std::string>& extra)
{
    ScratchFolder folder;
    const std::string out = folder.path(transfer.name() + ".flt");
    std::vector<std::string> arguments = transfer.arguments(out);
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const ProcessResult result = runCli(arguments);
    ASSERT_EQ(result.exitCode, 0) << transfer.name() << ": " << result.err;
    for (const std::string extension : {".flt", ".hdr"}) {
        const std::string made = folder.path(transfer.name() + extension);
        const std::string expected = expectedFolder() + transfer.name() + extension;
        ASSERT_TRUE(fileExists(expected)) << expected;
        EXPECT_TRUE(readFileBytes(made) == readFileBytes(expected)) << transfer.name() << extension << " differs";
    }
}

} // namespace

TEST(CliTransferExpected, DefaultRunsGiveTheSerialBytes)
{
    for (const TransferCase& transfer : allCases())
        expectSameBytes(transfer, {});
}

TEST(CliTransferExpected, OneThreadGivesTheSerialBytes)
{
    for (const TransferCase& transfer : allCases())
        expectSameBytes(transfer, {"--threads", "1"});
}

TEST(CliTransferExpected, RefinedSearchGivesTheSameBytesOnAnyThreadCount)
{
    for (const TransferCase& transfer : allCases()) {
        ScratchFolder folder;
        std::string first;
        for (const std::string threads : {"1", "2", "3"}) {
            const std::string out = folder.path(threads + ".flt");
            std::vector<std::string> arguments = transfer.arguments(out);
            arguments.insert(arguments.end(), {"--search", "refined", "--threads", threads});
            const ProcessResult result = runCli(arguments);
            ASSERT_EQ(result.exitCode, 0) << transfer.name() << ": " << result.err;
            const std::string bytes = readFileBytes(out);
            ASSERT_FALSE(bytes.empty());
            if (first.empty())
                first = bytes;
            EXPECT_TRUE(bytes == first) << transfer.name() << " on " << threads << " threads";
        }
        // Refining changes matches on these terrains, so the output is not the random search's.
        EXPECT_FALSE(first == readFileBytes(expectedFolder() + transfer.name() + ".flt")) << transfer.name();
    }
}
