#include "app/CommandLineTerrains.h"

#include "app/TalvaneMainWindow.h"
#include "diagnostics/Diagnostics.h"

int openCommandLineTerrains(TalvaneMainWindow& window, const QStringList& arguments)
{
    const QStringList terrainFiles = arguments.mid(1);
    if (terrainFiles.size() > 2)
        diagnostics::report("Only the first two terrain files are opened\n");
    int opened = 0;
    if (terrainFiles.size() >= 1 && window.openTerrainLeft(terrainFiles.at(0)))
        ++opened;
    if (terrainFiles.size() >= 2 && window.openTerrainRight(terrainFiles.at(1)))
        ++opened;
    return opened;
}
