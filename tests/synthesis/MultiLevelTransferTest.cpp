#include "diagnostics/CollectingSink.h"
#include "multires/Scheme.h"
#include "synthesis/DetailTransfer.h"
#include "multires/NormalDeviatesState.h"
#include "synthesis/RandomRange.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <tuple>

// Transfers over several levels on the real 403 x 344 DEM. Quilting and multifractal
// mapping draw from the process-wide generators: the tests put both where a fresh
// process starts them.

namespace {

const std::uint32_t normalDeviatesAtStart = normalDeviateState();

void startGeneratorsAfresh()
{
    resetRandomRangeGenerator();
    restoreNormalDeviateState(normalDeviatesAtStart);
}

VeskGrid sampleTerrain()
{
    VeskGrid terrain;
    const bool loaded = terrain.loadGRDFile(QString::fromStdString(testDataPath("jacksboro.grd")));
    EXPECT_TRUE(loaded) << terrain.lastError.toStdString();
    return terrain;
}

VeskGrid coarsened(VeskGrid grid, Scheme scheme, int times)
{
    for (int i = 0; i < times; ++i)
        EXPECT_TRUE(traitsOf(scheme).coarsen(grid));
    grid.clearDetails();
    return grid;
}

TransferSettings settingsFor(SynthesisMethod method, Scheme scheme, int levels)
{
    TransferSettings settings;
    settings.method = method;
    settings.scheme = scheme;
    settings.levels = levels;
    settings.rescaleBefore = true;
    settings.rescaleAfter = true;
    return settings;
}

bool transfer(VeskGrid& base, VeskGrid& example, const TransferSettings& settings)
{
    TransferOutcome outcome;
    TransferFailure failure;
    const bool transferred = transferDetail(base, example, settings, outcome, failure);
    EXPECT_TRUE(transferred) << failure.reason.toStdString();
    return transferred;
}

// What a user gets by chaining single transfers by hand, each in a fresh process:
// level k with the example coarsened levels - k times.
VeskGrid chainedTransfers(VeskGrid base, const VeskGrid& example, SynthesisMethod method, Scheme scheme, int levels)
{
    for (int k = 1; k <= levels; ++k) {
        VeskGrid levelExample = coarsened(example, method == SynthesisMethod::multifractal ? Scheme::chaikin : scheme,
                                          levels - k);
        startGeneratorsAfresh();
        transfer(base, levelExample, settingsFor(method, scheme, 1));
    }
    return base;
}

VeskGrid multiLevelTransfer(VeskGrid base, VeskGrid example, const TransferSettings& settings)
{
    startGeneratorsAfresh();
    transfer(base, example, settings);
    return base;
}

} // namespace

TEST(MultiLevelTransfer, QuiltAndMultifractalGiveTheBytesOfSingleTransfersChainedByHand)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const VeskGrid example = sampleTerrain();
    const struct {
        SynthesisMethod method;
        Scheme scheme;
    } cases[] = {{SynthesisMethod::quilt, Scheme::chaikin},
                 {SynthesisMethod::quilt, Scheme::faber},
                 {SynthesisMethod::multifractal, Scheme::chaikin}};
    for (const auto& [method, scheme] : cases) {
        SCOPED_TRACE(std::string(methodTraitsOf(method).name) + " " + std::string(traitsOf(scheme).name));
        const VeskGrid base = coarsened(example, scheme, 2);
        const VeskGrid chained = chainedTransfers(base, example, method, scheme, 2);
        const VeskGrid together = multiLevelTransfer(base, example, settingsFor(method, scheme, 2));
        ASSERT_EQ(together.width, chained.width);
        ASSERT_EQ(together.height, chained.height);
        EXPECT_TRUE(sameBits(together.heights, chained.heights));
    }
}

TEST(MultiLevelTransfer, CoherentSynthesisIsTheSameOnAnyThreadCountAndKeepsTheBase)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const VeskGrid example = sampleTerrain();
    const VeskGrid base = coarsened(example, Scheme::chaikin, 2);
    TransferSettings settings = settingsFor(SynthesisMethod::coherent, Scheme::chaikin, 2);
    settings.search.threads = 1;
    const VeskGrid oneThread = multiLevelTransfer(base, example, settings);
    settings.search.threads = 2;
    const VeskGrid twoThreads = multiLevelTransfer(base, example, settings);
    settings.search.threads = 0;
    const VeskGrid everyCore = multiLevelTransfer(base, example, settings);
    EXPECT_TRUE(sameBits(oneThread.heights, twoThreads.heights));
    EXPECT_TRUE(sameBits(oneThread.heights, everyCore.heights));
    ASSERT_EQ(oneThread.width, 2 * (2 * base.width - 2) - 2);

    // Coarsened back by as many levels, the result is the base again, within 1 % of its
    // relief; one level up too.
    const VeskGrid oneLevelBase = coarsened(example, Scheme::chaikin, 1);
    const VeskGrid oneLevel = multiLevelTransfer(oneLevelBase, example, settingsFor(SynthesisMethod::coherent, Scheme::chaikin, 1));
    for (const auto& [result, start, levels] :
         {std::tuple{&oneThread, &base, 2}, std::tuple{&oneLevel, &oneLevelBase, 1}}) {
        const VeskGrid back = coarsened(*result, Scheme::chaikin, levels);
        ASSERT_EQ(back.width, start->width);
        ASSERT_EQ(back.height, start->height);
        double largest = 0.0;
        for (int y = 0; y < start->height; ++y)
            for (int x = 0; x < start->width; ++x)
                largest = std::max(largest, std::abs(double(back.heights[y][x]) - double(start->heights[y][x])));
        EXPECT_LE(largest, 0.01 * (start->maxHeight - start->minHeight)) << levels << " levels";
    }
}

TEST(MultiLevelTransfer, ACancelAnywhereLeavesBothTerrainsAsTheyWere)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const VeskGrid example = sampleTerrain();
    for (const SynthesisMethod method : {SynthesisMethod::quilt, SynthesisMethod::coherent}) {
        for (const double cancelAt : {0.1, 0.5, 0.99}) {
            SCOPED_TRACE(std::string(methodTraitsOf(method).name) + " at " + std::to_string(cancelAt));
            const VeskGrid baseBefore = coarsened(example, Scheme::chaikin, 2);
            VeskGrid base = baseBefore;
            VeskGrid exampleCopy = example;
            std::atomic<bool> cancel{false};
            TransferSettings settings = settingsFor(method, Scheme::chaikin, 2);
            settings.search.progress = diagnostics::Progress(
                [&](std::int64_t done, std::int64_t total) {
                    if (double(done) >= cancelAt * double(total))
                        cancel = true;
                },
                &cancel);
            TransferOutcome outcome;
            TransferFailure failure;
            resetRandomRangeGenerator();
            EXPECT_FALSE(transferDetail(base, exampleCopy, settings, outcome, failure));
            EXPECT_TRUE(cancel);
            EXPECT_TRUE(sameBits(base.heights, baseBefore.heights));
            EXPECT_EQ(base.width, baseBefore.width);
            EXPECT_TRUE(sameBits(exampleCopy.heights, example.heights));
        }
    }
}
