// The ".json" sidecar of a 16-bit heightmap: whatever it accepts is a size of at least
// one sample each way, an ordered, finite range and a finite cell size, and it reads
// back as written.

#include "formats/HeightmapSidecar.h"
#include "fuzz/FuzzSupport.h"

#include <QFile>

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    static const QString path = fuzz::scratchFile("fuzz.r16.json");
    {
        QFile file(path);
        fuzz::require(file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                          && file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size))
                                 == static_cast<qint64>(size),
                      "the input can be written");
    }
    HeightmapSidecar sidecar;
    QString errorText;
    if (!readHeightmapSidecar(path, sidecar, errorText)) {
        fuzz::require(!errorText.isEmpty(), "a refused sidecar says why");
        return 0;
    }
    fuzz::require(sidecar.width >= 1 && sidecar.height >= 1, "an accepted sidecar has a size");
    fuzz::require(std::isfinite(sidecar.range.minimum) && std::isfinite(sidecar.range.maximum)
                      && sidecar.range.minimum <= sidecar.range.maximum,
                  "an accepted sidecar has an ordered, finite range");
    fuzz::require(std::isfinite(sidecar.cellSize), "an accepted sidecar has a finite cell size");

    static const QString rewritten = fuzz::scratchFile("rewritten.r16.json");
    fuzz::require(writeHeightmapSidecar(rewritten, sidecar, errorText), "an accepted sidecar can be written");
    HeightmapSidecar reread;
    fuzz::require(readHeightmapSidecar(rewritten, reread, errorText), "a written sidecar reads back");
    fuzz::require(reread.width == sidecar.width && reread.height == sidecar.height
                      && reread.range.minimum == sidecar.range.minimum
                      && reread.range.maximum == sidecar.range.maximum
                      && reread.cellSize == sidecar.cellSize,
                  "a written sidecar reads back the same");
    return 0;
}
