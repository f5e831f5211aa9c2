#include "formats/PrjPlacement.h"

#include "diagnostics/Diagnostics.h"
#include "formats/GdalMessages.h"
#include "formats/GdalModule.h"
#include "formats/GdalOpenRaster.h"
#include "formats/RasterGeoreferencing.h"
#include "grid/StdioFile.h"
#include "io/AtomicFileWrite.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

void reportUnused(const QString& prjName, const QString& reason)
{
    diagnostics::reportf("%s is not used: %s\n", printable(prjName).constData(), printable(reason).constData());
}

} // namespace

QString prjNameBeside(const QString& dataFileName)
{
    const QFileInfo file(dataFileName);
    const QString suffix = file.suffix();
    const QString stem = suffix.isEmpty() ? dataFileName : dataFileName.left(dataFileName.size() - suffix.size() - 1);
    return stem + QStringLiteral(".prj");
}

void placeByPrj(const QString& fileName, VeskGrid& grid)
{
    const QString prjName = prjNameBeside(fileName);
    if (!grid.hasData || !QFileInfo(prjName).isFile())
        return;
    QString unavailable;
    const GdalModuleFunctions* gdal = gdalModule(unavailable);
    if (!gdal) {
        reportUnused(prjName, unavailable);
        return;
    }
    GdalMessages messages;
    GdalRasterFacts facts;
    const GdalOpenRaster dataset(*gdal, gdal->openRaster(QFile::encodeName(fileName).constData(), facts,
                                                         messages.report()),
                                 messages);
    messages.forward();
    if (!dataset.get() || !facts.hasTransform || !facts.crs.present) {
        reportUnused(prjName, messages.lastFailure(QStringLiteral("GDAL finds no coordinate system in it")));
        return;
    }
    if (facts.columns != grid.width || facts.rows != grid.height) {
        reportUnused(prjName, QStringLiteral("GDAL reads the header as %1 x %2 samples").arg(facts.columns).arg(facts.rows));
        return;
    }
    RasterPlacement placement;
    QString problem;
    if (!placeRaster(facts.transform, facts.crs, placement, problem) || placement.flipRows) {
        reportUnused(prjName, problem.isEmpty() ? QStringLiteral("its rows run south first") : problem);
        return;
    }
    if (placement.cellSize != grid.cellSize)
        diagnostics::reportf("%s names a projected system: the cell size is %1.3f m\n", printable(prjName).constData(),
                             static_cast<double>(placement.cellSize));
    grid.cellSize = placement.cellSize;
    grid.georeference = placement.georeference;
}

namespace {

// The header placement of a georeferenced terrain: the lower-left corner of the file's
// first column and last row (its first row when the source ran south first).
GridHeaderPlacement headerPlacementOf(const VeskGrid& grid)
{
    const GeoTransform t = exportPlacementOf(grid).transform;
    const double cellSize = std::fabs(t[1]);
    const double southEdge = t[5] < 0.0 ? t[3] + grid.height * t[5] : t[3];
    return {t[0], southEdge, cellSize};
}

bool writeText(const QString& path, const std::string& text)
{
    io::AtomicFileWrite file(QFile::encodeName(path).toStdString());
    return file.isOpen() && std::fwrite(text.data(), 1, text.size(), file.stream()) == text.size() && file.commit();
}

} // namespace

bool writeGridWithPrj(PlaceableGridWriter write, const VeskGrid& grid, const QString& fileName, QString& errorText)
{
    if (!grid.georeference || grid.georeference->crsWkt.empty())
        return write(grid, fileName, errorText, std::nullopt);
    QString unavailable;
    const GdalModuleFunctions* gdal = gdalModule(unavailable);
    std::string esriWkt;
    if (!gdal || !gdal->esriWktOf(grid.georeference->crsWkt.c_str(), esriWkt)) {
        diagnostics::reportf("%s is written without its coordinate system: %s\n", printable(fileName).constData(),
                             gdal ? "it cannot be written as a .prj" : printable(unavailable).constData());
        return write(grid, fileName, errorText, std::nullopt);
    }
    const QString prjName = prjNameBeside(fileName);
    if (!writeText(prjName, esriWkt + '\n')) {
        errorText = QStringLiteral("%1 could not be written").arg(prjName);
        return false;
    }
    if (write(grid, fileName, errorText, headerPlacementOf(grid)))
        return true;
    QFile::remove(prjName);
    return false;
}
