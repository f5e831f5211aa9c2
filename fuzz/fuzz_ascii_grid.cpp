// The ASCII grid reader, both layouts (this tool's seven header lines and the ESRI one),
// on bytes in memory. An accepted grid must be whole, with finite statistics, and must
// survive being written and read back.

#include "fuzz/FuzzSupport.h"
#include "grid/VeskGrid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    VeskGrid grid;
    if (grid.loadGRDBuffer(fuzz::textOf(data, size), QStringLiteral("fuzz.grd"))) {
        fuzz::checkLoadedTerrain(grid);
        fuzz::checkRewriteRoundTrip(grid);
    } else {
        fuzz::require(!grid.hasData && grid.heights.empty(), "a refused grid leaves the terrain empty");
        fuzz::require(!grid.lastError.isEmpty(), "a refused grid says why");
    }
    return 0;
}
