#pragma once

#include "diagnostics/Diagnostics.h"

#include <string>
#include <utility>

namespace diagnostics {

// Keeps every message in one string: for tests that check what was said, and for
// callers that show the messages of one operation afterwards.
class CollectingSink final : public Sink {
public:
    void write(std::string_view text) override { text_.append(text); }
    const std::string& text() const { return text_; }
    std::string take() { return std::exchange(text_, {}); }
    void clear() { text_.clear(); }

private:
    std::string text_;
};

// Drops every message: a quiet command line.
class SilentSink final : public Sink {
public:
    void write(std::string_view) override {}
};

}  // namespace diagnostics
