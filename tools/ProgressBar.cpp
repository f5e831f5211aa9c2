#include "tools/ProgressBar.h"

#include <string>
#include <unistd.h>

namespace {
constexpr int barWidth = 40;
} // namespace

ProgressBar::ProgressBar(bool quiet) : shown_(!quiet && ::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar()
{
    // A stopped operation leaves the bar short of the end: close its line anyway.
    if (lineOpen_)
        std::fputc('\n', stderr);
}

diagnostics::Progress ProgressBar::progress()
{
    if (!shown_)
        return {};
    // The callback runs one call at a time (Progress serialises them), on any thread.
    return diagnostics::Progress([this](std::int64_t done, std::int64_t total) { draw(done, total); });
}

void ProgressBar::draw(long long done, long long total)
{
    if (total <= 0)
        return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == lastPercent_ && done != total)
        return;
    lastPercent_ = percent;
    const int filled = static_cast<int>(done * barWidth / total);
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#')
                            + std::string(static_cast<std::size_t>(barWidth - filled), '.');
    std::fprintf(stderr, "\rmatching blocks [%s] %3d%% (%lld of %lld)", bar.c_str(), percent, done, total);
    lineOpen_ = done != total;
    if (!lineOpen_)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}
