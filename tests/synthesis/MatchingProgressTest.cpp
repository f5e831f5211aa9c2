// Progress and cancel of block matching, through the mapper, quilting and
// multifractal mapping. These tests reset the process-wide generator first.

#include "synthesis/BlockMapper.h"
#include "synthesis/BlockTiling.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/MultifractalMapping.h"
#include "synthesis/RandomRange.h"
#include "synthesis/RefinedBlockSearch.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace {

VeskGrid terrain(int width, int height, std::uint32_t salt)
{
    return makeTerrain(width, height, [salt](int x, int y) { return 200.0f * hashedNoise(x / 2, y / 2, salt) + x; });
}

// An example with one Chaikin level of details, as quilting wants it.
VeskGrid exampleWithLevel(int width, int height)
{
    VeskGrid example = terrain(width, height, 7);
    example.details.push_back(filledMatrix(height - 2, 2 * width - 2, [](int x, int y) { return 1.0f + x + y; }));
    example.details.push_back(filledMatrix(height, width - 2, [](int x, int y) { return -1.0f - x * y; }));
    return example;
}

// What one operation reported, and the request to stop at a given fraction of the blocks.
class ProgressLog {
public:
    explicit ProgressLog(double cancelAt = 2.0) : cancelAt_(cancelAt) {}

    MatchSearch search(int threads = 0)
    {
        MatchSearch search;
        search.threads = threads;
        search.progress = diagnostics::Progress(
            [this](std::int64_t done, std::int64_t total) {
                const std::lock_guard lock(mutex_);
                reports.emplace_back(done, total);
                if (static_cast<double>(done) >= cancelAt_ * static_cast<double>(total))
                    cancel_ = true;
            },
            &cancel_);
        return search;
    }

    bool cancelRequested() const { return cancel_; }
    std::vector<std::pair<std::int64_t, std::int64_t>> reports;

private:
    double cancelAt_;
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
};

void expectOneRunToTheEnd(const ProgressLog& log, std::int64_t blocks)
{
    ASSERT_FALSE(log.reports.empty());
    EXPECT_EQ(log.reports.front(), (std::pair<std::int64_t, std::int64_t>{0, blocks}));
    int ends = 0;
    for (std::size_t i = 0; i < log.reports.size(); ++i) {
        EXPECT_EQ(log.reports[i].second, blocks);
        if (i > 0) {
            EXPECT_GT(log.reports[i].first, log.reports[i - 1].first);
        }
        ends += log.reports[i].first == blocks ? 1 : 0;
    }
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(log.reports.back().first, blocks);
    // Steps of a thousandth at most: a bar moves smoothly without a report per block.
    EXPECT_GT(log.reports.size(), std::min<std::size_t>(100, static_cast<std::size_t>(blocks)));
}

void expectStoppedShort(const ProgressLog& log)
{
    EXPECT_TRUE(log.cancelRequested());
    for (const auto& [done, total] : log.reports)
        EXPECT_LT(done, total);
}

// Runs operation with the generator reset, quietly; returns what it gave.
bool runQuietly(const std::function<bool()>& operation)
{
    resetRandomRangeGenerator();
    testing::internal::CaptureStdout();
    const bool result = operation();
    testing::internal::GetCapturedStdout();
    return result;
}

} // namespace

// The refined search counts every block once more per sweep, so its fraction keeps
// moving through the sweeps instead of waiting near the end.
TEST(MatchingProgress, TheMapperCountsEveryBlockAndEndsOnce)
{
    const VeskGrid tiled = terrain(300, 280, 1);
    const VeskGrid example = terrain(90, 90, 2);
    BlockMapper mapper(tiled, example, 4, 0);
    const auto blocks = static_cast<std::int64_t>(tileGrid(300, 280, 4, 0).blocks.size());
    for (const MatchSearch::Mode mode : {MatchSearch::Mode::random, MatchSearch::Mode::refined}) {
        ProgressLog log;
        MatchSearch search = log.search();
        search.mode = mode;
        std::vector<BlockPosition> positions;
        QString error;
        ASSERT_TRUE(runQuietly([&] { return mapper.mapBlocks(10, positions, error, search); }));
        const std::int64_t passes = mode == MatchSearch::Mode::refined ? 1 + refinementSweeps : 1;
        expectOneRunToTheEnd(log, passes * blocks);
    }
}

TEST(MatchingProgress, ACancelledMappingChangesNothing)
{
    const VeskGrid tiled = terrain(120, 110, 1);
    const VeskGrid example = terrain(130, 120, 2);
    BlockMapper mapper(tiled, example, 8, 1);
    for (const MatchSearch::Mode mode : {MatchSearch::Mode::random, MatchSearch::Mode::refined}) {
        for (const double fraction : {0.1, 0.5, 0.99}) {
            ProgressLog log(fraction);
            MatchSearch search = log.search();
            search.mode = mode;
            std::vector<BlockPosition> positions{{3, 4}};
            std::vector<float> errors{1.5f};
            QString error;
            RandomRangeStream before = RandomRangeStream::current();
            ASSERT_FALSE(runQuietly([&] {
                before = RandomRangeStream::current();
                return mapper.mapBlocks(200, positions, error, search, &errors);
            })) << fraction;
            expectStoppedShort(log);
            EXPECT_EQ(error, BlockMapper::cancelledText());
            EXPECT_EQ(positions, (std::vector<BlockPosition>{{3, 4}}));
            EXPECT_EQ(errors, std::vector<float>{1.5f});
            EXPECT_EQ(RandomRangeStream::current(), before);
        }
    }
}

TEST(MatchingProgress, ACancelledQuiltingLeavesBothTerrainsAndTheMatchesAsTheyWere)
{
    const VeskGrid exampleBefore = exampleWithLevel(100, 96);
    VeskGrid baseBefore = terrain(130, 120, 3);
    baseBefore.details.push_back(filledMatrix(3, 3, [](int, int) { return 5.0f; }));
    baseBefore.details.push_back(filledMatrix(3, 3, [](int, int) { return 6.0f; }));
    QuiltMatches matchesBefore;
    matchesBefore.rectangles[QuiltMatches::randomBase] = {1, 2, 3, 4};
    for (const double fraction : {0.1, 0.5, 0.99}) {
        VeskGrid base = baseBefore;
        VeskGrid example = exampleBefore;
        QuiltMatches matches = matchesBefore;
        ProgressLog log(fraction);
        QString error;
        const MatchSearch search = log.search();
        ASSERT_FALSE(runQuietly([&] { return quiltDetails(base, example, SynthesisOptions{.blockSize = 8, .rescaleBefore = true, .rescaleAfter = true, .search = search}, matches, error); }));
        expectStoppedShort(log);
        EXPECT_EQ(error, BlockMapper::cancelledText());
        expectSameGrid(base, baseBefore);
        expectSameGrid(example, exampleBefore);
        EXPECT_EQ(matches, matchesBefore);
    }
    // Not cancelled, the same call quilts and reports every block once to the end.
    VeskGrid base = baseBefore;
    VeskGrid example = exampleBefore;
    QuiltMatches matches;
    ProgressLog log;
    QString error;
    const MatchSearch search = log.search();
    ASSERT_TRUE(runQuietly([&] { return quiltDetails(base, example, SynthesisOptions{.blockSize = 8, .rescaleBefore = true, .rescaleAfter = true, .search = search}, matches, error); }));
    expectOneRunToTheEnd(log, static_cast<std::int64_t>(tileGrid(130, 120, 8, 1).blocks.size()));
}

TEST(MatchingProgress, ACancelledMultifractalMappingLeavesBothTerrainsAsTheyWere)
{
    // An odd example, which a finished mapping would trim.
    const VeskGrid exampleBefore = terrain(101, 97, 4);
    const VeskGrid baseBefore = terrain(120, 112, 5);
    for (const double fraction : {0.1, 0.5, 0.99}) {
        VeskGrid base = baseBefore;
        VeskGrid example = exampleBefore;
        ProgressLog log(fraction);
        RoughnessMap roughness;
        roughness.blockSize = 77;
        QString error;
        const MatchSearch search = log.search();
        ASSERT_FALSE(runQuietly(
            [&] { return multifractalMapping(base, example, SynthesisOptions{.blockSize = 4, .rescaleBefore = true, .rescaleAfter = true, .search = search}, error, &roughness); }));
        expectStoppedShort(log);
        EXPECT_EQ(error, BlockMapper::cancelledText());
        expectSameGrid(base, baseBefore);
        expectSameGrid(example, exampleBefore);
        EXPECT_EQ(roughness.blockSize, 77);
        EXPECT_TRUE(roughness.deviations.empty());
    }
    VeskGrid base = baseBefore;
    VeskGrid example = exampleBefore;
    ProgressLog log;
    QString error;
    const MatchSearch search = log.search();
    ASSERT_TRUE(runQuietly([&] { return multifractalMapping(base, example, SynthesisOptions{.blockSize = 4, .rescaleBefore = true, .rescaleAfter = true, .search = search}, error); }));
    expectOneRunToTheEnd(log, static_cast<std::int64_t>(tileGrid(120, 112, 4, 0).blocks.size()));
}
