#include "synthesis/TerrainPresence.h"
#include "diagnostics/Diagnostics.h"

#include <cstdio>

bool checkTerrainHasData(const VeskGrid& grid, const char* operation, const char* role, QString& error)
{
    if (!grid.hasData || grid.width < 1 || grid.height < 1) {
        diagnostics::reportf("Error in %s - the %s terrain has no data\n", operation, role);
        error = QStringLiteral("The %1 terrain has no data.").arg(QLatin1String(role));
        return false;
    }
    return true;
}
