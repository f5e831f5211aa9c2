#include "tools/TerrainOutput.h"

#include "diagnostics/Diagnostics.h"
#include "formats/GeoTiffExport.h"
#include "formats/Heightmap16Export.h"
#include "formats/HeightmapSidecar.h"
#include "grid/GridExport.h"
#include "tools/TerrainFormats.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The grid's name drives the names its own writers choose; lend it for one call.
class BorrowedGridName {
public:
    BorrowedGridName(VeskGrid& grid, const QString& temporaryName) : grid(grid), savedName(grid.name)
    {
        grid.name = temporaryName;
    }
    ~BorrowedGridName() { grid.name = savedName; }
    BorrowedGridName(const BorrowedGridName&) = delete;
    BorrowedGridName& operator=(const BorrowedGridName&) = delete;

private:
    VeskGrid& grid;
    QString savedName;
};

// writeDetails writes beside the current folder's files under names of its own; run it
// inside a private folder so its files can be found, checked and moved as a whole.
class CurrentFolderSwitch {
public:
    explicit CurrentFolderSwitch(const QString& folder) : savedFolder(QDir::currentPath())
    {
        switched = QDir::setCurrent(folder);
    }
    ~CurrentFolderSwitch() { QDir::setCurrent(savedFolder); }
    CurrentFolderSwitch(const CurrentFolderSwitch&) = delete;
    CurrentFolderSwitch& operator=(const CurrentFolderSwitch&) = delete;
    bool succeeded() const { return switched; }

private:
    QString savedFolder;
    bool switched = false;
};

// fileName in the folder of finalName, spelt as the user spelt that folder.
QString besideFinalName(const QString& finalName, const QString& fileName)
{
    const QString folder = QFileInfo(finalName).path();
    return folder == QLatin1String(".") && !finalName.startsWith(QLatin1String("./"))
               ? fileName
               : folder + QLatin1Char('/') + fileName;
}

// Writers name the file they failed on; the user knows it by its final name.
void nameTheFinalFile(QString& errorText, const QString& temporaryName, const QString& finalName)
{
    errorText.replace(temporaryName, finalName);
}

bool stageAsciiGrid(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction, QString& errorText)
{
    // writeTerrain writes to the name it is given only when that contains ".grd" in
    // lower case (else it makes up a name of its own), so the temporary name always has it.
    const QString temporaryName = transaction.temporaryNameFor(finalName, QStringLiteral("grd"));
    QString writtenName = temporaryName;
    const bool written = grid.writeTerrain(writtenName);
    transaction.adopt(written ? writtenName : temporaryName, finalName);
    if (!written) {
        errorText = writtenName;
        nameTheFinalFile(errorText, temporaryName, finalName);
        return false;
    }
    return true;
}

using SingleFileWriter = bool (*)(const VeskGrid&, const QString&, QString&);

// A writer of one file that leaves nothing behind when it fails (ESRI ASCII, GeoTIFF).
bool stageSingleFile(SingleFileWriter write, const VeskGrid& grid, const QString& finalName,
                     OutputTransaction& transaction, QString& errorText)
{
    const QString temporaryName = transaction.temporaryNameFor(finalName);
    if (!write(grid, temporaryName, errorText)) {
        nameTheFinalFile(errorText, temporaryName, finalName);
        return false;
    }
    transaction.adopt(temporaryName, finalName);
    return true;
}

bool stageGridFloat(const VeskGrid& grid, const QString& finalName, OutputTransaction& transaction,
                    QString& errorText)
{
    const QString temporaryName = transaction.temporaryNameFor(finalName);
    if (!writeGridFloat(grid, temporaryName, errorText)) {
        nameTheFinalFile(errorText, gridFloatHeaderName(temporaryName), gridFloatHeaderName(finalName));
        nameTheFinalFile(errorText, temporaryName, finalName);
        return false;
    }
    // The header goes in first: a reader that sees the data file finds its header too.
    transaction.adopt(gridFloatHeaderName(temporaryName), gridFloatHeaderName(finalName));
    transaction.adopt(temporaryName, finalName);
    return true;
}

bool stageObj(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction, QString& errorText)
{
    const QString temporaryName = transaction.temporaryNameFor(finalName);
    transaction.adopt(temporaryName, finalName); // adopted first: a partial file is removed too
    if (!grid.saveOBJ(temporaryName)) {
        errorText = grid.lastError.isEmpty() ? QStringLiteral("cannot write %1").arg(finalName) : grid.lastError;
        nameTheFinalFile(errorText, temporaryName, finalName);
        return false;
    }
    return true;
}

using HeightmapWriter = bool (*)(const VeskGrid&, const HeightmapRange&, const QString&, QString&);

// A 16-bit heightmap and, after it, the sidecar that says what its samples mean.
bool stageHeightmap(const VeskGrid& grid, HeightmapWriter write, const QString& finalName,
                    OutputTransaction& transaction, QString& errorText)
{
    const HeightmapRange range = heightmapRangeOf(grid);
    diagnostics::reportf("Heights %1.3f to %1.3f m are written as 0 to 65535\n", range.minimum, range.maximum);
    const QString temporaryName = transaction.temporaryNameFor(finalName);
    if (!write(grid, range, temporaryName, errorText)) {
        nameTheFinalFile(errorText, temporaryName, finalName);
        return false;
    }
    transaction.adopt(temporaryName, finalName);
    const QString sidecarName = heightmapSidecarName(finalName);
    const QString temporarySidecar = transaction.temporaryNameFor(sidecarName);
    if (!writeHeightmapSidecar(temporarySidecar, {grid.width, grid.height, range, grid.cellSize}, errorText)) {
        nameTheFinalFile(errorText, temporarySidecar, sidecarName);
        return false;
    }
    transaction.adopt(temporarySidecar, sidecarName);
    return true;
}

} // namespace

bool stageTerrain(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction, QString& errorText)
{
    if (!grid.hasData) {
        errorText = QStringLiteral("Grid has no data");
        return false;
    }
    const auto format = terrainFormatOf(finalName);
    if (!format || !isWritableFormat(*format)) {
        errorText = QStringLiteral("%1: cannot write this format (use %2)").arg(finalName, writableExtensionsText());
        return false;
    }
    switch (*format) {
    case TerrainFormat::AsciiGrid:
        return stageAsciiGrid(grid, finalName, transaction, errorText);
    case TerrainFormat::EsriAscii:
        return stageSingleFile(writeEsriAsciiGrid, grid, finalName, transaction, errorText);
    case TerrainFormat::GridFloat:
        return stageGridFloat(grid, finalName, transaction, errorText);
    case TerrainFormat::WavefrontObj:
        return stageObj(grid, finalName, transaction, errorText);
    case TerrainFormat::GeoTiff:
        return stageSingleFile(writeGeoTiff, grid, finalName, transaction, errorText);
    case TerrainFormat::Png:
        return stageHeightmap(grid, writePng16Heightmap, finalName, transaction, errorText);
    case TerrainFormat::Raw16:
        return stageHeightmap(grid, writeRaw16Heightmap, finalName, transaction, errorText);
    case TerrainFormat::GdalRaster:
        break;
    }
    return false;
}

bool stageSplitHalves(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction,
                      QString& errorText)
{
    if (!grid.hasData) {
        errorText = QStringLiteral("Grid has no data");
        return false;
    }
    // Written in a private folder under OUT's base name, so the halves carry the writer's
    // own names and a half left by a failure goes away with the folder.
    const QString folder = transaction.temporaryFolderFor(finalName, errorText);
    if (folder.isEmpty())
        return false;
    QString leftName;
    QString rightName;
    {
        BorrowedGridName borrowed(grid, QDir(folder).filePath(QFileInfo(finalName).completeBaseName()));
        if (!grid.writeTerrainSplit(leftName, rightName)) {
            errorText = leftName;
            errorText.replace(folder + QLatin1Char('/'), besideFinalName(finalName, QString()));
            return false;
        }
    }
    for (const QString& writtenName : {leftName, rightName})
        transaction.adopt(writtenName, besideFinalName(finalName, QFileInfo(writtenName).fileName()));
    return true;
}

bool stageDetailsFiles(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction,
                       int& fileCount, QString& errorText)
{
    fileCount = 0;
    const QString folder = transaction.temporaryFolderFor(finalName, errorText);
    if (folder.isEmpty())
        return false;
    QString lastName;
    int count = 0;
    {
        CurrentFolderSwitch switchFolder(folder);
        if (!switchFolder.succeeded()) {
            errorText = QStringLiteral("cannot enter %1").arg(folder);
            return false;
        }
        BorrowedGridName borrowed(grid, QFileInfo(finalName).completeBaseName());
        grid.writeDetails(lastName, count);
    }
    if (count < 0) {
        errorText = lastName;
        return false;
    }
    const QStringList written = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& fileName : written)
        transaction.adopt(QDir(folder).filePath(fileName), besideFinalName(finalName, fileName));
    fileCount = count;
    return true;
}
