#include "synthesis/RandomRange.h"
#include "diagnostics/Diagnostics.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr std::uint32_t initialState = 1;
constexpr std::uint32_t multiplier = 1103515245u;
constexpr std::uint32_t increment = 12345u;
constexpr int largestRandom15 = 32767;

std::uint32_t randomState = initialState;

int advance(std::uint32_t& state)
{
    // Unsigned 32-bit arithmetic wraps, which is what the recurrence relies on.
    state = state * multiplier + increment;
    return static_cast<int>((state / 65536u) % 32768u);
}

} // namespace

float rawToRange(int raw, float min, float max)
{
    // Dividing by the largest raw value (rather than multiplying by its
    // reciprocal) makes the top draw land exactly on max.
    const double fraction = static_cast<double>(raw) / largestRandom15;
    const double value = static_cast<double>(min) + fraction * (static_cast<double>(max) - min);
    const float stored = static_cast<float>(value);
    // Rounding to float must not step outside the range.
    if (stored < min)
        return min;
    if (stored > max)
        return max;
    return stored;
}

int nextRandom15()
{
    return advance(randomState);
}

std::optional<float> getRand(float min, float max)
{
    if (max == min)
        return max;
    if (!(max > min)) {
        diagnostics::reportf("Error in getRand, max=%1.3f, min=%1.3f\n", max, min);
        return std::nullopt;
    }
    return rawToRange(nextRandom15(), min, max);
}

void resetRandomRangeGenerator()
{
    randomState = initialState;
}

RandomRangeStream RandomRangeStream::current()
{
    return RandomRangeStream(randomState);
}

void RandomRangeStream::makeCurrent() const
{
    randomState = state_;
}

float RandomRangeStream::draw(float min, float max)
{
    if (max == min)
        return max;
    return rawToRange(advance(state_), min, max);
}

int RandomRangeStream::nextRaw()
{
    return advance(state_);
}

RandomRangeStream RandomRangeStream::skipped(std::uint64_t draws) const
{
    // n steps of s -> a s + c are one affine map; square the single step's map
    // for each bit of n (all arithmetic modulo 2^32).
    std::uint32_t stepMultiplier = multiplier;
    std::uint32_t stepIncrement = increment;
    std::uint32_t totalMultiplier = 1;
    std::uint32_t totalIncrement = 0;
    for (std::uint64_t remaining = draws; remaining != 0; remaining >>= 1) {
        if (remaining & 1u) {
            totalMultiplier *= stepMultiplier;
            totalIncrement = totalIncrement * stepMultiplier + stepIncrement;
        }
        stepIncrement = stepIncrement * (stepMultiplier + 1u);
        stepMultiplier *= stepMultiplier;
    }
    return RandomRangeStream(state_ * totalMultiplier + totalIncrement);
}
