#pragma once

#include <cstdint>

// The most samples (heights, detail values, pixels) that one read may bring into memory.
// Every reader checks a file's declared size against it before allocating anything, and
// also against what the file's real size can hold, so a 100-byte file never asks for a
// gigabyte. The default is a 16385 x 16385 terrain (2^14 + 1 a side, the largest the
// generator makes and the level-of-detail views draw): about 1 GiB of heights.
namespace io {

inline constexpr std::int64_t kDefaultSampleLimit = std::int64_t{16385} * 16385;

// The limit in force for this process.
std::int64_t sampleLimit();

// True when columns x rows is at least 1 x 1 and at most the limit (checked without
// overflow, whatever the two values).
bool withinSampleLimit(std::int64_t columns, std::int64_t rows);

// Sets the limit for its lifetime and restores the previous one after: a tool that
// must refuse smaller inputs, or a test that tries the refusals without allocating
// gigabytes. Scopes nest; destroy them in reverse order of construction.
class ScopedSampleLimit {
public:
    explicit ScopedSampleLimit(std::int64_t limit);
    ~ScopedSampleLimit();
    ScopedSampleLimit(const ScopedSampleLimit&) = delete;
    ScopedSampleLimit& operator=(const ScopedSampleLimit&) = delete;

private:
    std::int64_t previous_;
};

} // namespace io
