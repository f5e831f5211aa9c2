#pragma once

#include <cstdint>

// The shift register behind normalDeviate, for callers that must replay a sequence
// (reproducible refinements in tests and benchmarks). Restoring a state replays every
// deviate drawn from it.
std::uint32_t normalDeviateState();
void restoreNormalDeviateState(std::uint32_t state);
