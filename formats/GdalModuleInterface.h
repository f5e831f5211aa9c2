#pragma once

// The door between formats/ and the GDAL module (formats/gdal/, loaded at run time by
// GdalModule.h): one extern "C" function hands out a table of plain functions that work
// on plain data. Nothing crosses it that belongs to our libraries, so the module links
// GDAL alone; filling grids, messages and their texts stay on this side. Both sides are
// built together by the same compiler, so standard library types cross it unchanged.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What GDAL said during the calls that were given this report: its warnings in order
// (taken out and shown by the caller) and its failures, the last one's text kept.
struct GdalCallReport {
    std::vector<std::string> warnings;
    int failures = 0;
    std::string lastFailure;
};

// A coordinate reference system as far as the import needs to know it.
struct GdalCrsFacts {
    bool present = false;
    bool geographic = false;
    bool projected = false;
    // Metres per unit of a projected system's axes.
    double linearUnits = 1.0;
    // WKT2 (2018); empty when the system could not be written.
    std::string wkt;
};

struct GdalRasterFacts {
    std::string driverName;
    int bandCount = 0;
    long long columns = 0;
    long long rows = 0;
    bool hasTransform = false;
    std::array<double, 6> transform{};
    GdalCrsFacts crs;
};

struct GdalBandFacts {
    bool complex = false;
    std::string typeName;
    bool hasNoData = false;
    double noData = 0.0;
    // A Byte band whose PIXELTYPE is SIGNEDBYTE (GeoTIFF, ENVI, EHdr, HFA, netCDF): its
    // bytes are -128..127, though GDAL hands them out as 0..255.
    bool signedBytes = false;
    // The block GDAL reads and holds whole to hand out any of its samples (a tile, or a
    // strip of rows), and the bands it holds with it: all of them where the samples are
    // interleaved pixel by pixel, else this one.
    long long blockColumns = 0;
    long long blockRows = 0;
    long long blockBands = 1;
};

enum class GdalCreation { Created, NoDriver, Refused };
enum class GdalPngEncoding { Encoded, NoDriver, NotStaged, NotEncoded };

// An open dataset of the module's; only the module looks inside.
struct GdalDataset;

struct GdalModuleFunctions {
    // Reading: a raster opened read-only (null when GDAL refuses it), one band's
    // facts (band from 1, within the count), and one row of it as doubles.
    GdalDataset* (*openRaster)(const char* path, GdalRasterFacts& facts, GdalCallReport& report);
    void (*describeBand)(GdalDataset* dataset, int band, GdalBandFacts& facts);
    bool (*readRow)(GdalDataset* dataset, int band, int row, int columns, double* samples, GdalCallReport& report);

    // Writing a one-band Float32 GeoTIFF (tiled, DEFLATE) at name; placed reports
    // whether the geotransform, the CRS (when crsWkt is not empty) and the no-data
    // value were all taken.
    GdalCreation (*createGeoTiff)(const char* name, int columns, int rows, const std::array<double, 6>& transform,
                                  const char* crsWkt, double noData, GdalDataset*& dataset, bool& placed,
                                  GdalCallReport& report);
    bool (*writeRow)(GdalDataset* dataset, int row, int columns, const float* heights, GdalCallReport& report);

    // Closes a dataset of either kind, writing what is pending.
    void (*closeDataset)(GdalDataset* dataset, GdalCallReport& report);

    // A 16-bit greyscale PNG of columns x rows samples, made in memory.
    GdalPngEncoding (*encodePng16)(int columns, int rows, const std::uint16_t* samples,
                                   std::vector<unsigned char>& png, GdalCallReport& report);

    // Whether the system this WKT describes is geographic (false for none or unreadable).
    bool (*isGeographicCrs)(const char* wkt);
    // The system this WKT describes in the ESRI flavour of WKT 1, as a ".prj" holds it;
    // false when the WKT cannot be read or written so.
    bool (*esriWktOf)(const char* wkt, std::string& esriWkt);
};

// The module's one exported symbol.
extern "C" const GdalModuleFunctions* talvaneGdalModuleFunctions();
inline constexpr const char* kGdalModuleEntry = "talvaneGdalModuleFunctions";
