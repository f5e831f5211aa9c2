#include "formats/PngTerrainImport.h"

#include "formats/Heightmap16Import.h"
#include "png/PngToGrid.h"

#include <string>

bool loadPngTerrain(const QString& fileName, const std::optional<HeightmapRange>& range, VeskGrid& grid,
                    QString& errorText)
{
    PngHeightImage image;
    if (!readPngHeightImage(fileName, image, errorText))
        return false;
    if (!image.greySamples16.empty())
        return loadDecodedHeightmap(fileName, image.width, image.height, image.greySamples16, range, grid,
                                    errorText);
    if (range) {
        errorText = QStringLiteral("%1: --height-range needs a 16-bit greyscale PNG or a .r16 heightmap").arg(fileName);
        return false;
    }
    // The grid text exactly as the conversion writes it, read by the ASCII grid reader
    // from memory: the terrain "convert" then "info" would show, without a file on disk.
    const std::string text = pngGridText(image);
    image = PngHeightImage{}; // the text holds everything now; free the heights early
    if (!grid.loadGRDBuffer(text, fileName)) {
        errorText = grid.lastError;
        return false;
    }
    grid.name = QString(fileName).remove(QLatin1Char('.'));
    return true;
}
