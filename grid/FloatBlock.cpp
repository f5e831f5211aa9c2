#include "grid/FloatBlock.h"

#include "grid/LargeBlock.h"

#include <cstdint>
#include <new>

FloatBlock allocateFloatBlock(std::size_t count)
{
    if (count > SIZE_MAX / sizeof(float))
        throw std::bad_alloc();
    const LargeBlock block = allocateLargeBlock(count * sizeof(float));
    return {static_cast<float*>(block.data), block.bytes / sizeof(float), block.zeroed};
}

void releaseFloatBlock(const FloatBlock& block)
{
    releaseLargeBlock(block.values, block.capacity * sizeof(float));
}
