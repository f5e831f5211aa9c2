#include "formats/Heightmap16Export.h"

#include "formats/GdalDatasetWriting.h"
#include "formats/GdalMessages.h"
#include "formats/GdalModule.h"
#include "io/AtomicFileWrite.h"

#include <QFile>

#include <cstdio>

namespace {

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

} // namespace

bool writePng16Heightmap(const VeskGrid& grid, const HeightmapRange& range, const QString& path, QString& errorText)
{
    if (!hasSamples(grid, errorText))
        return false;
    QString unavailable;
    const GdalModuleFunctions* gdal = gdalModule(unavailable);
    if (!gdal) {
        errorText = exportFailureText(path, unavailable);
        return false;
    }
    const std::vector<std::uint16_t> samples = heightmapSamples(grid, range);
    GdalMessages messages;
    std::vector<unsigned char> png;
    const GdalPngEncoding encoding = gdal->encodePng16(grid.width, grid.height, samples.data(), png, messages.report());
    messages.forward();
    switch (encoding) {
    case GdalPngEncoding::Encoded:
        return saveBytes(path, png.data(), png.size(), errorText);
    case GdalPngEncoding::NoDriver:
        errorText = exportFailureText(path, QStringLiteral("this GDAL has no PNG driver"));
        return false;
    case GdalPngEncoding::NotStaged:
        errorText = exportFailureText(path, messages.lastFailure(QStringLiteral("no memory for the samples")));
        return false;
    case GdalPngEncoding::NotEncoded:
        break;
    }
    errorText = exportFailureText(path, messages.lastFailure(QStringLiteral("GDAL could not write it")));
    return false;
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
