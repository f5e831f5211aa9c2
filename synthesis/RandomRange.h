#pragma once

#include <cstdint>
#include <optional>

// Uniform draws for block matching and quilting.
//
// One process-wide generator, never seeded: every run of the program draws the
// same sequence from its start, on every platform. It is a 15-bit generator of
// our own (the C standard's example recurrence), so that the draw formula below
// spans exactly [min, max] whatever the platform's RAND_MAX is.

// The next raw value of the process-wide generator, in [0, 32767].
int nextRandom15();

// A float uniformly spread over [min, max], both ends reachable.
// max == min gives max without drawing. An empty range (max < min, or a bound
// that is not a number) prints "Error in getRand, max=..., min=..." and gives
// no value; the generator is not advanced then.
std::optional<float> getRand(float min, float max);

// For tests only: puts the process-wide generator back to its state at start,
// so a test can replay the sequence a fresh process would draw.
void resetRandomRangeGenerator();

// The value getRand gives in [min, max] (max > min) for the raw value `raw`: a
// table of it for every raw value spares a loop of many draws the arithmetic.
float rawToRange(int raw, float min, float max);

// The process-wide generator as a value, for work that draws a known number of
// values ahead of time (the parallel block matcher gives each block its own
// stretch of the sequence). A RandomRangeStream draws exactly what getRand
// would draw from the same state.
class RandomRangeStream {
public:
    // The process-wide generator's present state; drawing from the stream does not move it.
    static RandomRangeStream current();
    // Puts the process-wide generator where this stream stands.
    void makeCurrent() const;

    // As getRand for a non-empty range (max >= min, both numbers): max == min draws nothing.
    float draw(float min, float max);
    // The next raw value, as nextRandom15 gives it.
    int nextRaw();

    // The stream after `draws` more raw values, in logarithmic time.
    RandomRangeStream skipped(std::uint64_t draws) const;

    bool operator==(const RandomRangeStream&) const = default;

private:
    explicit RandomRangeStream(std::uint32_t state) : state_(state) {}
    std::uint32_t state_;
};
