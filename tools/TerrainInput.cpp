#include "tools/TerrainInput.h"

#include "formats/GdalRasterImport.h"
#include "formats/Heightmap16Import.h"
#include "png/PngToGrid.h"
#include "tools/TerrainFormats.h"

#include <QDir>
#include <QTemporaryFile>

#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The PNG's grid text, exactly as the conversion would write it, held in an anonymous
// in-memory file: the ASCII grid reader then loads it like any converted file, so the
// terrain (heights to two decimals, cell size 291 m, statistics) is the one that
// "convert" followed by "info" would show, without a file on disk.
class InMemoryGridFile {
public:
    explicit InMemoryGridFile(const std::string& text)
    {
        descriptor = ::memfd_create("talvane-png-grid", MFD_CLOEXEC);
        if (descriptor >= 0 && writeAll(text))
            path = QStringLiteral("/proc/self/fd/%1").arg(descriptor);
        else
            useTemporaryFile(text);
    }

    ~InMemoryGridFile()
    {
        if (descriptor >= 0)
            ::close(descriptor);
    }

    InMemoryGridFile(const InMemoryGridFile&) = delete;
    InMemoryGridFile& operator=(const InMemoryGridFile&) = delete;

    // Empty when neither an in-memory nor a temporary file could hold the text.
    QString fileName() const { return path; }

private:
    bool writeAll(const std::string& text)
    {
        std::size_t written = 0;
        while (written < text.size()) {
            const ssize_t count = ::write(descriptor, text.data() + written, text.size() - written);
            if (count <= 0)
                return false;
            written += static_cast<std::size_t>(count);
        }
        return true;
    }

    // Where anonymous memory files are unavailable, a private temporary file serves.
    void useTemporaryFile(const std::string& text)
    {
        if (descriptor >= 0)
            ::close(descriptor);
        descriptor = -1;
        fallback.setFileTemplate(QDir::tempPath() + QStringLiteral("/talvane-png-XXXXXX.grd"));
        if (fallback.open() && fallback.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size())
            && fallback.flush())
            path = fallback.fileName();
    }

    int descriptor = -1;
    QTemporaryFile fallback;
    QString path;
};

std::optional<HeightmapRange> heightRangeOf(const TerrainReadOptions& options)
{
    if (options.heightRange.size() != 2)
        return std::nullopt;
    return HeightmapRange{options.heightRange[0], options.heightRange[1]};
}

QString heightRangeRefusal(const QString& fileName)
{
    return QStringLiteral("%1: --height-range needs a 16-bit greyscale PNG or a .r16 heightmap").arg(fileName);
}

// A 16-bit grey PNG is a heightmap, its heights stored as they are mapped; an 8-bit
// image goes the way of the window's conversion.
bool loadPngTerrain(const QString& fileName, const TerrainReadOptions& options, VeskGrid& grid, QString& errorText)
{
    PngHeightImage image;
    if (!readPngHeightImage(fileName, image, errorText))
        return false;
    if (!image.greySamples16.empty())
        return loadDecodedHeightmap(fileName, image.width, image.height, image.greySamples16, heightRangeOf(options),
                                    grid, errorText);
    if (heightRangeOf(options)) {
        errorText = heightRangeRefusal(fileName);
        return false;
    }
    const InMemoryGridFile gridFile(pngGridText(image));
    image = PngHeightImage{}; // the text holds everything now; free the heights early
    if (gridFile.fileName().isEmpty()) {
        errorText = QStringLiteral("%1: no room to convert the image").arg(fileName);
        return false;
    }
    if (!grid.loadGRDFile(gridFile.fileName())) {
        errorText = grid.lastError;
        return false;
    }
    grid.name = QString(fileName).remove(QLatin1Char('.'));
    return true;
}

// The reader's own text, or the grid's reason, or a plain one.
bool readTerrain(const QString& fileName, TerrainFormat format, const TerrainReadOptions& options, VeskGrid& grid,
                 QString& errorText)
{
    const bool heightmap = format == TerrainFormat::Png || format == TerrainFormat::Raw16;
    if (!heightmap && heightRangeOf(options)) {
        errorText = heightRangeRefusal(fileName);
        return false;
    }
    bool loaded = false;
    switch (format) {
    case TerrainFormat::AsciiGrid:
    case TerrainFormat::EsriAscii:
        loaded = grid.loadGRDFile(fileName);
        break;
    case TerrainFormat::GridFloat:
        loaded = grid.loadFLTFile(fileName);
        break;
    case TerrainFormat::Png:
        return loadPngTerrain(fileName, options, grid, errorText);
    case TerrainFormat::Raw16:
        return loadRaw16Heightmap(fileName, heightRangeOf(options), grid, errorText);
    case TerrainFormat::GeoTiff:
    case TerrainFormat::GdalRaster:
        return loadGdalRaster(fileName, options.band, grid, errorText);
    case TerrainFormat::WavefrontObj:
        break;
    }
    if (!loaded || !grid.hasData) {
        errorText = grid.lastError.isEmpty() ? QStringLiteral("%1: no terrain could be read").arg(fileName)
                                             : grid.lastError;
        return false;
    }
    return true;
}

} // namespace

bool loadTerrain(const QString& fileName, const TerrainReadOptions& options, VeskGrid& grid, QString& errorText)
{
    const auto format = options.format.empty() ? terrainFormatOf(fileName)
                                               : terrainFormatNamed(QString::fromStdString(options.format));
    if (!format || !isReadableFormat(*format)) {
        errorText = QStringLiteral("%1: cannot read this format (use %2)").arg(fileName, readableExtensionsText());
        return false;
    }
    if (readTerrain(fileName, *format, options, grid, errorText))
        return true;
    errorText = QStringLiteral("Terrain was not loaded due to: ") + errorText;
    return false;
}
