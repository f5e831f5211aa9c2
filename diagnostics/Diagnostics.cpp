#include "diagnostics/Diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace diagnostics {
namespace {

class StandardOutputSink final : public Sink {
public:
    void write(std::string_view text) override
    {
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
};

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

Sink*& sinkSlot()
{
    static Sink* sink = &standardOutputSink();
    return sink;
}

}  // namespace

Sink& standardOutputSink()
{
    static StandardOutputSink sink;
    return sink;
}

Sink& currentSink()
{
    std::lock_guard lock(sinkMutex());
    return *sinkSlot();
}

void report(std::string_view text)
{
    std::lock_guard lock(sinkMutex());
    sinkSlot()->write(text);
}

void reportf(const char* format, ...)
{
    char small[512];
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(small, sizeof small, format, arguments);
    va_end(arguments);
    if (length < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        va_end(copy);
        report(std::string_view(small, static_cast<std::size_t>(length)));
        return;
    }
    std::string large(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(large.data(), large.size(), format, copy);
    va_end(copy);
    large.resize(static_cast<std::size_t>(length));
    report(large);
}

ScopedSink::ScopedSink(Sink& sink)
{
    std::lock_guard lock(sinkMutex());
    previous_ = sinkSlot();
    sinkSlot() = &sink;
}

ScopedSink::~ScopedSink()
{
    std::lock_guard lock(sinkMutex());
    sinkSlot() = previous_;
}

}  // namespace diagnostics
