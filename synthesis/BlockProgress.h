#pragma once

#include "diagnostics/Progress.h"

#include <atomic>
#include <cstdint>

// Counts the blocks a parallel matcher has finished and passes the count on in
// steps of a thousandth at most, so a mapping of a million blocks makes about a
// thousand reports. The last report, done == total, comes from finish() alone,
// once everything that may still fail or be cancelled is over.
class BlockProgress {
public:
    BlockProgress(const diagnostics::Progress& progress, std::int64_t total);

    void blockDone();
    void finish() const;
    bool cancelled() const { return progress_.cancelled(); }

private:
    static constexpr std::int64_t steps = 1000;
    const diagnostics::Progress& progress_;
    std::int64_t total_;
    std::atomic<std::int64_t> done_{0};
};
