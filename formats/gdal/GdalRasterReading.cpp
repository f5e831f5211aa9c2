#include "formats/gdal/GdalMessageCapture.h"
#include "formats/gdal/GdalOperations.h"

#include <cpl_string.h>

GdalDataset* openRaster(const char* path, GdalRasterFacts& facts, GdalCallReport& report)
{
    const GdalMessageCapture capture(report);
    GDALDataset* dataset = GDALDataset::Open(path, GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    if (!dataset)
        return nullptr;
    facts = GdalRasterFacts{};
    facts.driverName = dataset->GetDriver() ? dataset->GetDriver()->GetDescription() : "GDAL";
    facts.bandCount = dataset->GetRasterCount();
    facts.columns = dataset->GetRasterXSize();
    facts.rows = dataset->GetRasterYSize();
    facts.hasTransform = dataset->GetGeoTransform(facts.transform.data()) == CE_None;
    facts.crs = crsFactsOf(dataset->GetSpatialRef());
    return new GdalDataset{dataset};
}

void describeBand(GdalDataset* dataset, int band, GdalBandFacts& facts)
{
    GDALRasterBand* raster = dataset->dataset->GetRasterBand(band);
    const GDALDataType type = raster->GetRasterDataType();
    facts.complex = GDALDataTypeIsComplex(type) != 0;
    facts.typeName = GDALGetDataTypeName(type);
    int hasNoData = 0;
    facts.noData = raster->GetNoDataValue(&hasNoData);
    facts.hasNoData = hasNoData != 0;
    const char* pixelType = raster->GetMetadataItem("PIXELTYPE", "IMAGE_STRUCTURE");
    facts.signedBytes = type == GDT_Byte && pixelType != nullptr && EQUAL(pixelType, "SIGNEDBYTE");
    int blockColumns = 0;
    int blockRows = 0;
    raster->GetBlockSize(&blockColumns, &blockRows);
    facts.blockColumns = blockColumns;
    facts.blockRows = blockRows;
    const char* interleave = dataset->dataset->GetMetadataItem("INTERLEAVE", "IMAGE_STRUCTURE");
    facts.blockBands = interleave != nullptr && EQUAL(interleave, "PIXEL") ? dataset->dataset->GetRasterCount() : 1;
}

bool readRow(GdalDataset* dataset, int band, int row, int columns, double* samples, GdalCallReport& report)
{
    const GdalMessageCapture capture(report);
    return dataset->dataset->GetRasterBand(band)->RasterIO(GF_Read, 0, row, columns, 1, samples, columns, 1,
                                                           GDT_Float64, 0, 0, nullptr) == CE_None;
}

void closeDataset(GdalDataset* dataset, GdalCallReport& report)
{
    const GdalMessageCapture capture(report);
    if (dataset->dataset)
        GDALClose(dataset->dataset);
    delete dataset;
}
