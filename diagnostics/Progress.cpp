#include "diagnostics/Progress.h"

#include <mutex>
#include <utility>

namespace diagnostics {

struct Progress::Reporter {
    Callback callback;
    std::mutex mutex;
    std::int64_t lastDone = -1;
    std::int64_t lastTotal = -1;
};

Progress::Progress(Callback callback, const std::atomic<bool>* cancelFlag)
    : cancelFlag_(cancelFlag)
{
    if (callback) {
        reporter_ = std::make_shared<Reporter>();
        reporter_->callback = std::move(callback);
    }
}

void Progress::advance(std::int64_t done, std::int64_t total) const
{
    if (!reporter_)
        return;
    std::lock_guard lock(reporter_->mutex);
    // Workers finish out of order; a count that is not ahead of the last one
    // (for the same total) would make the bar step back or reach the end twice.
    if (total == reporter_->lastTotal && done <= reporter_->lastDone)
        return;
    reporter_->lastDone = done;
    reporter_->lastTotal = total;
    reporter_->callback(done, total);
}

Progress Progress::part(std::int64_t start, std::int64_t size, std::int64_t whole) const
{
    Progress stage;
    stage.cancelFlag_ = cancelFlag_;
    if (reporter_) {
        const Progress outer = *this;
        stage.reporter_ = std::make_shared<Reporter>();
        stage.reporter_->callback = [outer, start, size, whole](std::int64_t done, std::int64_t total) {
            const double share = total > 0 ? double(done) / double(total) : 1.0;
            outer.advance(start + std::int64_t(double(size) * share), whole);
        };
    }
    return stage;
}

}  // namespace diagnostics
