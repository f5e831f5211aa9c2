// The ASCII grid reader, both layouts (this tool's seven header lines and the ESRI one),
// on bytes in memory. An accepted grid must be whole, with finite statistics, and must
// survive being written and read back.

#include "fuzz/FuzzSupport.h"
#include "grid/VeskGrid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    VeskGrid grid;
    const bool loaded = grid.loadGRDBuffer(fuzz::textOf(data, size), QStringLiteral("fuzz.grd"));
    fuzz::checkLoadOutcome(grid, loaded);
    return 0;
}
