#pragma once

#include "formats/GdalModuleInterface.h"
#include "grid/GeoReference.h"
#include "grid/VeskGrid.h"

#include <QString>

#include <array>
#include <optional>

// GDAL's affine geotransform: x = t[0] + col t[1] + row t[2], y = t[3] + col t[4] + row t[5].
using GeoTransform = std::array<double, 6>;

// How a raster's samples become the grid's: the cell size in whole metres and
// whether the rows must be reversed so that the grid's first row is the north edge.
struct RasterPlacement {
    float cellSize = 1.0f;
    bool flipRows = false;
    std::optional<GeoReference> georeference;
};

// The placement of a raster with this geotransform (none when the file has none) and
// CRS (not present when none). A projected CRS gives metres through its linear unit; a
// geographic one converts degrees as the grid files do (floor(degrees x 108000), with
// their tolerance); without a CRS the units are taken as metres; without a
// geotransform the cell size is 1 m. Non-square pixels take the x size, with a line
// saying so. A rotated geotransform is refused: false and problem says why.
bool placeRaster(const std::optional<GeoTransform>& transform, const GdalCrsFacts& crs,
                 RasterPlacement& placement, QString& problem);

// Where an export puts the grid: its own georeferencing with the pixel size scaled
// by how far the cell size has moved since it was read, or, without one, a local
// metric grid with its north-west corner at (0, height x cellSize) and no CRS.
// flipRows is true when the file's first row is the grid's last (south-up source).
struct ExportPlacement {
    GeoTransform transform{};
    std::string crsWkt;
    bool flipRows = false;
};
ExportPlacement exportPlacementOf(const VeskGrid& grid);

// Where a grid sample's centre lies in the grid's own coordinate reference system,
// by the placement an export would give it; none for a terrain that carries no
// georeferencing or a sample outside the grid. Whether its CRS is geographic is the GDAL
// module's to say; when that cannot be loaded, none either (its reason said once). geographic: x is the longitude and y
// the latitude in degrees; otherwise both are in the CRS's linear unit.
struct SamplePosition {
    double x = 0.0;
    double y = 0.0;
    bool geographic = false;
};
std::optional<SamplePosition> samplePositionOf(const VeskGrid& grid, int row, int column);
