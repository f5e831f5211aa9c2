#include "views/RendererHeapReserve.h"

#include "grid/MemoryPopulation.h"
#include "views/BackgroundPriority.h"

#include <algorithm>
#include <cstdlib>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#include <malloc.h>
#define TALVANE_GLIBC_HEAP 1
#endif

namespace {

// Below glibc's largest threshold for serving a request from the heap (32 MiB): a piece
// larger would be a mapping of its own, given back to the system when freed.
constexpr std::size_t kPieceBytes = std::size_t{8} << 20;

#if defined(TALVANE_GLIBC_HEAP)
// The heap keeps what it is given back up to the reserve, and serves requests up to 32 MiB
// itself (glibc's own thresholds rise that far after the first large frees): otherwise the
// reserve would go back to the system as soon as it is freed.
void keepHeapOf(std::size_t bytes)
{
    static std::size_t kept = 0;
    if (bytes <= kept)
        return;
    kept = bytes;
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(kept + (std::size_t{64} << 20)));
}
#endif

} // namespace

RendererHeapReserve::~RendererHeapReserve()
{
    watcher_.waitForFinished();
    giveBack();
}

void RendererHeapReserve::reserve(std::size_t bytes)
{
#if defined(TALVANE_GLIBC_HEAP)
    takeBack();
    bytes = std::min(bytes, kMostBytes);
    if (faultingIn() || bytes <= reserved_)
        return;
    keepHeapOf(bytes);
    while (piecesBytes_ < bytes) {
        void* piece = std::malloc(kPieceBytes);
        if (piece == nullptr)
            break;
        pieces_.push_back(piece);
        piecesBytes_ += kPieceBytes;
    }
    watcher_.setFuture(background_priority::runInBackground([pieces = pieces_] {
        for (void* piece : pieces)
            populateForWriting(piece, kPieceBytes);
    }));
#else
    (void)bytes;
#endif
}

void RendererHeapReserve::takeBack()
{
    if (pieces_.empty() || faultingIn())
        return;
    reserved_ = piecesBytes_;
    giveBack();
}

void RendererHeapReserve::giveBack()
{
    for (void* piece : pieces_)
        std::free(piece);
    pieces_.clear();
    piecesBytes_ = 0;
}
