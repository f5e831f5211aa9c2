#include "grid/TerrainLoading.h"

#include "diagnostics/Diagnostics.h"
#include "grid/StdioFile.h"

void startLoad(VeskGrid& grid, const char* format)
{
    diagnostics::reportf("Loading file\n");
    if (grid.hasData)
        grid.clearData();
    grid.clearDetails();
    grid.georeference.reset();
    diagnostics::reportf("Loading %s Grid File\n", format);
}

void finishLoad(VeskGrid& grid, const QString& fileName, float cellSize, const HeightTally& tally)
{
    grid.cellSize = cellSize;
    grid.averageHeight = tally.averageHeight();
    grid.minHeight = tally.minHeight();
    grid.maxHeight = tally.maxHeight();

    diagnostics::reportf("Loaded File: %s", printable(fileName).constData());
    diagnostics::reportf("\nGrid is %i X %i ", grid.width, grid.height);
    diagnostics::reportf(".\nThere are a total of %i height values\n", static_cast<int>(tally.count()));
    diagnostics::reportf("Average height: %1.3f\n", tally.printedAverage());
    diagnostics::reportf("Min = %1.3f\n", grid.minHeight);
    diagnostics::reportf("Max = %1.3f\n", grid.maxHeight);
    diagnostics::reportf("------------------------\n");

    grid.normalsValid = false;
    grid.surfaceValid = false;
    grid.name = fileName;
    grid.name.remove(QLatin1Char('.'));
    grid.hasData = true;
    grid.lastError.clear();
}
