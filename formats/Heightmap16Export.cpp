#include "formats/Heightmap16Export.h"

#include "formats/GdalDatasetWriting.h"
#include "formats/GdalSession.h"
#include "io/AtomicFileWrite.h"

#include <QFile>

#include <cpl_vsi.h>
#include <gdal_priv.h>

#include <cstdio>
#include <memory>

namespace {

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

bool hasSamples(const VeskGrid& grid, QString& errorText)
{
    if (grid.hasData && grid.width > 0 && grid.height > 0)
        return true;
    errorText = QStringLiteral("Grid has no data");
    return false;
}

// Saves the bytes at path through the atomic save: the old file stays unless all of
// them reached the disk.
bool saveBytes(const QString& path, const void* bytes, std::size_t size, QString& errorText)
{
    io::AtomicFileWrite file(QFile::encodeName(path).toStdString());
    if (!file.isOpen()) {
        errorText = exportFailureText(path, QString::fromLocal8Bit(file.errorText().c_str()));
        return false;
    }
    if (std::fwrite(bytes, 1, size, file.stream()) != size || !file.commit()) {
        errorText = exportFailureText(path, QStringLiteral("the disk refused the samples"));
        return false;
    }
    return true;
}

// A file of GDAL's memory file system, removed with its metadata sidecar when it goes.
class MemoryFileName {
public:
    MemoryFileName() : name_("/vsimem/talvane-heightmap-" + QByteArray::number(reinterpret_cast<quintptr>(this)) + ".png")
    {
    }
    ~MemoryFileName()
    {
        VSIUnlink(name_.constData());
        VSIUnlink((name_ + ".aux.xml").constData());
    }
    MemoryFileName(const MemoryFileName&) = delete;
    MemoryFileName& operator=(const MemoryFileName&) = delete;
    const char* name() const { return name_.constData(); }

private:
    QByteArray name_;
};

} // namespace

bool writePng16Heightmap(const VeskGrid& grid, const HeightmapRange& range, const QString& path, QString& errorText)
{
    if (!hasSamples(grid, errorText))
        return false;
    GdalErrorCapture errors;
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDriver* png = GetGDALDriverManager()->GetDriverByName("PNG");
    if (!memory || !png) {
        errorText = exportFailureText(path, QStringLiteral("this GDAL has no PNG driver"));
        return false;
    }
    // The PNG driver only copies a whole dataset; the samples are staged in memory.
    std::unique_ptr<GDALDataset, DatasetCloser> staged(
        memory->Create("", grid.width, grid.height, 1, GDT_UInt16, nullptr));
    std::vector<std::uint16_t> samples = heightmapSamples(grid, range);
    const bool stagedAll = staged &&
                           staged->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, grid.width, grid.height, samples.data(),
                                                               grid.width, grid.height, GDT_UInt16, 0, 0,
                                                               nullptr) == CE_None;
    if (!stagedAll) {
        errorText = exportFailureText(path, errors.lastFailure(QStringLiteral("no memory for the samples")));
        return false;
    }
    // GDAL's PNG driver reports success for a file the disk cut short, so the image is
    // made in memory and saved by us.
    const MemoryFileName image;
    const char* const options[] = {"ZLEVEL=6", nullptr};
    GDALDataset* written =
        png->CreateCopy(image.name(), staged.get(), FALSE, const_cast<char**>(options), nullptr, nullptr);
    if (written)
        GDALClose(written);
    vsi_l_offset length = 0;
    const GByte* bytes = written ? VSIGetMemFileBuffer(image.name(), &length, FALSE) : nullptr;
    if (!bytes || errors.failed()) {
        errorText = exportFailureText(path, errors.lastFailure(QStringLiteral("GDAL could not write it")));
        return false;
    }
    return saveBytes(path, bytes, static_cast<std::size_t>(length), errorText);
}

bool writeRaw16Heightmap(const VeskGrid& grid, const HeightmapRange& range, const QString& path, QString& errorText)
{
    if (!hasSamples(grid, errorText))
        return false;
    const std::vector<std::uint16_t> samples = heightmapSamples(grid, range);
    std::vector<unsigned char> bytes(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        bytes[2 * i] = static_cast<unsigned char>(samples[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(samples[i] >> 8);
    }
    return saveBytes(path, bytes.data(), bytes.size(), errorText);
}
