#include "grid/LargeBlock.h"

#include "grid/HugePageAdvice.h"

#include <cstdint>
#include <cstdlib>
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
    void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
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
        ::munmap(data, wholeHugePages(bytes));
    else
        std::free(data);
}
