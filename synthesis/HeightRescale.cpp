#include "synthesis/HeightRescale.h"
#include "diagnostics/Diagnostics.h"

#include <cstdio>

HeightRange heightRangeOf(const FloatMatrix& heights)
{
    bool seen = false;
    HeightRange range;
    for (const auto& row : heights) {
        for (const float value : row) {
            if (!seen) {
                range.minimum = range.maximum = value;
                seen = true;
            } else if (value < range.minimum) {
                range.minimum = value;
            } else if (value > range.maximum) {
                range.maximum = value;
            }
        }
    }
    return range;
}

void rescaleHeights(FloatMatrix& heights, float fromMinimum, float fromExtent, float toMinimum, float toExtent)
{
    for (auto& row : heights) {
        for (float& value : row) {
            value = static_cast<float>(static_cast<double>(toMinimum)
                                       + static_cast<double>(toExtent) * (static_cast<double>(value) - fromMinimum)
                                             / fromExtent);
        }
    }
}

RangeRescale rescaleToExampleRange(FloatMatrix& baseHeights, const FloatMatrix& exampleHeights)
{
    RangeRescale rescale;
    rescale.baseRange = heightRangeOf(baseHeights);
    rescale.exampleRange = heightRangeOf(exampleHeights);
    if (rescale.baseRange.extent() == 0.0f || rescale.exampleRange.extent() == 0.0f) {
        diagnostics::reportf("*** The %s terrain is flat: not rescaling. ***\n",
                    rescale.baseRange.extent() == 0.0f ? "base" : "target");
        return rescale;
    }
    rescaleHeights(baseHeights, rescale.baseRange.minimum, rescale.baseRange.extent(), rescale.exampleRange.minimum,
                   rescale.exampleRange.extent());
    rescale.applied = true;
    return rescale;
}

void scaleValues(FloatMatrix& values, double factor)
{
    for (auto& row : values) {
        for (float& value : row)
            value = static_cast<float>(value * factor);
    }
}
