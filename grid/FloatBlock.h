#pragma once

#include <cstddef>

// The memory of a FloatMatrix. Blocks of 2 MiB or more come straight from the system,
// aligned to 2 MiB, a whole number of 2 MiB long and advised for huge pages before
// anything touches them; smaller ones come from the heap, so tiny matrices pay for no
// 2 MiB each.
struct FloatBlock {
    float* values = nullptr;
    std::size_t capacity = 0; // floats it holds: at least those asked for
    bool zeroed = false;      // every value is 0 (memory fresh from the system)
};

// Throws std::bad_alloc when there is no memory, as a std::vector would.
FloatBlock allocateFloatBlock(std::size_t count);
void releaseFloatBlock(const FloatBlock& block);
