#pragma once

#include <cstdint>

// Process-wide standard normal generator (ziggurat method of Marsaglia and Tsang),
// shared by both grids and both fractal refinements; its state starts at 123456789.
void seedNormalDeviates(std::uint32_t seed);
float normalDeviate();
