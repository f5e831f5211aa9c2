#include "formats/GdalRasterImport.h"

#include "diagnostics/Diagnostics.h"
#include "formats/GdalMessages.h"
#include "formats/GdalModule.h"
#include "formats/GdalOpenRaster.h"
#include "formats/RasterGeoreferencing.h"
#include "formats/RasterNoData.h"
#include "grid/GridSizeLimit.h"
#include "grid/StdioFile.h"
#include "grid/TerrainLoading.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A Byte band marked signed holds -128..127 in bytes GDAL hands out as 0..255.
double signedByte(double sample)
{
    return sample > 127.0 ? sample - 256.0 : sample;
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
    QString unavailable;
    const GdalModuleFunctions* gdal = gdalModule(unavailable);
    if (!gdal)
        return refuse(grid, QStringLiteral("%1 could not be opened as a raster: %2").arg(fileName, unavailable),
                      errorText);
    GdalMessages messages;
    const QByteArray path = QFile::encodeName(fileName);
    GdalRasterFacts facts;
    const GdalOpenRaster dataset(*gdal, gdal->openRaster(path.constData(), facts, messages.report()), messages);
    messages.forward();
    if (!dataset.get()) {
        return refuse(grid,
                      QStringLiteral("%1 could not be opened as a raster: %2")
                          .arg(fileName, messages.lastFailure(QStringLiteral("no raster driver recognises it"))),
                      errorText);
    }
    if (band < 1 || band > facts.bandCount) {
        return refuse(grid,
                      QStringLiteral("%1 has no band %2 (it has %3)").arg(fileName).arg(band).arg(facts.bandCount),
                      errorText);
    }
    GdalBandFacts bandFacts;
    gdal->describeBand(dataset.get(), band, bandFacts);
    if (bandFacts.complex) {
        return refuse(grid,
                      QStringLiteral("band %1 of %2 holds complex values (%3), not heights")
                          .arg(band)
                          .arg(fileName, QString::fromStdString(bandFacts.typeName)),
                      errorText);
    }
    const long long columns = facts.columns;
    const long long rows = facts.rows;
    if (!isAcceptableGridSize(columns, rows))
        return refuse(grid, unacceptableGridSizeMessage(fileName, columns, rows), errorText);
    // GDAL holds a whole block in memory (every band of it, where they are interleaved)
    // to hand out one row of it: a small file may declare blocks of billions of samples
    // over a raster of a few.
    if (!isAcceptableGridSize(bandFacts.blockColumns, bandFacts.blockRows * bandFacts.blockBands)) {
        return refuse(grid,
                      QStringLiteral("%1 stores band %2 in blocks of %3 x %4 samples in %5 bands, more than may be "
                                     "read at once")
                          .arg(fileName)
                          .arg(band)
                          .arg(bandFacts.blockColumns)
                          .arg(bandFacts.blockRows)
                          .arg(bandFacts.blockBands),
                      errorText);
    }

    // Memory is bounded by the sample limit above and by reading a row at a time, not by
    // the file's size: a sparse GeoTIFF or a VRT that enlarges its source is a small file
    // of many samples, and valid.
    std::optional<GeoTransform> transform;
    if (facts.hasTransform)
        transform = facts.transform;
    RasterPlacement placement;
    QString problem;
    if (!placeRaster(transform, facts.crs, placement, problem))
        return refuse(grid, QStringLiteral("%1 cannot be read: %2").arg(fileName, problem), errorText);

    RasterNoData noData(bandFacts.hasNoData ? std::optional<double>(bandFacts.noData) : std::nullopt);

    startLoad(grid, facts.driverName.c_str());
    diagnostics::reportf("frequency sampled is %1.3f\n", static_cast<double>(placement.cellSize));
    grid.resize(static_cast<int>(columns), static_cast<int>(rows));
    HeightTally tally;
    // Doubles, so that every data type (32-bit integers included) and its no-data
    // value arrive exactly before they are stored as floats.
    std::vector<double> samples(static_cast<std::size_t>(columns));
    for (int fileRow = 0; fileRow < grid.height; ++fileRow) {
        const bool read = gdal->readRow(dataset.get(), band, fileRow, grid.width, samples.data(), messages.report());
        messages.forward();
        if (!read) {
            return refuse(grid,
                          QStringLiteral("%1 could not be read at row %2: %3")
                              .arg(fileName)
                              .arg(fileRow)
                              .arg(messages.lastFailure(QStringLiteral("read error"))),
                          errorText);
        }
        const int row = placement.flipRows ? grid.height - 1 - fileRow : fileRow;
        float* heights = grid.heights[static_cast<std::size_t>(row)].data();
        for (int column = 0; column < grid.width; ++column) {
            const double sample = samples[static_cast<std::size_t>(column)];
            heights[column] = noData.heightOf(bandFacts.signedBytes ? signedByte(sample) : sample);
            // No-data and infinities were taken out: an infinite height is a finite value
            // beyond a float, which no height of ours can hold.
            if (std::isinf(heights[column])) {
                return refuse(grid,
                              QStringLiteral("%1 holds %2 at row %3, column %4, beyond the largest height a "
                                             "terrain can hold (%5)")
                                  .arg(fileName)
                                  .arg(sample, 0, 'g', 6)
                                  .arg(fileRow)
                                  .arg(column)
                                  .arg(static_cast<double>(std::numeric_limits<float>::max()), 0, 'g', 6),
                              errorText);
            }
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
