// Background priority: work run lowered lowers its thread, the threads it starts and the
// oneTBB workers of its loops, never the application's main thread, and computes what it
// computes on a normal thread.

// oneTBB first: a Qt header before it defines `emit`, a name oneTBB uses.
#include <tbb/parallel_for.h>

#include "support/TestGrids.h"
#include "views/BackgroundPriority.h"
#include "views/ChunkHierarchy.h"

#include <QtTest>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

float ridges(int row, int column)
{
    const std::uint32_t hash =
        (static_cast<std::uint32_t>(row) * 73856093u) ^ (static_cast<std::uint32_t>(column) * 19349663u);
    return 0.5f * static_cast<float>(row % 37) + 0.25f * static_cast<float>(column % 23)
         + 0.01f * static_cast<float>(hash % 97);
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void napInEachStep()
{
    // Long enough that a worker joins the loop where there is one.
    tbb::parallel_for(0, 64, [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
}

} // namespace

class BackgroundPriorityTest : public QObject {
    Q_OBJECT

private slots:
    void lowersItsThreadWhatItStartsAndTheWorkersOfItsLoops()
    {
        // oneTBB's workers started here, at normal priority: threads started by lowered
        // work would be born lowered.
        napInEachStep();
        int workerNice = 0;
        int startedNice = 0;
        std::vector<int> loopNices;
        std::thread worker([&] {
            background_priority::runLowered([&] {
                workerNice = background_priority::callingThreadNice();
                std::thread started([&] { startedNice = background_priority::callingThreadNice(); });
                started.join();
                std::mutex guard;
                tbb::parallel_for(0, 64, [&](int) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    const std::lock_guard lock(guard);
                    loopNices.push_back(background_priority::callingThreadNice());
                });
            });
        });
        worker.join();
        QVERIFY(workerNice >= background_priority::kNice);
        QVERIFY(startedNice >= background_priority::kNice);
        QCOMPARE(loopNices.size(), std::size_t{64});
        for (const int nice : loopNices)
            QVERIFY(nice >= background_priority::kNice);
    }

    void leavesTheMainThreadAsItWas()
    {
        const int before = background_priority::callingThreadNice();
        bool ran = false;
        background_priority::runLowered([&] { ran = true; });
        QVERIFY(ran);
        QCOMPARE(background_priority::callingThreadNice(), before);
    }

    void buildsTheSameHierarchyInTheBackground()
    {
        VeskGrid grid;
        fillTestGrid(grid, 700, 530, 10.0f, ridges);
        ChunkHierarchy plain;
        QVERIFY(plain.build(grid));
        const ChunkHierarchy lowered = background_priority::runInBackground([&grid] {
                                           ChunkHierarchy built;
                                           built.build(grid);
                                           return built;
                                       }).result();
        QCOMPARE(lowered.chunkCount(), plain.chunkCount());
        QCOMPARE(lowered.levels(), plain.levels());
        for (int chunk = 0; chunk < plain.chunkCount(); ++chunk) {
            QVERIFY(sameBits(lowered.lowest(chunk), plain.lowest(chunk)));
            QVERIFY(sameBits(lowered.highest(chunk), plain.highest(chunk)));
            for (int level = 0; level < plain.levels(); ++level)
                QVERIFY(sameBits(lowered.error(chunk, level), plain.error(chunk, level)));
        }
    }
};

QTEST_GUILESS_MAIN(BackgroundPriorityTest)
#include "test_background_priority.moc"
