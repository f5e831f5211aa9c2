#pragma once

#include "grid/VeskGrid.h"

#include <QString>
#include <cstdint>

// Fractional Brownian motion terrains for tests, benchmarks and the peer comparison:
// value noise summed over octaves, from integer hashing and plain arithmetic only, so
// the same side and seed give the same heights on every build and machine. Heights
// are rounded to hundredths (what an ASCII grid keeps) and lie between about 200 and
// 1200 m; the cell size is 30 m.
VeskGrid makeFbmTerrain(int side, std::uint32_t seed);

// The same terrain written as a GridFloat pair (dataFileName and its .hdr); false with
// errorText set when it cannot be written.
bool writeFbmTerrain(int side, std::uint32_t seed, const QString& dataFileName, QString& errorText);
