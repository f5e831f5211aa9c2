// The binary float grid reader: its ".hdr" header and its ".flt" data, both from one
// input split at a length prefix (the first two bytes, little-endian, give the header's
// length; the rest after the header is the data).

#include "fuzz/FuzzSupport.h"
#include "grid/VeskGrid.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    if (size < 2)
        return 0;
    const std::size_t declared = static_cast<std::size_t>(data[0]) | (static_cast<std::size_t>(data[1]) << 8);
    const std::size_t headerLength = std::min(declared, size - 2);
    const std::string_view header = fuzz::textOf(data + 2, headerLength);
    const std::string_view values = fuzz::textOf(data + 2 + headerLength, size - 2 - headerLength);

    VeskGrid grid;
    const bool loaded = grid.loadFLTBuffers(header, values, QStringLiteral("fuzz.flt"));
    fuzz::checkLoadOutcome(grid, loaded);
    return 0;
}
