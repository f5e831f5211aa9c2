#pragma once

#include <cstddef>

// The memory of a FloatMatrix: a LargeBlock (huge pages from 2 MiB up), counted in floats.
struct FloatBlock {
    float* values = nullptr;
    std::size_t capacity = 0; // floats it holds: at least those asked for
    bool zeroed = false;      // every value is 0 (memory fresh from the system)
};

// Throws std::bad_alloc when there is no memory, as a std::vector would.
FloatBlock allocateFloatBlock(std::size_t count);
void releaseFloatBlock(const FloatBlock& block);
