#pragma once

#include "grid/VeskGrid.h"

#include <string>

// The multiresolution schemes by their command-line names: "chaikin", "faber" and
// "fractal" (the window's "Traditional"). Each step calls the core operation the
// window's views call for that scheme; false when the core refused (grid.lastError).

using GridStep = bool (*)(VeskGrid&);

GridStep coarseningStepOf(const std::string& scheme);
GridStep refinementStepOf(const std::string& scheme);

// Chaikin and Faber keep detail levels; the fractal scheme decimates and invents detail.
bool schemeKeepsDetails(const std::string& scheme);
