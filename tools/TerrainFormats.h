#pragma once

#include <QString>

#include <optional>

// The file formats the tool reads and writes, told apart by extension (any letter case)
// or named by --format.
enum class TerrainFormat {
    AsciiGrid,    // .grd: our seven-line ASCII grid (read; written by writeTerrain)
    EsriAscii,    // .asc: standard ESRI ASCII grid (read by the grid reader; written by writeEsriAsciiGrid)
    GridFloat,    // .flt with its .hdr
    WavefrontObj, // .obj: written only
    Png,          // .png: read by our decoder (8-bit as the window's conversion, 16-bit grey as a
                  // heightmap); written as a 16-bit greyscale heightmap with its .json sidecar
    Raw16,        // .r16: little-endian 16-bit heightmap with its .json sidecar, read and written
    GeoTiff,      // .tif, .tiff: read through GDAL like any raster; written as Float32 GeoTIFF
    GdalRaster,   // .hgt, .img, .vrt, .dem, .nc and, with --format gdal, any raster GDAL opens: read only
};

std::optional<TerrainFormat> terrainFormatOf(const QString& fileName);

// The format --format names: grd, asc, flt, png, r16, tif or gdal.
std::optional<TerrainFormat> terrainFormatNamed(const QString& name);

bool isReadableFormat(TerrainFormat format);
bool isWritableFormat(TerrainFormat format);
// Read through GDAL rather than our own readers.
bool isGdalFormat(TerrainFormat format);

// For messages: ".grd, .asc, .flt or .png" and the like.
QString readableExtensionsText();
QString writableExtensionsText();
