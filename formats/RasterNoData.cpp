#include "formats/RasterNoData.h"

#include <cmath>

float RasterNoData::heightOf(double sample)
{
    // Compared in double: a Float32 band's no-data value is exact there, and an
    // Int16 band's -32768 arrives unchanged.
    if (!std::isfinite(sample) || (noData && sample == *noData)) {
        ++missing;
        return kNoDataHeight;
    }
    return static_cast<float>(sample);
}
