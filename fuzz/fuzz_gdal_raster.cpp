// The GDAL raster import on bytes in memory (a /vsimem/ file): the first byte picks the
// name's extension (GeoTIFF, ESRI ASCII, Erdas Imagine, USGS DEM), the rest is the file.
// An accepted raster must be a whole terrain with finite statistics, must survive being
// written as an ASCII grid and read back, and its GeoTIFF export must read back with the
// very same heights.

#include "formats/GdalRasterImport.h"
#include "formats/GeoTiffExport.h"
#include "fuzz/FuzzSupport.h"
#include "grid/VeskGrid.h"
#include "io/SampleLimit.h"

#include <cpl_vsi.h>

#include <cstdint>
#include <iterator>
#include <string>

namespace {

// A sparse or tiled GeoTIFF of a few hundred bytes may be a valid raster of millions of
// samples, whose round trips alone outlast the fuzzer's time for one input; above this
// the import's refusal is what is tried.
constexpr std::int64_t kMostFuzzedSamples = std::int64_t{1} << 20;

constexpr const char* kNames[] = {"/vsimem/fuzz.tif", "/vsimem/fuzz.asc", "/vsimem/fuzz.img", "/vsimem/fuzz.dem"};

// The bytes as a file of GDAL's memory file system for the lifetime of the object; GDAL
// reads them in place.
class MemoryFile {
public:
    MemoryFile(const char* name, const std::uint8_t* data, std::size_t size) : name_(name)
    {
        VSIFCloseL(VSIFileFromMemBuffer(name_, const_cast<GByte*>(data), static_cast<vsi_l_offset>(size), FALSE));
    }
    ~MemoryFile() { VSIUnlink(name_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

private:
    const char* name_;
};

void checkGeoTiffRoundTrip(const VeskGrid& grid)
{
    const QString exported = fuzz::scratchFile("export.tif");
    QString errorText;
    fuzz::require(writeGeoTiff(grid, exported, errorText), "an imported raster can be exported as GeoTIFF");
    VeskGrid reread;
    fuzz::require(loadGdalRaster(exported, 1, reread, errorText), "the exported GeoTIFF reads back");
    fuzz::require(reread.width == grid.width && reread.height == grid.height, "the GeoTIFF has the raster's size");
    fuzz::require(reread.heights == grid.heights, "the GeoTIFF holds exactly the imported heights");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    if (size < 1)
        return 0;
    const char* name = kNames[data[0] % std::size(kNames)];
    const io::ScopedSampleLimit limit(kMostFuzzedSamples);
    VeskGrid grid;
    QString errorText;
    bool loaded = false;
    {
        const MemoryFile file(name, data + 1, size - 1);
        loaded = loadGdalRaster(QString::fromLatin1(name), 1, grid, errorText);
    }
    fuzz::checkLoadOutcome(grid, loaded);
    fuzz::require(loaded == errorText.isEmpty(), "a refused raster says why, an accepted one does not");
    if (loaded)
        checkGeoTiffRoundTrip(grid);
    return 0;
}
