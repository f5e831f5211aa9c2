#pragma once

#include "grid/NoDataHeight.h"

#include <optional>

// Heights GDAL marks as missing: the band's no-data value and NaN (and infinities)
// become -9999, the marker the grid files use and the statistics leave out.

class RasterNoData {
public:
    explicit RasterNoData(std::optional<double> bandNoData) : noData(bandNoData) {}

    float heightOf(double sample);
    long long missingCount() const { return missing; }

private:
    std::optional<double> noData;
    long long missing = 0;
};
