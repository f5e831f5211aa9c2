#pragma once

#include "analysis/HeightField.h"

// Shares of the inner samples (those with eight neighbours) that are pits or flats.
//
// A pit is strictly lower than all eight neighbours. A flat is not a pit and has no
// neighbour below it by more than kFlatGradient of the distance between them (d or
// d sqrt 2): no way down, or one too gentle to tell from a filled hollow.

inline constexpr double kFlatGradient = 1e-3; // metres per metre

struct PitsAndFlats {
    double pitShare = 0.0;
    double flatShare = 0.0;
};

PitsAndFlats pitsAndFlatsOf(const HeightField& field);
