#pragma once

#include "formats/GdalModuleInterface.h"

#include <gdal_priv.h>

// The module's side of the table in formats/GdalModuleInterface.h, one file each.
struct GdalDataset {
    GDALDataset* dataset = nullptr;
};

GdalDataset* openRaster(const char* path, GdalRasterFacts& facts, GdalCallReport& report);
void describeBand(GdalDataset* dataset, int band, GdalBandFacts& facts);
bool readRow(GdalDataset* dataset, int band, int row, int columns, double* samples, GdalCallReport& report);
GdalCreation createGeoTiff(const char* name, int columns, int rows, const std::array<double, 6>& transform,
                           const char* crsWkt, double noData, GdalDataset*& dataset, bool& placed,
                           GdalCallReport& report);
bool writeRow(GdalDataset* dataset, int row, int columns, const float* heights, GdalCallReport& report);
void closeDataset(GdalDataset* dataset, GdalCallReport& report);
GdalPngEncoding encodePng16(int columns, int rows, const std::uint16_t* samples, std::vector<unsigned char>& png,
                            GdalCallReport& report);
GdalCrsFacts crsFactsOf(const OGRSpatialReference* crs);
bool isGeographicCrs(const char* wkt);
bool esriWktOf(const char* wkt, std::string& esriWkt);
