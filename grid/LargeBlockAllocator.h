#pragma once

#include "grid/LargeBlock.h"

#include <cstddef>
#include <new>
#include <vector>

// A std::vector's allocator on large blocks: the working rasters of synthesis and
// erosion, millions of values made afresh at every level, come in huge pages.
template <typename T> struct LargeBlockAllocator {
    using value_type = T;

    LargeBlockAllocator() = default;
    template <typename U> LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t count)
    {
        if (count > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(allocateLargeBlock(count * sizeof(T)).data);
    }
    void deallocate(T* data, std::size_t count) noexcept { releaseLargeBlock(data, count * sizeof(T)); }

    friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
};

template <typename T> using LargeVector = std::vector<T, LargeBlockAllocator<T>>;
