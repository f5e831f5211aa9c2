#pragma once

#include <cstddef>

// Memory for large arrays. Blocks of 2 MiB or more come straight from the system,
// aligned to 2 MiB, a whole number of 2 MiB long and advised for huge pages before
// anything touches them, so millions of values cost a few dozen page faults rather
// than thousands; smaller ones come from the heap, so small arrays pay for no 2 MiB each.
// A system block given back may be kept and handed out again for a request of the same
// length (then not zeroed), as long as the blocks kept and in use stay within the most
// ever in use at once.
struct LargeBlock {
    void* data = nullptr;
    std::size_t bytes = 0; // what it holds: at least what was asked for
    bool zeroed = false;   // every byte is 0 (memory fresh from the system)
};

// Throws std::bad_alloc when there is no memory.
LargeBlock allocateLargeBlock(std::size_t bytes);
// `bytes`: as asked for, or as the block said it holds.
void releaseLargeBlock(void* data, std::size_t bytes) noexcept;
