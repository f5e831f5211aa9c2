// The RAW 16-bit heightmap reader with its sidecar: one input split at a length prefix
// (the first two bytes, little-endian, give the sidecar's length; none means no sidecar,
// so the samples must make a square), written beside each other as the reader finds them.

#include "formats/Heightmap16Import.h"
#include "formats/HeightmapSidecar.h"
#include "fuzz/FuzzSupport.h"
#include "grid/VeskGrid.h"

#include <QFile>

#include <algorithm>

namespace {

bool writeWhole(const QString& path, const std::uint8_t* data, std::size_t size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) == static_cast<qint64>(size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    if (size < 2)
        return 0;
    const std::size_t declared = static_cast<std::size_t>(data[0]) | (static_cast<std::size_t>(data[1]) << 8);
    const std::size_t sidecarLength = std::min(declared, size - 2);
    static const QString heightmap = fuzz::scratchFile("fuzz.r16");
    const QString sidecar = heightmapSidecarName(heightmap);
    QFile::remove(sidecar);
    if (sidecarLength > 0)
        fuzz::require(writeWhole(sidecar, data + 2, sidecarLength), "the sidecar can be written");
    fuzz::require(writeWhole(heightmap, data + 2 + sidecarLength, size - 2 - sidecarLength),
                  "the samples can be written");

    VeskGrid grid;
    QString errorText;
    const bool loaded = loadRaw16Heightmap(heightmap, std::nullopt, grid, errorText);
    fuzz::require(loaded || !errorText.isEmpty(), "a refused heightmap says why");
    fuzz::checkLoadOutcome(grid, loaded);
    return 0;
}
