#include "grid/LargeBlock.h"

#include "grid/HugePageAdvice.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = std::size_t{1} << 21;

bool isSystemBlock(std::size_t bytes)
{
    return bytes >= kHugePage;
}

std::size_t wholeHugePages(std::size_t bytes)
{
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

// System blocks given back, kept for the next request of the same length: a pipeline
// makes rasters of the same few sizes again and again, and fresh memory costs the
// kernel's zeroing and a fault a page (a tenth of a coherent synthesis's time). The
// pages are marked free, so that the system may take them back under pressure, and the
// blocks kept plus those in use never exceed the most that were in use at once, so
// keeping them raises no peak. Fixed room: giving back allocates nothing.
class KeptBlocks {
public:
    // A kept block of `length` bytes, or nullptr; from here on `length` counts as in use
    // either way (forget() takes it back where a fresh block cannot be had).
    void* take(std::size_t length)
    {
        std::array<Block, room> dropped;
        std::size_t droppedCount = 0;
        void* found = nullptr;
        {
            const std::lock_guard lock(mutex_);
            for (std::size_t k = count_; k-- > 0;)
                if (blocks_[k].length == length) {
                    found = blocks_[k].data;
                    remove(k);
                    break;
                }
            inUse_ += length;
            mostInUse_ = std::max(mostInUse_, inUse_);
            // A fresh block must not lift what is held above the most in use: the oldest go.
            while (found == nullptr && count_ > 0 && inUse_ + keptBytes_ > mostInUse_) {
                dropped[droppedCount++] = blocks_[0];
                remove(0);
            }
        }
        for (std::size_t k = 0; k < droppedCount; ++k)
            ::munmap(dropped[k].data, dropped[k].length);
        return found;
    }

    void forget(std::size_t length)
    {
        const std::lock_guard lock(mutex_);
        inUse_ -= length;
    }

    // Keeps a block given back, or unmaps it.
    void give(void* data, std::size_t length)
    {
        // Marked free before it is listed, where the next owner may write to it at once;
        // and outside the lock, which other threads' blocks wait for.
        ::madvise(data, length, MADV_FREE);
        {
            const std::lock_guard lock(mutex_);
            inUse_ -= length;
            if (count_ < room && inUse_ + keptBytes_ + length <= mostInUse_ && keptBytes_ + length <= mostKept) {
                blocks_[count_++] = {data, length};
                keptBytes_ += length;
                return;
            }
        }
        ::munmap(data, length);
    }

private:
    struct Block {
        void* data = nullptr;
        std::size_t length = 0;
    };
    static constexpr std::size_t room = 64;
    static constexpr std::size_t mostKept = std::size_t{256} << 20;

    void remove(std::size_t k)
    {
        keptBytes_ -= blocks_[k].length;
        const auto at = blocks_.begin() + std::ptrdiff_t(k);
        std::copy(at + 1, blocks_.begin() + std::ptrdiff_t(count_), at);
        --count_;
    }

    std::mutex mutex_;
    // Oldest first.
    std::array<Block, room> blocks_;
    std::size_t count_ = 0;
    std::size_t keptBytes_ = 0;
    std::size_t inUse_ = 0;
    std::size_t mostInUse_ = 0;
};

// Never destroyed: matrices that outlive main() still give their blocks back here.
KeptBlocks& keptBlocks()
{
    static KeptBlocks* const blocks = new KeptBlocks;
    return *blocks;
}

} // namespace

LargeBlock allocateLargeBlock(std::size_t bytes)
{
    if (bytes == 0)
        return {};
    if (bytes > SIZE_MAX - 2 * kHugePage)
        throw std::bad_alloc();
    if (!isSystemBlock(bytes)) {
        void* data = std::malloc(bytes);
        if (data == nullptr)
            throw std::bad_alloc();
        return {data, bytes, false};
    }
    // Ask one huge page more than needed, then give back the unaligned head and the tail.
    // Only the huge pages the values fill are advised: the rest of the last one stays in
    // small pages, so a block takes no more memory than its values touch.
    const std::size_t length = wholeHugePages(bytes);
    if (void* kept = keptBlocks().take(length))
        return {kept, length, false};
    void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        keptBlocks().forget(length);
        throw std::bad_alloc();
    }
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(std::uintptr_t{kHugePage} - 1);
    const std::size_t head = aligned - start;
    if (head > 0)
        ::munmap(mapped, head);
    ::munmap(reinterpret_cast<void*>(aligned + length), kHugePage - head);
    adviseHugePages(reinterpret_cast<void*>(aligned), bytes);
    return {reinterpret_cast<void*>(aligned), length, true};
}

void releaseLargeBlock(void* data, std::size_t bytes) noexcept
{
    if (data == nullptr)
        return;
    if (isSystemBlock(bytes))
        keptBlocks().give(data, wholeHugePages(bytes));
    else
        std::free(data);
}
