#include "formats/gdal/GdalOperations.h"

extern "C" __attribute__((visibility("default"))) const GdalModuleFunctions* talvaneGdalModuleFunctions()
{
    static const GdalModuleFunctions functions{openRaster,   describeBand, readRow,         createGeoTiff, writeRow,
                                               closeDataset, encodePng16,  isGeographicCrs, esriWktOf};
    return &functions;
}
