#include "tools/TerrainInput.h"

#include "formats/TerrainFormatTable.h"

QString readableInputsText()
{
    return readableExtensionsText() + QStringLiteral(", or --format gdal");
}

bool loadTerrain(const QString& fileName, const TerrainReadOptions& options, VeskGrid& grid, QString& errorText)
{
    const TerrainFormatRow* row = options.format.empty()
                                      ? terrainFormatOfFile(fileName)
                                      : terrainFormatNamed(QString::fromStdString(options.format));
    if (!row || !row->read) {
        errorText = QStringLiteral("%1: cannot read this format (use %2)").arg(fileName, readableInputsText());
        return false;
    }
    TerrainReading reading;
    reading.band = options.band;
    reading.screen = options.screen == "right" ? SessionScreen::Right : SessionScreen::Left;
    if (options.heightRange.size() == 2)
        reading.heightRange = HeightmapRange{options.heightRange[0], options.heightRange[1]};
    if (readTerrainFile(*row, fileName, reading, grid, errorText))
        return true;
    errorText = QStringLiteral("Terrain was not loaded due to: ") + errorText;
    return false;
}
