#include "tools/CommandReport.h"

#include <charconv>
#include <cmath>
#include <cstdio>

ExitCode reportFailure(const QString& reason)
{
    std::fflush(stdout);
    std::fprintf(stderr, "talvane-cli: %s\n", reason.toLocal8Bit().constData());
    std::fflush(stderr);
    return ExitCode::Failure;
}

ExitCode reportUsageError(const QString& reason)
{
    std::fflush(stdout);
    std::fprintf(stderr, "talvane-cli: %s\nRun with --help for more information.\n", reason.toLocal8Bit().constData());
    std::fflush(stderr);
    return ExitCode::Usage;
}

void printResultLine(const QString& line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

namespace {

template <typename Number>
std::string shortestText(Number value)
{
    if (!std::isfinite(value))
        return "null";
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

} // namespace

std::string shortestFloatText(float value)
{
    return shortestText(value);
}

std::string shortestDoubleText(double value)
{
    return shortestText(value);
}
