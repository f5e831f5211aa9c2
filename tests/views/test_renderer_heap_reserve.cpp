// The renderer's heap reserve: once it is in, what the drawing thread allocates and writes
// comes from pages already present instead of faulting fresh ones in.

#include "views/RendererHeapReserve.h"

#include <QtTest>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/resource.h>

namespace {

long minorFaultsOfThisThread()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
constexpr bool kHeapReservable = true;
#else
constexpr bool kHeapReservable = false;
#endif

} // namespace

class RendererHeapReserveTest : public QObject {
    Q_OBJECT

private slots:
    void allocationsAfterTheReserveFaultNoFreshPages()
    {
        if (!kHeapReservable)
            QSKIP("only glibc's heap is reserved");
        constexpr std::size_t kReserved = std::size_t{64} << 20;
        RendererHeapReserve reserve;
        reserve.reserve(kReserved);
        QTRY_VERIFY_WITH_TIMEOUT(!reserve.faultingIn(), 60000);
        reserve.takeBack();
        QVERIFY(reserve.reservedBytes() >= kReserved);

        // 48 MB in the 64 KiB blocks the renderer takes, every page written.
        constexpr std::size_t kBlock = std::size_t{64} << 10;
        constexpr int kBlocks = 768;
        std::vector<void*> blocks;
        const long before = minorFaultsOfThisThread();
        for (int k = 0; k < kBlocks; ++k) {
            blocks.push_back(std::malloc(kBlock));
            std::memset(blocks.back(), 1, kBlock);
        }
        const long faults = minorFaultsOfThisThread() - before;
        for (void* block : blocks)
            std::free(block);
        const long pages = kBlocks * static_cast<long>(kBlock / 4096);
        QVERIFY2(faults < pages / 10, qPrintable(QStringLiteral("%1 faults over %2 pages").arg(faults).arg(pages)));
    }
};

QTEST_GUILESS_MAIN(RendererHeapReserveTest)
#include "test_renderer_heap_reserve.moc"
