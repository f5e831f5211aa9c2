#pragma once

#include "grid/FloatMatrix.h"

// Moving a terrain's heights into another terrain's height range and back,
// as the rescale options of quilting and multifractal mapping do.

struct HeightRange {
    float minimum = 0.0f;
    float maximum = 0.0f;
    float extent() const { return maximum - minimum; }
};

// Smallest and largest of all heights (every value counts, as in the grid's
// statistics). An empty matrix gives 0 and 0.
HeightRange heightRangeOf(const FloatMatrix& heights);

// A move of a base's heights into an example's height range: whether it was made,
// and the two ranges needed to undo it.
struct RangeRescale {
    bool applied = false;
    HeightRange baseRange;
    HeightRange exampleRange;
};

// Moves baseHeights into the range of exampleHeights. When either terrain is flat there
// is nothing to divide by on the way there or back: the heights stay as they are, a
// message says which terrain is flat, and the result is not applied.
RangeRescale rescaleToExampleRange(FloatMatrix& baseHeights, const FloatMatrix& exampleHeights);

// Every height h becomes toMinimum + toExtent * (h - fromMinimum) / fromExtent,
// weighed in double. fromExtent must not be 0: callers skip the rescale of a flat terrain.
void rescaleHeights(FloatMatrix& heights, float fromMinimum, float fromExtent, float toMinimum, float toExtent);

// Every value multiplied by factor, weighed in double.
void scaleValues(FloatMatrix& values, double factor);
