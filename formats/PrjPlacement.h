#pragma once

#include "grid/GridExport.h"
#include "grid/VeskGrid.h"

#include <QString>

// A ".prj" beside an ESRI ASCII grid or a GridFloat file says in what system its header's
// numbers are. Our readers take the cell size as degrees; where the .prj names a
// projected system, GDAL's reading of the header and the .prj (its geotransform and CRS,
// through the GDAL module, no sample read) places the terrain instead: the cell size in
// the system's linear unit, and the georeferencing kept for the readout and the GeoTIFF
// export, as for any raster read through GDAL. The heights stay our reader's. Written
// the other way round: a terrain with a CRS gets its header in the system's units and a
// .prj that names the system.

// Where GDAL looks for it: the data file's name with its last extension replaced.
QString prjNameBeside(const QString& dataFileName);

// Places the loaded grid by the .prj beside fileName. Without a .prj nothing changes; a
// .prj that cannot be used (no GDAL module, a system GDAL does not know, a header GDAL
// reads differently) leaves the grid as its reader loaded it, with a line saying why.
void placeByPrj(const QString& fileName, VeskGrid& grid);

using PlaceableGridWriter = bool (*)(const VeskGrid& grid, const QString& fileName, QString& errorText,
                                     const std::optional<GridHeaderPlacement>& placement);

// Writes fileName with write. A terrain whose georeferencing has a CRS gets the corner and
// cell size of its georeferencing in the header and, first, a .prj beside (the system in
// ESRI WKT 1, through the GDAL module), removed again when the grid's files fail. Any
// other terrain (or one whose system the module cannot write, said in a line) is written
// as ever: 0, 0 and degrees, no .prj.
bool writeGridWithPrj(PlaceableGridWriter write, const VeskGrid& grid, const QString& fileName,
                      QString& errorText);
