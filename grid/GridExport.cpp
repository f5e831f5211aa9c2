#include "grid/GridExport.h"

#include "grid/CellSize.h"
#include "io/AtomicFileWrite.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Text and samples are gathered in memory and handed to the file a megabyte at a time.
constexpr std::size_t kFlushThreshold = std::size_t{1} << 20;

// One output file written through a buffer and saved atomically: any failure (open,
// write, sync) is kept, and a file that is not committed leaves the old one as it was.
class BufferedOutputFile {
public:
    explicit BufferedOutputFile(const QString& fileName)
        : save(QFile::encodeName(fileName).toStdString())
    {
        file = save.stream();
        failed = file == nullptr;
        buffer.reserve(kFlushThreshold + 4096);
    }

    BufferedOutputFile(const BufferedOutputFile&) = delete;
    BufferedOutputFile& operator=(const BufferedOutputFile&) = delete;

    bool isOpen() const { return file != nullptr; }

    void append(std::string_view text)
    {
        buffer.append(text);
        flushWhenFull();
    }

    void appendBytes(const void* bytes, std::size_t count)
    {
        buffer.append(static_cast<const char*>(bytes), count);
        flushWhenFull();
    }

    // Flushes and syncs the new file without replacing the old one yet; true when every
    // byte reached the disk.
    bool finish()
    {
        if (file == nullptr)
            return false;
        flush();
        file = nullptr;
        if (failed || !save.finishWriting()) {
            save.discard();
            failed = true;
        }
        return !failed;
    }

    // Puts the finished file in place of the old one.
    bool commit() { return !failed && save.commit(); }

private:
    void flushWhenFull()
    {
        if (buffer.size() >= kFlushThreshold)
            flush();
    }

    void flush()
    {
        if (file != nullptr && !failed && !buffer.empty()
            && std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size())
            failed = true;
        buffer.clear();
    }

    io::AtomicFileWrite save;
    std::FILE* file = nullptr;
    std::string buffer;
    bool failed = false;
};

QString cannotOpenText(const QString& fileName)
{
    return QStringLiteral("cannot create %1").arg(fileName);
}

QString incompleteWriteText(const QString& fileName)
{
    return QStringLiteral("could not write all of %1 (disk full or file system error)").arg(fileName);
}

bool refuseEmptyGrid(const VeskGrid& grid, QString& errorText)
{
    if (grid.hasData && grid.width > 0 && grid.height > 0
        && grid.heights.size() >= static_cast<std::size_t>(grid.height))
        return false;
    errorText = QStringLiteral("Grid has no data");
    return true;
}

// A row shorter than the declared width would make the file's row lengths disagree
// with its header; such a grid is refused rather than written inconsistently.
bool refuseRaggedGrid(const VeskGrid& grid, QString& errorText)
{
    for (int row = 0; row < grid.height; ++row) {
        if (grid.heights[row].size() < static_cast<std::size_t>(grid.width)) {
            errorText = QStringLiteral("row %1 of the grid holds %2 values instead of %3")
                            .arg(row)
                            .arg(grid.heights[row].size())
                            .arg(grid.width);
            return true;
        }
    }
    return false;
}

std::string cellSizeInDegreesText(float cellSize)
{
    char text[64];
    std::snprintf(text, sizeof text, "%1.18f", degreesFromCellSize(cellSize));
    return text;
}

std::string shortestDoubleText(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The corner and cell size a header gives: the placement's, or a grid with no place.
struct HeaderNumbers {
    std::string xllcorner = "0";
    std::string yllcorner = "0";
    std::string cellSize;
};

HeaderNumbers headerNumbers(const VeskGrid& grid, const std::optional<GridHeaderPlacement>& placement)
{
    if (!placement)
        return {"0", "0", cellSizeInDegreesText(grid.cellSize)};
    return {shortestDoubleText(placement->xllcorner), shortestDoubleText(placement->yllcorner),
            shortestDoubleText(placement->cellSize)};
}

// Shortest decimal text that reads back as exactly this float.
void appendShortestFloat(std::string& line, float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    line.append(text, result.ptr);
}

} // namespace

QString gridFloatHeaderName(const QString& dataFileName)
{
    const QFileInfo info(dataFileName);
    const QString suffix = info.suffix();
    if (suffix.isEmpty() || info.fileName() == QLatin1Char('.') + suffix)
        return dataFileName + QStringLiteral(".hdr");
    return dataFileName.left(dataFileName.size() - suffix.size()) + QStringLiteral("hdr");
}

bool writeEsriAsciiGrid(const VeskGrid& grid, const QString& fileName, QString& errorText,
                        const std::optional<GridHeaderPlacement>& placement)
{
    if (refuseEmptyGrid(grid, errorText) || refuseRaggedGrid(grid, errorText))
        return false;

    BufferedOutputFile output(fileName);
    if (!output.isOpen()) {
        errorText = cannotOpenText(fileName);
        return false;
    }

    const HeaderNumbers numbers = headerNumbers(grid, placement);
    char header[256];
    std::snprintf(header, sizeof header,
                  "ncols %i\nnrows %i\nxllcorner %s\nyllcorner %s\ncellsize %s\nNODATA_value -9999\n",
                  grid.width, grid.height, numbers.xllcorner.c_str(), numbers.yllcorner.c_str(),
                  numbers.cellSize.c_str());
    output.append(header);

    std::string line;
    for (int row = 0; row < grid.height; ++row) {
        line.clear();
        const FloatRow& values = grid.heights[row];
        for (int col = 0; col < grid.width; ++col) {
            if (col > 0)
                line.push_back(' ');
            appendShortestFloat(line, values[col]);
        }
        line.push_back('\n');
        output.append(line);
    }

    if (!output.finish() || !output.commit()) {
        errorText = incompleteWriteText(fileName);
        return false;
    }
    return true;
}

bool writeGridFloat(const VeskGrid& grid, const QString& dataFileName, QString& errorText,
                    const std::optional<GridHeaderPlacement>& placement)
{
    if (refuseEmptyGrid(grid, errorText) || refuseRaggedGrid(grid, errorText))
        return false;

    const QString headerName = gridFloatHeaderName(dataFileName);
    if (QFileInfo(headerName).absoluteFilePath() == QFileInfo(dataFileName).absoluteFilePath()) {
        errorText = QStringLiteral("the data file %1 cannot also be its own header").arg(dataFileName);
        return false;
    }

    BufferedOutputFile data(dataFileName);
    if (!data.isOpen()) {
        errorText = cannotOpenText(dataFileName);
        return false;
    }

    // Format notes: GridFloat samples are IEEE float32, row by row, first row first,
    // in the byte order the header names; we always write little-endian (LSBFIRST).
    std::string rowBytes;
    rowBytes.resize(static_cast<std::size_t>(grid.width) * sizeof(float));
    for (int row = 0; row < grid.height; ++row) {
        const FloatRow& values = grid.heights[row];
        if constexpr (std::endian::native == std::endian::little) {
            // The row's bytes are the file's already on this host.
            data.appendBytes(reinterpret_cast<const char*>(values.data()), rowBytes.size());
            continue;
        }
        for (int col = 0; col < grid.width; ++col) {
            // Taking the bytes from the value, low byte first, is little-endian on any host.
            const std::uint32_t bits = std::bit_cast<std::uint32_t>(values[col]);
            const unsigned char bytes[4] = {static_cast<unsigned char>(bits & 0xffu),
                                            static_cast<unsigned char>((bits >> 8) & 0xffu),
                                            static_cast<unsigned char>((bits >> 16) & 0xffu),
                                            static_cast<unsigned char>((bits >> 24) & 0xffu)};
            std::memcpy(rowBytes.data() + static_cast<std::size_t>(col) * 4, bytes, 4);
        }
        data.appendBytes(rowBytes.data(), rowBytes.size());
    }

    BufferedOutputFile header(headerName);
    if (!header.isOpen()) {
        errorText = cannotOpenText(headerName);
        return false; // the new data file goes with it; the old one stays
    }
    const HeaderNumbers numbers = headerNumbers(grid, placement);
    char headerText[512];
    std::snprintf(headerText, sizeof headerText,
                  "ncols         %i\n"
                  "nrows         %i\n"
                  "xllcorner     %s\n"
                  "yllcorner     %s\n"
                  "cellsize      %s\n"
                  "NODATA_value  -9999\n"
                  "byteorder     LSBFIRST\n",
                  grid.width, grid.height, numbers.xllcorner.c_str(), numbers.yllcorner.c_str(),
                  numbers.cellSize.c_str());
    header.append(headerText);

    if (!data.finish()) {
        errorText = incompleteWriteText(dataFileName);
        return false;
    }
    if (!header.finish()) {
        errorText = incompleteWriteText(headerName);
        return false;
    }
    // Both files are whole on the disk before either replaces its old one.
    if (!data.commit()) {
        errorText = incompleteWriteText(dataFileName);
        return false;
    }
    if (!header.commit()) {
        errorText = incompleteWriteText(headerName);
        return false;
    }
    return true;
}
