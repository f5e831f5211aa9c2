#include "formats/gdal/GdalMessageCapture.h"
#include "formats/gdal/GdalOperations.h"

#include <ogr_spatialref.h>

namespace {

bool placeDataset(GDALDataset& dataset, const std::array<double, 6>& transform, const char* crsWkt)
{
    std::array<double, 6> values = transform;
    if (dataset.SetGeoTransform(values.data()) != CE_None)
        return false;
    if (!crsWkt || !*crsWkt)
        return true;
    OGRSpatialReference crs;
    return crs.importFromWkt(crsWkt) == OGRERR_NONE && dataset.SetSpatialRef(&crs) == CE_None;
}

} // namespace

GdalCreation createGeoTiff(const char* name, int columns, int rows, const std::array<double, 6>& transform,
                           const char* crsWkt, double noData, GdalDataset*& dataset, bool& placed,
                           GdalCallReport& report)
{
    const GdalMessageCapture capture(report);
    dataset = nullptr;
    placed = false;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver)
        return GdalCreation::NoDriver;
    const char* const options[] = {"TILED=YES", "COMPRESS=DEFLATE", "PREDICTOR=3", "BIGTIFF=IF_SAFER", nullptr};
    GDALDataset* created = driver->Create(name, columns, rows, 1, GDT_Float32, const_cast<char**>(options));
    if (!created)
        return GdalCreation::Refused;
    dataset = new GdalDataset{created};
    placed = placeDataset(*created, transform, crsWkt) && created->GetRasterBand(1)->SetNoDataValue(noData) == CE_None;
    return GdalCreation::Created;
}

bool writeRow(GdalDataset* dataset, int row, int columns, const float* heights, GdalCallReport& report)
{
    const GdalMessageCapture capture(report);
    // RasterIO takes a non-const buffer even for writing; it does not change it.
    return dataset->dataset->GetRasterBand(1)->RasterIO(GF_Write, 0, row, columns, 1, const_cast<float*>(heights),
                                                        columns, 1, GDT_Float32, 0, 0, nullptr) == CE_None;
}
