#include "grid/MemoryPopulation.h"

#include <cstdint>

#if defined(__linux__)
#include <unistd.h>
#endif

void populateForWriting(void* data, std::size_t bytes)
{
#if defined(__linux__)
    // One atomic add of nothing a page: the write faults the page in (a whole huge page
    // where the block is advised for them) and keeps whatever another thread wrote there
    // meanwhile. Not madvise(MADV_POPULATE_WRITE): that holds the address space's lock
    // while it faults, so every other thread's mmap (the GUI's new windows, new threads'
    // stacks) waits behind it, a tenth of a second over a large load.
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    // The partial first page is left to the writer.
    const std::uintptr_t first = (start + page - 1) & ~(page - 1);
    const std::uintptr_t end = start + bytes;
    for (std::uintptr_t address = first; address + sizeof(std::uint32_t) <= end; address += page)
        __atomic_fetch_add(reinterpret_cast<std::uint32_t*>(address), 0u, __ATOMIC_RELAXED);
#else
    (void)data;
    (void)bytes;
#endif
}
