#pragma once

#include <QFutureWatcher>

#include <cstddef>
#include <vector>

// Memory the software renderer will want on the drawing thread, faulted in ahead of the frames.
//
// Mesa's llvmpipe sets up a frame's triangles in memory it takes from the drawing thread's
// heap and gives back after the frame, some hundreds of bytes a triangle. The first frames of
// a large view grew the GUI thread's heap by 20 to 70 MB each, and where fresh memory is slow
// to fault in (up to 16 µs a page in a virtual machine) those frames spent 100 to 260 ms of the
// GUI thread in page faults instead of drawing in 15. A reserve makes that much of the heap
// present before the frames want it: the GUI thread allocates it (a heap belongs to the
// thread that allocates from it), a background thread faults the pages in, and the GUI thread
// gives it back to its heap, which is told to keep it, for the frames that follow.
//
// Only with glibc's allocator; elsewhere (or under a sanitizer's allocator) reserve() does nothing.
class RendererHeapReserve {
public:
    // Not more than this is reserved, whatever is asked.
    static constexpr std::size_t kMostBytes = std::size_t{256} << 20;

    RendererHeapReserve() = default;
    RendererHeapReserve(const RendererHeapReserve&) = delete;
    RendererHeapReserve& operator=(const RendererHeapReserve&) = delete;
    ~RendererHeapReserve();

    // From the thread that draws: makes at least bytes (up to kMostBytes) of its heap present,
    // in the background. Nothing while an earlier reserve is still being faulted in, or where
    // as much is already reserved. Cheap to call every frame.
    void reserve(std::size_t bytes);

    // From the thread that drew: gives a reserve whose pages are all in back to the heap.
    // reserve() does it too; a caller waiting for the reserve calls it when faultingIn() ends.
    void takeBack();

    // The pages of a reserve are still being faulted in.
    bool faultingIn() const { return watcher_.isRunning(); }
    // What the heap was last given back, present.
    std::size_t reservedBytes() const { return reserved_; }

private:
    void giveBack();

    std::vector<void*> pieces_;
    std::size_t piecesBytes_ = 0;
    std::size_t reserved_ = 0;
    QFutureWatcher<void> watcher_;
};
