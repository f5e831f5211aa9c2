#include "formats/gdal/GdalMessageCapture.h"
#include "formats/gdal/GdalOperations.h"

#include <cpl_vsi.h>

#include <memory>
#include <string>

namespace {

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

// A file of GDAL's memory file system, removed with its metadata sidecar when it goes.
class MemoryFileName {
public:
    MemoryFileName() : name_("/vsimem/talvane-heightmap-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".png")
    {
    }
    ~MemoryFileName()
    {
        VSIUnlink(name_.c_str());
        VSIUnlink((name_ + ".aux.xml").c_str());
    }
    MemoryFileName(const MemoryFileName&) = delete;
    MemoryFileName& operator=(const MemoryFileName&) = delete;
    const char* name() const { return name_.c_str(); }

private:
    std::string name_;
};

} // namespace

GdalPngEncoding encodePng16(int columns, int rows, const std::uint16_t* samples, std::vector<unsigned char>& png,
                            GdalCallReport& report)
{
    const GdalMessageCapture capture(report);
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDriver* pngDriver = GetGDALDriverManager()->GetDriverByName("PNG");
    if (!memory || !pngDriver)
        return GdalPngEncoding::NoDriver;
    // The PNG driver only copies a whole dataset; the samples are staged in memory.
    std::unique_ptr<GDALDataset, DatasetCloser> staged(memory->Create("", columns, rows, 1, GDT_UInt16, nullptr));
    const bool stagedAll = staged &&
                           staged->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, columns, rows,
                                                              const_cast<std::uint16_t*>(samples), columns, rows,
                                                              GDT_UInt16, 0, 0, nullptr) == CE_None;
    if (!stagedAll)
        return GdalPngEncoding::NotStaged;
    // GDAL's PNG driver reports success for a file the disk cut short, so the image is
    // made in memory and saved by the caller.
    const MemoryFileName image;
    const char* const options[] = {"ZLEVEL=6", nullptr};
    GDALDataset* written =
        pngDriver->CreateCopy(image.name(), staged.get(), FALSE, const_cast<char**>(options), nullptr, nullptr);
    if (written)
        GDALClose(written);
    vsi_l_offset length = 0;
    const GByte* bytes = written ? VSIGetMemFileBuffer(image.name(), &length, FALSE) : nullptr;
    if (!bytes || report.failures > 0)
        return GdalPngEncoding::NotEncoded;
    png.assign(bytes, bytes + length);
    return GdalPngEncoding::Encoded;
}
