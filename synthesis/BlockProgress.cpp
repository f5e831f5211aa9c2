#include "synthesis/BlockProgress.h"

BlockProgress::BlockProgress(const diagnostics::Progress& progress, std::int64_t total)
    : progress_(progress), total_(total)
{
    progress_.advance(0, total_);
}

void BlockProgress::blockDone()
{
    const std::int64_t done = done_.fetch_add(1, std::memory_order_relaxed) + 1;
    if (done >= total_)
        return;
    if (done * steps / total_ != (done - 1) * steps / total_)
        progress_.advance(done, total_);
}

void BlockProgress::finish() const
{
    progress_.advance(total_, total_);
}
