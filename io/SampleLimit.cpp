#include "io/SampleLimit.h"

#include <atomic>

namespace io {

namespace {

std::atomic<std::int64_t> currentLimit{kDefaultSampleLimit};

} // namespace

std::int64_t sampleLimit()
{
    return currentLimit.load(std::memory_order_relaxed);
}

bool withinSampleLimit(std::int64_t columns, std::int64_t rows)
{
    const std::int64_t limit = sampleLimit();
    if (columns < 1 || rows < 1)
        return false;
    if (columns > limit || rows > limit)
        return false;
    return columns <= limit / rows;
}

ScopedSampleLimit::ScopedSampleLimit(std::int64_t limit)
    : previous_(currentLimit.exchange(limit, std::memory_order_relaxed))
{
}

ScopedSampleLimit::~ScopedSampleLimit()
{
    currentLimit.store(previous_, std::memory_order_relaxed);
}

} // namespace io
