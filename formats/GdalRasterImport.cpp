#include "formats/GdalRasterImport.h"

#include "diagnostics/Diagnostics.h"
#include "formats/GdalSession.h"
#include "formats/RasterGeoreferencing.h"
#include "formats/RasterNoData.h"
#include "grid/GridSizeLimit.h"
#include "grid/StdioFile.h"
#include "grid/TerrainLoading.h"

#include <QFile>
#include <QFileInfo>

#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>

#include <memory>
#include <vector>

namespace {

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using DatasetHandle = std::unique_ptr<GDALDataset, DatasetCloser>;

// A raster's bytes hold at most this many samples each: DEFLATE's ceiling of about
// 1032 to 1, counted a sample a byte. A header claiming more over a tiny file (a sparse
// GeoTIFF of a few hundred bytes claims millions of samples) is refused before its
// terrain is allocated.
constexpr long long kMaxSamplesPerByte = 1032;

// The bytes of every file the dataset reads (a VRT lists its sources too); -1 when the
// driver names none.
long long inputBytes(GDALDataset& dataset)
{
    char** files = dataset.GetFileList();
    if (files == nullptr || *files == nullptr) {
        CSLDestroy(files);
        return -1;
    }
    long long total = 0;
    for (char** file = files; *file != nullptr; ++file) {
        VSIStatBufL status;
        if (VSIStatL(*file, &status) == 0)
            total += static_cast<long long>(status.st_size);
    }
    CSLDestroy(files);
    return total;
}

bool refuse(VeskGrid& grid, const QString& reason, QString& errorText)
{
    diagnostics::reportf("%s\n", printable(reason).constData());
    grid.clearData();
    grid.georeference.reset();
    grid.lastError = reason;
    errorText = reason;
    return false;
}

} // namespace

bool hasGdalRasterExtension(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const char* gdalSuffix : {"tif", "tiff", "hgt", "img", "vrt", "dem", "nc"}) {
        if (suffix == QLatin1String(gdalSuffix))
            return true;
    }
    return false;
}

bool loadGdalRaster(const QString& fileName, int band, VeskGrid& grid, QString& errorText)
{
    GdalErrorCapture gdalErrors;
    const QByteArray path = QFile::encodeName(fileName);
    DatasetHandle dataset(
        GDALDataset::Open(path.constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    if (!dataset) {
        return refuse(grid,
                      QStringLiteral("%1 could not be opened as a raster: %2")
                          .arg(fileName, gdalErrors.lastFailure(QStringLiteral("no raster driver recognises it"))),
                      errorText);
    }
    const int bandCount = dataset->GetRasterCount();
    if (band < 1 || band > bandCount) {
        return refuse(grid, QStringLiteral("%1 has no band %2 (it has %3)").arg(fileName).arg(band).arg(bandCount),
                      errorText);
    }
    GDALRasterBand* raster = dataset->GetRasterBand(band);
    const GDALDataType type = raster->GetRasterDataType();
    if (GDALDataTypeIsComplex(type)) {
        return refuse(grid,
                      QStringLiteral("band %1 of %2 holds complex values (%3), not heights")
                          .arg(band)
                          .arg(fileName, QString::fromLatin1(GDALGetDataTypeName(type))),
                      errorText);
    }
    const long long columns = dataset->GetRasterXSize();
    const long long rows = dataset->GetRasterYSize();
    if (!isAcceptableGridSize(columns, rows))
        return refuse(grid, unacceptableGridSizeMessage(fileName, columns, rows), errorText);

    const long long bytes = inputBytes(*dataset);
    if (bytes >= 0 && columns * rows > kMaxSamplesPerByte * (bytes + 1)) {
        return refuse(grid,
                      QStringLiteral("%1 claims %2 x %3 samples, more than its %4 bytes can hold")
                          .arg(fileName)
                          .arg(columns)
                          .arg(rows)
                          .arg(bytes),
                      errorText);
    }

    std::optional<GeoTransform> transform;
    GeoTransform values{};
    if (dataset->GetGeoTransform(values.data()) == CE_None)
        transform = values;
    RasterPlacement placement;
    QString problem;
    if (!placeRaster(transform, dataset->GetSpatialRef(), placement, problem))
        return refuse(grid, QStringLiteral("%1 cannot be read: %2").arg(fileName, problem), errorText);

    int hasNoData = 0;
    const double noDataValue = raster->GetNoDataValue(&hasNoData);
    RasterNoData noData(hasNoData ? std::optional<double>(noDataValue) : std::nullopt);

    const char* driver = dataset->GetDriver() ? dataset->GetDriver()->GetDescription() : "GDAL";
    startLoad(grid, driver);
    diagnostics::reportf("frequency sampled is %1.3f\n", static_cast<double>(placement.cellSize));
    grid.resize(static_cast<int>(columns), static_cast<int>(rows));
    HeightTally tally;
    // Doubles, so that every data type (32-bit integers included) and its no-data
    // value arrive exactly before they are stored as floats.
    std::vector<double> samples(static_cast<std::size_t>(columns));
    for (int fileRow = 0; fileRow < grid.height; ++fileRow) {
        if (raster->RasterIO(GF_Read, 0, fileRow, grid.width, 1, samples.data(), grid.width, 1, GDT_Float64, 0, 0,
                             nullptr) != CE_None) {
            return refuse(grid,
                          QStringLiteral("%1 could not be read at row %2: %3")
                              .arg(fileName)
                              .arg(fileRow)
                              .arg(gdalErrors.lastFailure(QStringLiteral("read error"))),
                          errorText);
        }
        const int row = placement.flipRows ? grid.height - 1 - fileRow : fileRow;
        float* heights = grid.heights[static_cast<std::size_t>(row)].data();
        for (int column = 0; column < grid.width; ++column) {
            heights[column] = noData.heightOf(samples[static_cast<std::size_t>(column)]);
            tally.add(heights[column]);
        }
    }
    if (noData.missingCount() > 0)
        diagnostics::reportf("%lld heights are no-data and stored as -9999\n", noData.missingCount());
    finishLoad(grid, fileName, placement.cellSize, tally);
    grid.georeference = placement.georeference;
    errorText.clear();
    return true;
}
