#pragma once

#include <string>

// Where a terrain read from a georeferenced raster lies on the Earth, kept so that
// an export can put it back there. Plain data: grid/ knows nothing of the library
// that reads and writes it.
struct GeoReference {
    // Corner of the first sample of the file's first row, in the CRS's units, and the
    // file's pixel size (pixelHeight is negative for the usual north-up raster).
    double originX = 0.0;
    double originY = 0.0;
    double pixelWidth = 1.0;
    double pixelHeight = -1.0;
    // The coordinate reference system as OGC WKT; empty when the file had none.
    std::string crsWkt;
    // The grid's cell size when it was read: coarsening and refining scale the pixel
    // size by the ratio of the cell size then to this.
    float cellSizeAtLoad = 0.0f;
};
