#include "grid/FloatBlock.h"

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

} // namespace

FloatBlock allocateFloatBlock(std::size_t count)
{
    if (count == 0)
        return {};
    if (count > SIZE_MAX / sizeof(float) - kHugePage)
        throw std::bad_alloc();
    const std::size_t bytes = count * sizeof(float);
    if (!isSystemBlock(bytes)) {
        auto* values = static_cast<float*>(std::malloc(bytes));
        if (values == nullptr)
            throw std::bad_alloc();
        return {values, count, false};
    }
    // Ask one huge page more than needed, then give back the unaligned head and the tail.
    // Only the huge pages the values fill are advised: the rest of the last one stays in
    // small pages, so a block takes no more memory than its values touch.
    const std::size_t length = (bytes + kHugePage - 1) & ~(kHugePage - 1);
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
    return {reinterpret_cast<float*>(aligned), length / sizeof(float), true};
}

void releaseFloatBlock(const FloatBlock& block)
{
    if (block.values == nullptr)
        return;
    const std::size_t bytes = block.capacity * sizeof(float);
    if (isSystemBlock(bytes))
        ::munmap(block.values, bytes);
    else
        std::free(block.values);
}
