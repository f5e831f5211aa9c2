#include "formats/HeightmapSidecar.h"
#include "formats/TerrainFormatTable.h"
#include "png/PngToGrid.h"
#include "tools/CommandReport.h"
#include "tools/Commands.h"
#include "tools/CommitOutputs.h"
#include "tools/TerrainInput.h"
#include "tools/TerrainOutput.h"

#include <QFile>

namespace {

// A PNG to an ASCII grid is the window's "Convert PNG" itself, byte for byte (its own
// header and cell size, no final empty line), not a load followed by writeTerrain.
bool stagePngConversion(const QString& pngName, const QString& finalName, OutputTransaction& transaction,
                        QString& errorText)
{
    const QString temporaryName = transaction.temporaryNameFor(finalName);
    transaction.adopt(temporaryName, finalName); // adopted first: a partial file is removed too
    if (convertPngToGrid(pngName, temporaryName, errorText))
        return true;
    errorText.replace(temporaryName, finalName);
    return false;
}

// Only a PNG read by extension with no range of its own (neither --height-range nor
// a sidecar) is the window's conversion.
bool isPngToAsciiGrid(const QString& input, const QString& output, const TerrainReadOptions& read)
{
    return read.format.empty() && read.heightRange.empty() && !QFile::exists(heightmapSidecarName(input)) &&
           terrainFormatOfFile(input) == &terrainFormatRow(TerrainFormat::Png)
           && terrainFormatByExtension(output) == &terrainFormatRow(TerrainFormat::AsciiGrid);
}

} // namespace

ExitCode runConvert(const ConvertOptions& options)
{
    const QString input = QString::fromStdString(options.input);
    const QString output = QString::fromStdString(options.output);
    VeskGrid grid;
    OutputTransaction transaction;
    QString errorText;
    const bool directPngConversion = isPngToAsciiGrid(input, output, options.read);
    if (directPngConversion) {
        if (!stagePngConversion(input, output, transaction, errorText))
            return reportFailure(errorText);
    }
    if (!directPngConversion || options.split) {
        if (!loadTerrain(input, options.read, grid, errorText))
            return reportFailure(errorText);
    }
    if (!directPngConversion && !stageTerrain(grid, output, transaction, errorText))
        return reportFailure(errorText);
    if (options.split && !stageSplitHalves(grid, output, transaction, errorText))
        return reportFailure(errorText);
    return commitAndReport(transaction);
}
