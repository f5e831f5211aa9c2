#pragma once

#include <memory>
#include <mutex>
#include <vector>

// The items a pipeline passes along (blocks of text, bands of lines), made once and handed
// out again when the last stage is done with them. At most as many are made as the
// pipeline keeps in flight, so their buffers stay the same few: buffers made afresh for
// every item leave the memory they touched scattered through the heap and raise the peak.
template <typename Item>
class PipelineItemPool {
public:
    // An item given back earlier, as it was left, or a new one.
    Item* take()
    {
        const std::lock_guard lock(lock_);
        if (!unused_.empty()) {
            Item* const item = unused_.back();
            unused_.pop_back();
            return item;
        }
        items_.push_back(std::make_unique<Item>());
        return items_.back().get();
    }

    void giveBack(Item* item)
    {
        const std::lock_guard lock(lock_);
        unused_.push_back(item);
    }

private:
    std::mutex lock_; // the last stage gives back while the first takes
    std::vector<std::unique_ptr<Item>> items_;
    std::vector<Item*> unused_;
};
