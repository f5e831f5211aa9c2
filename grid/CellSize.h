#pragma once

#include <QString>

// Grid files hold the sample spacing in degrees; the grid holds whole metres.
// One degree is taken as 108000 m.

// The double nearest 1/108000: degrees per metre, used when writing.
inline constexpr double kDegreesPerMetre = 9.259259259259259e-6;

// Metres from a spacing in degrees: floor(degrees x 108000), except that a product
// a hair below a whole number counts as that number. Printed spacings such as
// 0.000370370370370370 (40 m) or single-precision ones (split files) would otherwise
// read back one metre short. Genuine fractions still round down (0.0027 -> 291).
float cellSizeFromDegrees(double degrees);

// The refusal of a header whose spacing in degrees gives no finite cell size in single
// precision (1e44 degrees, say); empty when the spacing is usable.
QString unusableSpacingProblem(double degrees);

// Whole metres from a spacing in metres, by the same rule: floor, except that a value
// a hair below a whole number counts as that number.
float wholeMetres(double metres);

// Degrees from metres, in double precision: cellSize x kDegreesPerMetre.
double degreesFromCellSize(float cellSize);
