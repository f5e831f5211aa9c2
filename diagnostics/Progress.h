#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace diagnostics {

// How a long operation says how far it has come and learns that it should stop.
// A default Progress tells nobody and is never cancelled, so callers that do not
// care pass nothing.
//
// The callback may run on any thread (a parallel operation reports from its
// workers). Calls are serialised, never overlap, and see a done count that only
// grows: a report that is not ahead of the last one is dropped, so the callback
// sees done == total at most once. Copies share that state.
class Progress {
public:
    using Callback = std::function<void(std::int64_t done, std::int64_t total)>;

    Progress() = default;
    // Either may be empty: a callback without a cancel flag, or a flag without a callback.
    // The flag must outlive every copy of this Progress.
    explicit Progress(Callback callback, const std::atomic<bool>* cancelFlag = nullptr);

    // Reports done units of total; thread-safe.
    void advance(std::int64_t done, std::int64_t total) const;

    // A Progress for one part of this work: its reports of done of total become
    // start + size * done / total of whole here, and it is cancelled with this one.
    // Work in several stages (the levels of a transfer) shows one bar this way.
    Progress part(std::int64_t start, std::int64_t size, std::int64_t whole) const;

    // True once the owner of the cancel flag has set it; cheap enough for an inner loop.
    bool cancelled() const
    {
        return cancelFlag_ != nullptr && cancelFlag_->load(std::memory_order_relaxed);
    }

private:
    struct Reporter;
    std::shared_ptr<Reporter> reporter_;
    const std::atomic<bool>* cancelFlag_ = nullptr;
};

}  // namespace diagnostics
