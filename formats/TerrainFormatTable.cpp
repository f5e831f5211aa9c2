#include "formats/TerrainFormatTable.h"

#include "diagnostics/Diagnostics.h"
#include "formats/GdalRasterImport.h"
#include "formats/GeoTiffExport.h"
#include "formats/Heightmap16Export.h"
#include "formats/Heightmap16Import.h"
#include "formats/HeightmapSidecar.h"
#include "formats/PngTerrainImport.h"
#include "formats/PrjPlacement.h"
#include "grid/GridExport.h"

#include <QFile>
#include <QFileInfo>

#include <array>

namespace {

// Signatures, looked for in a file's first bytes.

bool hasPngSignature(const QByteArray& head)
{
    return head.startsWith("\x89PNG\r\n\x1a\n");
}

// Classic TIFF and BigTIFF, in either byte order.
bool hasTiffSignature(const QByteArray& head)
{
    return head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4))
        || head.startsWith(QByteArray("II+\0", 4)) || head.startsWith(QByteArray("MM\0+", 4));
}

// Both our seven-line grid and the standard ESRI grid begin with the key ncols (any
// case, after blanks). A header whose values use a decimal comma, as some locales write
// them, is not ours to read: GDAL reads it.
bool hasAsciiGridSignature(const QByteArray& head)
{
    const QByteArray text = head.trimmed();
    if (!text.left(5).toLower().startsWith("ncols"))
        return false;
    const qsizetype headerEnd = [&] {
        qsizetype position = 0;
        for (int line = 0; line < 7 && position >= 0; ++line)
            position = text.indexOf('\n', position + 1);
        return position < 0 ? text.size() : position;
    }();
    return !text.left(headerEnd).contains(',');
}

// Readers: each says why when no terrain results.

bool readWithGridReader(bool loaded, VeskGrid& grid, const QString& fileName, QString& errorText)
{
    if (loaded && grid.hasData)
        return true;
    errorText = grid.lastError.isEmpty() ? QStringLiteral("%1: no terrain could be read").arg(fileName)
                                         : grid.lastError;
    return false;
}

bool readAsciiGrid(const QString& fileName, const TerrainReading&, VeskGrid& grid, QString& errorText)
{
    return readWithGridReader(grid.loadGRDFile(fileName), grid, fileName, errorText);
}

// The standard ESRI grid and GridFloat may have a .prj beside them; our seven-line grid never does.
bool readEsriAscii(const QString& fileName, const TerrainReading&, VeskGrid& grid, QString& errorText)
{
    if (!readWithGridReader(grid.loadGRDFile(fileName), grid, fileName, errorText))
        return false;
    placeByPrj(fileName, grid);
    return true;
}

bool readGridFloat(const QString& fileName, const TerrainReading&, VeskGrid& grid, QString& errorText)
{
    if (!readWithGridReader(grid.loadFLTFile(fileName), grid, fileName, errorText))
        return false;
    placeByPrj(fileName, grid);
    return true;
}

bool readPng(const QString& fileName, const TerrainReading& reading, VeskGrid& grid, QString& errorText)
{
    return loadPngTerrain(fileName, reading.heightRange, grid, errorText);
}

bool readRaw16(const QString& fileName, const TerrainReading& reading, VeskGrid& grid, QString& errorText)
{
    return loadRaw16Heightmap(fileName, reading.heightRange, grid, errorText);
}

bool readGdalRaster(const QString& fileName, const TerrainReading& reading, VeskGrid& grid, QString& errorText)
{
    return loadGdalRaster(fileName, reading.band, grid, errorText);
}

bool readSessionScreen(const QString& fileName, const TerrainReading& reading, VeskGrid& grid, QString& errorText)
{
    TerrainSession session;
    if (!readSessionFile(fileName, session, errorText))
        return false;
    VeskGrid& screen = session.screen(reading.screen);
    if (!screen.hasData) {
        errorText = QStringLiteral("%1: its %2 screen is empty")
                        .arg(fileName, reading.screen == SessionScreen::Left ? QStringLiteral("left")
                                                                             : QStringLiteral("right"));
        return false;
    }
    grid = std::move(screen);
    return true;
}

// Writers: each writes the name it is given and its companions, or nothing.

bool writeAsciiGrid(VeskGrid& grid, const QString& fileName, QString& errorText)
{
    // The grid's writer makes up a name of its own for a name without ".grd".
    if (!fileName.contains(QStringLiteral(".grd"))) {
        errorText = QStringLiteral("%1: an ASCII grid's name must end in .grd").arg(fileName);
        return false;
    }
    QString writtenName = fileName;
    if (grid.writeTerrain(writtenName))
        return true;
    errorText = writtenName;
    return false;
}

bool writeEsriAscii(VeskGrid& grid, const QString& fileName, QString& errorText)
{
    return writeGridWithPrj(writeEsriAsciiGrid, grid, fileName, errorText);
}

bool writeGridFloatFiles(VeskGrid& grid, const QString& fileName, QString& errorText)
{
    return writeGridWithPrj(writeGridFloat, grid, fileName, errorText);
}

bool writeObj(VeskGrid& grid, const QString& fileName, QString& errorText)
{
    if (grid.saveOBJ(fileName))
        return true;
    errorText = grid.lastError.isEmpty() ? QStringLiteral("cannot write %1").arg(fileName) : grid.lastError;
    return false;
}

bool writeGeoTiffFile(VeskGrid& grid, const QString& fileName, QString& errorText)
{
    return writeGeoTiff(grid, fileName, errorText);
}

using HeightmapWriter = bool (*)(const VeskGrid&, const HeightmapRange&, const QString&, QString&);

// A 16-bit heightmap and, after it, the sidecar that says what its samples mean.
bool writeHeightmapFiles(HeightmapWriter write, const VeskGrid& grid, const QString& fileName, QString& errorText)
{
    const HeightmapRange range = heightmapRangeOf(grid);
    diagnostics::reportf("Heights %1.3f to %1.3f m are written as 0 to 65535\n", range.minimum, range.maximum);
    if (!write(grid, range, fileName, errorText))
        return false;
    if (writeHeightmapSidecar(heightmapSidecarName(fileName), {grid.width, grid.height, range, grid.cellSize},
                              errorText))
        return true;
    QFile::remove(fileName);
    return false;
}

bool writePng16(VeskGrid& grid, const QString& fileName, QString& errorText)
{
    return writeHeightmapFiles(writePng16Heightmap, grid, fileName, errorText);
}

bool writeRaw16(VeskGrid& grid, const QString& fileName, QString& errorText)
{
    return writeHeightmapFiles(writeRaw16Heightmap, grid, fileName, errorText);
}

// One terrain makes a session of it on the left screen and an empty right one.
bool writeSessionOfOne(VeskGrid& grid, const QString& fileName, QString& errorText)
{
    return writeSessionFile(fileName, grid, VeskGrid(), QJsonObject(), errorText);
}

QStringList noCompanions(const QString&)
{
    return {};
}

QStringList prjCompanions(const QString& fileName)
{
    return {prjNameBeside(fileName)};
}

QStringList gridFloatCompanions(const QString& fileName)
{
    return {gridFloatHeaderName(fileName), prjNameBeside(fileName)};
}

QStringList heightmapCompanions(const QString& fileName)
{
    return {heightmapSidecarName(fileName)};
}

const std::array<TerrainFormatRow, 9>& rows()
{
    static const std::array<TerrainFormatRow, 9> table = {{
        {TerrainFormat::AsciiGrid, "grd", "Grid Ascii Format", {"grd"}, hasAsciiGridSignature, readAsciiGrid,
         writeAsciiGrid, noCompanions, false, false, {"ascii_grid"}},
        {TerrainFormat::EsriAscii, "asc", "ESRI ASCII Grid", {"asc"}, hasAsciiGridSignature, readEsriAscii,
         writeEsriAscii, prjCompanions, false, true, {"ascii_grid"}},
        {TerrainFormat::GridFloat, "flt", "Grid Float Format", {"flt"}, nullptr, readGridFloat, writeGridFloatFiles,
         gridFloatCompanions, false, true, {"grid_float"}},
        {TerrainFormat::WavefrontObj, "", "Alias/Wavefront Object Format", {"obj"}, nullptr, nullptr, writeObj,
         noCompanions, false, false, {}},
        {TerrainFormat::Png, "png", "PNG Image or 16-bit Heightmap", {"png"}, hasPngSignature, readPng, writePng16,
         heightmapCompanions, true, false, {"png_image", "png_to_grid", "inflate", "heightmap_sidecar"}},
        {TerrainFormat::Raw16, "r16", "RAW 16-bit Heightmap", {"r16"}, nullptr, readRaw16, writeRaw16,
         heightmapCompanions, true, false, {"raw16_heightmap", "heightmap_sidecar"}},
        {TerrainFormat::GeoTiff, "tif", "GeoTIFF", {"tif", "tiff"}, hasTiffSignature, readGdalRaster,
         writeGeoTiffFile, noCompanions, false, true, {"gdal_raster"}},
        {TerrainFormat::GdalRaster, "gdal", "Rasters Read Through GDAL", {"hgt", "img", "vrt", "dem", "nc"}, nullptr,
         readGdalRaster, nullptr, noCompanions, false, true, {"gdal_raster"}},
        {TerrainFormat::Session, "talvane", "Talvane Session", {"talvane"}, hasSessionSignature, readSessionScreen,
         writeSessionOfOne, noCompanions, false, true, {"session_file"}},
    }};
    return table;
}

QByteArray headOf(const QString& fileName, bool& opened)
{
    QFile file(fileName);
    opened = QFileInfo(fileName).isFile() && file.open(QIODevice::ReadOnly);
    return opened ? file.read(512) : QByteArray();
}

QString extensionsText(bool (*wanted)(const TerrainFormatRow&))
{
    QStringList extensions;
    for (const TerrainFormatRow& row : rows())
        if (wanted(row))
            for (const QString& extension : row.extensions)
                extensions << QLatin1Char('.') + extension;
    const QString last = extensions.takeLast();
    return extensions.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

bool isRead(const TerrainFormatRow& row)
{
    return row.read != nullptr;
}

bool isWritten(const TerrainFormatRow& row)
{
    return row.write != nullptr;
}

QString patternsOf(const TerrainFormatRow& row)
{
    QStringList patterns;
    for (const QString& extension : row.extensions)
        patterns << QStringLiteral("*.") + extension;
    return patterns.join(QLatin1Char(' '));
}

QString dialogFilter(bool (*wanted)(const TerrainFormatRow&), bool withAllFirst)
{
    QStringList all;
    QStringList each;
    for (const TerrainFormatRow& row : rows()) {
        if (!wanted(row))
            continue;
        all << patternsOf(row);
        each << dialogFilterOf(row);
    }
    if (withAllFirst)
        each.prepend(QStringLiteral("Terrains (%1)").arg(all.join(QLatin1Char(' '))));
    return each.join(QStringLiteral(";;"));
}

} // namespace

std::span<const TerrainFormatRow> terrainFormatTable()
{
    return rows();
}

const TerrainFormatRow& terrainFormatRow(TerrainFormat format)
{
    for (const TerrainFormatRow& row : rows())
        if (row.format == format)
            return row;
    return rows().back();
}

const TerrainFormatRow* terrainFormatByExtension(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const TerrainFormatRow& row : rows())
        if (row.extensions.contains(suffix))
            return &row;
    return nullptr;
}

const TerrainFormatRow* terrainFormatOfFile(const QString& fileName)
{
    const TerrainFormatRow* named = terrainFormatByExtension(fileName);
    // Raw samples (.flt, .r16) have no signature and may begin with any bytes: their
    // name decides.
    if (named && !named->recognises)
        return named;
    bool opened = false;
    const QByteArray head = headOf(fileName, opened);
    if (!opened)
        return named;
    if (named && named->recognises(head))
        return named;
    for (const TerrainFormatRow& row : rows())
        if (row.read && row.recognises && row.recognises(head))
            return &row;
    // Named as one of ours but not in its layout: another format of the same extension.
    // No other format is named .talvane: a damaged session goes to its reader, which says why.
    if (named && named->format == TerrainFormat::Session)
        return named;
    return named ? &terrainFormatRow(TerrainFormat::GdalRaster) : nullptr;
}

const TerrainFormatRow* terrainFormatNamed(const QString& name)
{
    for (const TerrainFormatRow& row : rows())
        if (!name.isEmpty() && name == QLatin1String(row.name))
            return &row;
    return nullptr;
}

bool readTerrainFile(const TerrainFormatRow& row, const QString& fileName, const TerrainReading& reading,
                     VeskGrid& grid, QString& errorText)
{
    if (!row.read) {
        errorText = QStringLiteral("%1: cannot read this format (use %2)").arg(fileName, readableExtensionsText());
        return false;
    }
    if (reading.heightRange && !row.takesHeightRange) {
        errorText = QStringLiteral("%1: --height-range needs a 16-bit greyscale PNG or a .r16 heightmap").arg(fileName);
        return false;
    }
    return row.read(fileName, reading, grid, errorText);
}

QString readableExtensionsText()
{
    return extensionsText(isRead);
}

QString writableExtensionsText()
{
    return extensionsText(isWritten);
}

QString openDialogFilter()
{
    return dialogFilter(isRead, true);
}

QString saveDialogFilter()
{
    return dialogFilter(isWritten, false);
}

QString dialogFilterOf(const TerrainFormatRow& row)
{
    return QStringLiteral("%1 (%2)").arg(QLatin1String(row.title), patternsOf(row));
}

const TerrainFormatRow* terrainFormatOfFilter(const QString& filter)
{
    for (const TerrainFormatRow& row : rows())
        if (filter == dialogFilterOf(row))
            return &row;
    return nullptr;
}
