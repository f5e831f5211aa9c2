#include "app/CommandLineTerrains.h"

#include "app/TalvaneMainWindow.h"
#include "diagnostics/Diagnostics.h"
#include "formats/TerrainFormatTable.h"

int openCommandLineTerrains(TalvaneMainWindow& window, const QStringList& arguments)
{
    const QStringList terrainFiles = arguments.mid(1);
    // A session alone fills both screens.
    if (terrainFiles.size() == 1
        && terrainFormatOfFile(terrainFiles.front()) == &terrainFormatRow(TerrainFormat::Session))
        return window.openSessionFile(terrainFiles.front()) ? 2 : 0;
    if (terrainFiles.size() > 2)
        diagnostics::report("Only the first two terrain files are opened\n");
    int opened = 0;
    if (terrainFiles.size() >= 1 && window.openTerrainLeft(terrainFiles.at(0)))
        ++opened;
    if (terrainFiles.size() >= 2 && window.openTerrainRight(terrainFiles.at(1)))
        ++opened;
    return opened;
}
