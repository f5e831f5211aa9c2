#include "formats/GeoTiffExport.h"

#include "formats/GdalDatasetWriting.h"
#include "formats/GdalSession.h"
#include "formats/RasterGeoreferencing.h"
#include "formats/RasterNoData.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

namespace {

bool placeDataset(GDALDataset& dataset, const ExportPlacement& placement)
{
    GeoTransform transform = placement.transform;
    if (dataset.SetGeoTransform(transform.data()) != CE_None)
        return false;
    if (placement.crsWkt.empty())
        return true;
    OGRSpatialReference crs;
    return crs.importFromWkt(placement.crsWkt.c_str()) == OGRERR_NONE && dataset.SetSpatialRef(&crs) == CE_None;
}

bool writeHeights(GDALRasterBand& band, const VeskGrid& grid, bool flipRows)
{
    for (int row = 0; row < grid.height; ++row) {
        const int fileRow = flipRows ? grid.height - 1 - row : row;
        // RasterIO takes a non-const buffer even for writing; it does not change it.
        auto* heights = const_cast<float*>(grid.heights[static_cast<std::size_t>(row)].data());
        if (band.RasterIO(GF_Write, 0, fileRow, grid.width, 1, heights, grid.width, 1, GDT_Float32, 0, 0,
                          nullptr) != CE_None)
            return false;
    }
    return true;
}

} // namespace

bool writeGeoTiff(const VeskGrid& grid, const QString& path, QString& errorText)
{
    if (!grid.hasData || grid.width < 1 || grid.height < 1) {
        errorText = QStringLiteral("Grid has no data");
        return false;
    }
    GdalErrorCapture errors;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver) {
        errorText = exportFailureText(path, QStringLiteral("this GDAL has no GeoTIFF driver"));
        return false;
    }
    GdalExportFile file(path);
    if (!file.isOpen(errorText))
        return false;
    const char* const options[] = {"TILED=YES", "COMPRESS=DEFLATE", "PREDICTOR=3", "BIGTIFF=IF_SAFER", nullptr};
    GDALDataset* dataset = driver->Create(file.stagingName().constData(), grid.width, grid.height, 1, GDT_Float32,
                                          const_cast<char**>(options));
    if (!dataset)
        return file.close(nullptr, false, errors, errorText);

    const ExportPlacement placement = exportPlacementOf(grid);
    GDALRasterBand& band = *dataset->GetRasterBand(1);
    const bool written = placeDataset(*dataset, placement) && band.SetNoDataValue(kNoDataHeight) == CE_None &&
                         writeHeights(band, grid, placement.flipRows);
    return file.close(dataset, written, errors, errorText);
}
