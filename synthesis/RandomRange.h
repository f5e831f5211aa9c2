#pragma once

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
