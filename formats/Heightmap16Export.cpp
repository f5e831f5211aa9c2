#include "formats/Heightmap16Export.h"

#include "formats/GdalDatasetWriting.h"
#include "formats/GdalSession.h"

#include <QFile>

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
    const char* const options[] = {"ZLEVEL=6", nullptr};
    GDALDataset* written = png->CreateCopy(QFile::encodeName(path).constData(), staged.get(), FALSE,
                                           const_cast<char**>(options), nullptr, nullptr);
    return closeExportedDataset(written, path, written != nullptr, errors, errorText);
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
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) {
        errorText = exportFailureText(path, QStringLiteral("it cannot be created"));
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::remove(QFile::encodeName(path).constData());
        errorText = exportFailureText(path, QStringLiteral("the disk refused the samples"));
        return false;
    }
    return true;
}
