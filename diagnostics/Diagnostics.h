#pragma once

#include <string_view>

// The system's diagnostics: progress lines, refusals and summaries, printf-style texts
// with no levels. Every message of the core goes through report(); where it ends up is
// the current sink's business (standard output by default, a window's message pane, a
// test's buffer, nowhere for a quiet command line).
namespace diagnostics {

// Where messages go. write() receives each message's bytes exactly as formatted,
// newlines included; a message may end without one, and the next continues the line.
class Sink {
public:
    virtual ~Sink() = default;
    virtual void write(std::string_view text) = 0;
};

// Sends the text to the current sink.
void report(std::string_view text);

// printf-formatted report.
[[gnu::format(printf, 1, 2)]] void reportf(const char* format, ...);

// The sink that writes to standard output through stdio, exactly as printf would.
Sink& standardOutputSink();

// The sink every report goes to now. Writes are serialised, so worker threads may report.
Sink& currentSink();

// Swaps the process-wide sink for its lifetime and restores the previous one after.
// Scopes nest; destroy them in reverse order of construction.
class ScopedSink {
public:
    explicit ScopedSink(Sink& sink);
    ~ScopedSink();
    ScopedSink(const ScopedSink&) = delete;
    ScopedSink& operator=(const ScopedSink&) = delete;

private:
    Sink* previous_;
};

}  // namespace diagnostics
