#include "formats/GeoTiffExport.h"

#include "formats/GdalDatasetWriting.h"
#include "formats/GdalMessages.h"
#include "formats/GdalModule.h"
#include "formats/RasterGeoreferencing.h"
#include "formats/RasterNoData.h"

namespace {

bool writeHeights(const GdalModuleFunctions& gdal, GdalDataset* dataset, const VeskGrid& grid, bool flipRows,
                  GdalMessages& messages)
{
    for (int row = 0; row < grid.height; ++row) {
        const int fileRow = flipRows ? grid.height - 1 - row : row;
        const bool written = gdal.writeRow(dataset, fileRow, grid.width,
                                           grid.heights[static_cast<std::size_t>(row)].data(), messages.report());
        messages.forward();
        if (!written)
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
    QString unavailable;
    const GdalModuleFunctions* gdal = gdalModule(unavailable);
    if (!gdal) {
        errorText = exportFailureText(path, unavailable);
        return false;
    }
    GdalExportFile file(path);
    if (!file.isOpen(errorText))
        return false;
    const ExportPlacement placement = exportPlacementOf(grid);
    GdalMessages messages;
    GdalDataset* dataset = nullptr;
    bool placed = false;
    const GdalCreation creation =
        gdal->createGeoTiff(file.stagingName().constData(), grid.width, grid.height, placement.transform,
                            placement.crsWkt.c_str(), kNoDataHeight, dataset, placed, messages.report());
    messages.forward();
    if (creation == GdalCreation::NoDriver) {
        file.close(*gdal, nullptr, false, messages, errorText);
        errorText = exportFailureText(path, QStringLiteral("this GDAL has no GeoTIFF driver"));
        return false;
    }
    const bool written = placed && writeHeights(*gdal, dataset, grid, placement.flipRows, messages);
    return file.close(*gdal, dataset, written, messages, errorText);
}
