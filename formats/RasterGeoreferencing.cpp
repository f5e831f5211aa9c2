#include "formats/RasterGeoreferencing.h"

#include "diagnostics/Diagnostics.h"
#include "formats/GdalModule.h"
#include "grid/CellSize.h"

#include <cmath>
#include <mutex>

namespace {

// Square within printing error: GDAL keeps pixel sizes as written, often to 15 digits.
bool nearlyEqual(double first, double second)
{
    return std::fabs(first - second) <= 1e-9 * std::max(std::fabs(first), std::fabs(second));
}

// Whether the CRS of this WKT is geographic, by the GDAL module; none when the module
// cannot be loaded, which is said once rather than at every sample asked for.
std::optional<bool> isGeographic(const std::string& wkt)
{
    QString unavailable;
    const GdalModuleFunctions* gdal = gdalModule(unavailable);
    if (!gdal) {
        static std::once_flag told;
        std::call_once(told, [&] { diagnostics::reportf("%s\n", unavailable.toLocal8Bit().constData()); });
        return std::nullopt;
    }
    return gdal->isGeographicCrs(wkt.c_str());
}

} // namespace

bool placeRaster(const std::optional<GeoTransform>& transform, const GdalCrsFacts& crs,
                 RasterPlacement& placement, QString& problem)
{
    placement = RasterPlacement{};
    if (!transform) {
        diagnostics::reportf("The raster has no georeferencing; its cell size is taken as 1 m\n");
        return true;
    }
    const GeoTransform& t = *transform;
    if (t[2] != 0.0 || t[4] != 0.0) {
        problem = QStringLiteral("its geotransform is rotated (row rotation %1, column rotation %2); only "
                                 "north-up rasters can be read")
                      .arg(t[2])
                      .arg(t[4]);
        return false;
    }
    // A size of 0 in one axis (netCDF files with a single row or column of coordinates
    // say so) leaves the other to give the cell size; GDAL reads such files too.
    const double widthAsWritten = std::fabs(t[1]);
    const double heightAsWritten = std::fabs(t[5]);
    const double pixelWidth = widthAsWritten > 0.0 ? widthAsWritten : heightAsWritten;
    const double pixelHeight = heightAsWritten > 0.0 ? heightAsWritten : widthAsWritten;
    if (!(pixelWidth > 0.0) || !std::isfinite(pixelWidth) || !std::isfinite(pixelHeight)) {
        problem = QStringLiteral("its pixel size %1 x %2 is not a size").arg(t[1]).arg(t[5]);
        return false;
    }
    if (!nearlyEqual(pixelWidth, pixelHeight) || widthAsWritten == 0.0 || heightAsWritten == 0.0)
        diagnostics::reportf("Pixels are %.12g x %.12g; the cell size is taken from their %s\n", widthAsWritten,
                             heightAsWritten,
                             widthAsWritten > 0.0 ? "width" : "height");
    float metres = 0.0f;
    if (crs.present && crs.geographic) {
        metres = cellSizeFromDegrees(pixelWidth);
    } else {
        const double metresPerUnit = crs.present && crs.projected ? crs.linearUnits : 1.0;
        metres = wholeMetres(pixelWidth * metresPerUnit);
    }
    if (!std::isfinite(metres)) {
        problem = QStringLiteral("its pixel size %1 is beyond the range of a cell size").arg(pixelWidth);
        return false;
    }
    // Finer than a metre floors to nothing; such a terrain still needs a spacing.
    placement.cellSize = metres >= 1.0f ? metres : 1.0f;
    placement.flipRows = t[5] > 0.0;
    placement.georeference = GeoReference{t[0], t[3], t[1], t[5], crs.wkt, placement.cellSize};
    return true;
}

ExportPlacement exportPlacementOf(const VeskGrid& grid)
{
    ExportPlacement placement;
    const double cellSize = grid.cellSize > 0.0f ? grid.cellSize : 1.0;
    if (!grid.georeference) {
        placement.transform = {0.0, cellSize, 0.0, grid.height * cellSize, 0.0, -cellSize};
        return placement;
    }
    const GeoReference& reference = *grid.georeference;
    const double scale = reference.cellSizeAtLoad > 0.0f ? cellSize / reference.cellSizeAtLoad : 1.0;
    placement.transform = {reference.originX, reference.pixelWidth * scale, 0.0,
                           reference.originY, 0.0, reference.pixelHeight * scale};
    placement.crsWkt = reference.crsWkt;
    placement.flipRows = reference.pixelHeight > 0.0;
    return placement;
}

std::optional<SamplePosition> samplePositionOf(const VeskGrid& grid, int row, int column)
{
    if (!grid.georeference || row < 0 || column < 0 || row >= grid.height || column >= grid.width)
        return std::nullopt;
    const ExportPlacement placement = exportPlacementOf(grid);
    const GeoTransform& t = placement.transform;
    const int fileRow = placement.flipRows ? grid.height - 1 - row : row;
    SamplePosition position;
    if (!placement.crsWkt.empty()) {
        const std::optional<bool> geographic = isGeographic(placement.crsWkt);
        if (!geographic)
            return std::nullopt;
        position.geographic = *geographic;
    }
    // The geotransform places pixel corners; a sample stands for its pixel's centre.
    position.x = t[0] + (column + 0.5) * t[1];
    position.y = t[3] + (fileRow + 0.5) * t[5];
    return position;
}
