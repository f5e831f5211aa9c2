#include "diagnostics/Progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Report = std::pair<std::int64_t, std::int64_t>;

TEST(Progress, DefaultTellsNobodyAndIsNeverCancelled)
{
    const diagnostics::Progress progress;
    progress.advance(1, 2);
    progress.advance(2, 2);
    EXPECT_FALSE(progress.cancelled());
}

TEST(Progress, PassesReportsThrough)
{
    std::vector<Report> reports;
    const diagnostics::Progress progress([&](std::int64_t done, std::int64_t total) { reports.emplace_back(done, total); });
    progress.advance(0, 3);
    progress.advance(2, 3);
    progress.advance(3, 3);
    EXPECT_EQ(reports, (std::vector<Report>{{0, 3}, {2, 3}, {3, 3}}));
}

TEST(Progress, DropsReportsThatAreNotAheadSoTheEndComesOnce)
{
    std::vector<Report> reports;
    const diagnostics::Progress progress([&](std::int64_t done, std::int64_t total) { reports.emplace_back(done, total); });
    progress.advance(2, 4);
    progress.advance(1, 4);
    progress.advance(4, 4);
    progress.advance(4, 4);
    progress.advance(3, 4);
    EXPECT_EQ(reports, (std::vector<Report>{{2, 4}, {4, 4}}));
}

TEST(Progress, ANewTotalStartsAfresh)
{
    std::vector<Report> reports;
    const diagnostics::Progress progress([&](std::int64_t done, std::int64_t total) { reports.emplace_back(done, total); });
    progress.advance(5, 5);
    progress.advance(0, 7);
    EXPECT_EQ(reports, (std::vector<Report>{{5, 5}, {0, 7}}));
}

TEST(Progress, CopiesShareTheLastReport)
{
    std::vector<Report> reports;
    const diagnostics::Progress progress([&](std::int64_t done, std::int64_t total) { reports.emplace_back(done, total); });
    const diagnostics::Progress copy = progress;
    progress.advance(3, 4);
    copy.advance(2, 4);
    copy.advance(4, 4);
    EXPECT_EQ(reports, (std::vector<Report>{{3, 4}, {4, 4}}));
}

TEST(Progress, FollowsTheCancelFlag)
{
    std::atomic<bool> cancel{false};
    const diagnostics::Progress progress({}, &cancel);
    EXPECT_FALSE(progress.cancelled());
    cancel = true;
    EXPECT_TRUE(progress.cancelled());
    progress.advance(1, 1);  // no callback: nothing to call
}

TEST(Progress, WorkersReportWithoutOverlapAndInOrder)
{
    constexpr std::int64_t perThread = 2000;
    constexpr int threads = 4;
    constexpr std::int64_t total = perThread * threads;
    std::atomic<std::int64_t> counter{0};
    std::atomic<int> inside{0};
    bool overlapped = false;
    std::int64_t last = -1;
    bool stepBack = false;
    int ends = 0;
    const diagnostics::Progress progress([&](std::int64_t done, std::int64_t reportedTotal) {
        if (inside.fetch_add(1) != 0)
            overlapped = true;
        if (done <= last)
            stepBack = true;
        last = done;
        if (done == reportedTotal)
            ++ends;
        inside.fetch_sub(1);
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (std::int64_t i = 0; i < perThread; ++i)
                progress.advance(counter.fetch_add(1) + 1, total);
        });
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(stepBack);
    EXPECT_EQ(last, total);
    EXPECT_EQ(ends, 1);
}

}  // namespace
