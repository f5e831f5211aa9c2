#pragma once

#include "grid/VeskGrid.h"

#include <QString>

// Loads band `band` (from 1) of any raster GDAL opens (GeoTIFF, SRTM .hgt, .img, .vrt,
// .dem, ...) as the grid's terrain, every data type converted to float; no-data
// becomes -9999, the cell size and orientation come from the georeferencing
// (RasterGeoreferencing.h), which the grid keeps for export. Like the grid files'
// loaders it starts by discarding the grid's terrain; a refusal (unopenable file,
// missing band, complex samples, rotated geotransform, too many samples, a read
// error) prints why, leaves the grid empty and returns false with the reason in
// errorText and the grid's lastError. Sizes are checked before anything is read.
bool loadGdalRaster(const QString& fileName, int band, VeskGrid& grid, QString& errorText);

// Names whose extension (any letter case) is a raster read through GDAL:
// .tif, .tiff, .hgt, .img, .vrt, .dem, .nc.
bool hasGdalRasterExtension(const QString& fileName);
