#include "synthesis/RandomRange.h"
#include "diagnostics/Diagnostics.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr std::uint32_t initialState = 1;
constexpr int largestRandom15 = 32767;

std::uint32_t randomState = initialState;

} // namespace

int nextRandom15()
{
    // Unsigned 32-bit arithmetic wraps, which is what the recurrence relies on.
    randomState = randomState * 1103515245u + 12345u;
    return static_cast<int>((randomState / 65536u) % 32768u);
}

std::optional<float> getRand(float min, float max)
{
    if (max == min)
        return max;
    if (!(max > min)) {
        diagnostics::reportf("Error in getRand, max=%1.3f, min=%1.3f\n", max, min);
        return std::nullopt;
    }
    // Dividing by the largest raw value (rather than multiplying by its
    // reciprocal) makes the top draw land exactly on max.
    const double fraction = static_cast<double>(nextRandom15()) / largestRandom15;
    const double value = static_cast<double>(min) + fraction * (static_cast<double>(max) - min);
    const float stored = static_cast<float>(value);
    // Rounding to float must not step outside the range.
    if (stored < min)
        return min;
    if (stored > max)
        return max;
    return stored;
}

void resetRandomRangeGenerator()
{
    randomState = initialState;
}
