#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

// A monotone priority queue of 64-bit keys (Ahuja, Mehlhorn, Orlin & Tarjan 1990):
// every key pushed must be at least the last one taken out (`last()`). Keys sit in
// buckets by the highest bit in which they differ from last(); taking the smallest
// empties the lowest bucket into lower ones, so a key moves at most 64 times and
// mostly far fewer, against a binary heap's sift through the whole front on every
// push and pop. Equal keys are not told apart: give each its own.
class RadixHeap {
public:
    bool empty() const { return size_ == 0; }
    // The smallest key so far taken out or looked at by top(); 0 at first.
    std::uint64_t last() const { return last_; }

    void push(std::uint64_t key)
    {
        buckets_[bucketOf(key)].push_back(key);
        ++size_;
    }

    // The smallest key (the heap must not be empty). It becomes last().
    std::uint64_t top()
    {
        if (buckets_[0].empty())
            redistributeLowestBucket();
        return buckets_[0].back();
    }

    std::uint64_t pop()
    {
        const std::uint64_t key = top();
        buckets_[0].pop_back();
        --size_;
        return key;
    }

private:
    int bucketOf(std::uint64_t key) const { return key == last_ ? 0 : 64 - std::countl_zero(key ^ last_); }

    void redistributeLowestBucket()
    {
        std::size_t lowest = 1;
        while (buckets_[lowest].empty())
            ++lowest;
        std::vector<std::uint64_t>& bucket = buckets_[lowest];
        last_ = bucket.front();
        for (const std::uint64_t key : bucket)
            last_ = key < last_ ? key : last_;
        // Every key of the bucket now differs from last() in a lower bit than before.
        for (const std::uint64_t key : bucket)
            buckets_[bucketOf(key)].push_back(key);
        bucket.clear();
    }

    std::array<std::vector<std::uint64_t>, 65> buckets_;
    std::uint64_t last_ = 0;
    std::size_t size_ = 0;
};
