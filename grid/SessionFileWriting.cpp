#include "grid/SessionFile.h"

#include "grid/CellSize.h"
#include "io/AtomicFileWrite.h"
#include "io/ZipWriter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <bit>
#include <charconv>
#include <string>

// The floats go into the archive as they lie in memory, which is the file's
// little-endian order only on a little-endian host.
static_assert(std::endian::native == std::endian::little, "session matrices are written in host order");

namespace {

std::string shortestText(double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// A GridFloat header, so that GDAL (its EHdr driver) and our GridFloat reader read the
// matrix beside it; the heights' header places them as their georeferencing says.
std::string gridFloatHeaderText(const FloatMatrix& matrix, const std::string& xllcorner,
                                const std::string& yllcorner, const std::string& cellSize, bool withNoData)
{
    std::string text = "ncols         " + std::to_string(matrix.columns()) + "\nnrows         "
                       + std::to_string(matrix.rows()) + "\nxllcorner     " + xllcorner + "\nyllcorner     "
                       + yllcorner + "\ncellsize      " + cellSize + "\n";
    if (withNoData)
        text += "NODATA_value  -9999\n";
    return text + "byteorder     LSBFIRST\n";
}

std::string heightsHeaderText(const VeskGrid& grid)
{
    const std::optional<GeoReference>& place = grid.georeference;
    // A header has one cell size: square pixels are placed, others left to the manifest.
    if (place && place->pixelWidth == -place->pixelHeight)
        return gridFloatHeaderText(grid.heights, shortestText(place->originX),
                                   shortestText(place->originY + place->pixelHeight * grid.heights.rows()),
                                   shortestText(place->pixelWidth), true);
    return gridFloatHeaderText(grid.heights, "0", "0", shortestText(degreesFromCellSize(grid.cellSize)), true);
}

class SessionArchive {
public:
    explicit SessionArchive(std::FILE* stream) : zip_(stream) {}

    bool addText(const std::string& name, const std::string& text)
    {
        return zip_.addEntry(name, text.data(), text.size());
    }

    // name.flt and name.hdr.
    bool addMatrix(const std::string& name, const FloatMatrix& matrix, const std::string& headerText)
    {
        return zip_.addEntry(name + ".flt", matrix.data(), matrix.valueCount() * sizeof(float))
               && addText(name + ".hdr", headerText);
    }

    bool finish() { return zip_.finish(); }
    const std::string& errorText() const { return zip_.errorText(); }

private:
    io::ZipWriter zip_;
};

bool hasTerrain(const VeskGrid& grid)
{
    return grid.hasData && !grid.heights.empty();
}

QJsonObject georeferenceObject(const GeoReference& place)
{
    return {{"originX", place.originX},
            {"originY", place.originY},
            {"pixelWidth", place.pixelWidth},
            {"pixelHeight", place.pixelHeight},
            {"crsWkt", QString::fromStdString(place.crsWkt)},
            {"cellSizeAtLoad", static_cast<double>(place.cellSizeAtLoad)}};
}

QJsonValue screenObject(const VeskGrid& grid, const QString& side)
{
    if (!hasTerrain(grid))
        return QJsonValue::Null;
    QJsonArray details;
    for (std::size_t level = 0; level < grid.details.size(); ++level)
        details.append(QStringLiteral("%1-details-%2.flt").arg(side).arg(level));
    QJsonObject screen{{"name", grid.name},
                       {"cellSize", static_cast<double>(grid.cellSize)},
                       {"fractalDeviation", static_cast<double>(grid.fractalDeviation)},
                       {"minHeight", static_cast<double>(grid.minHeight)},
                       {"maxHeight", static_cast<double>(grid.maxHeight)},
                       {"averageHeight", static_cast<double>(grid.averageHeight)},
                       {"heights", side + QStringLiteral(".flt")},
                       {"details", details}};
    if (grid.georeference)
        screen.insert("georeference", georeferenceObject(*grid.georeference));
    return screen;
}

bool addScreen(SessionArchive& archive, const VeskGrid& grid, const std::string& side)
{
    if (!hasTerrain(grid))
        return true;
    if (!archive.addMatrix(side, grid.heights, heightsHeaderText(grid)))
        return false;
    if (grid.georeference && !grid.georeference->crsWkt.empty()
        && !archive.addText(side + ".prj", grid.georeference->crsWkt))
        return false;
    for (std::size_t level = 0; level < grid.details.size(); ++level) {
        const FloatMatrix& matrix = grid.details[level];
        if (!archive.addMatrix(side + "-details-" + std::to_string(level), matrix,
                               gridFloatHeaderText(matrix, "0", "0", "1", false)))
            return false;
    }
    return true;
}

} // namespace

void copySessionPartFields(const VeskGrid& from, VeskGrid& into)
{
    into.width = from.width;
    into.height = from.height;
    into.hasData = from.hasData;
    into.cellSize = from.cellSize;
    into.maxHeight = from.maxHeight;
    into.minHeight = from.minHeight;
    into.averageHeight = from.averageHeight;
    into.name = from.name;
    into.fractalDeviation = from.fractalDeviation;
    into.georeference = from.georeference;
}

void shapeSessionPartLike(const VeskGrid& grid, VeskGrid& into)
{
    into.heights.reshape(grid.heights.rows(), grid.heights.columns());
    into.details.resize(grid.details.size());
    for (std::size_t level = 0; level < grid.details.size(); ++level)
        into.details[level].reshape(grid.details[level].rows(), grid.details[level].columns());
}

bool writeSessionFile(const QString& fileName, const VeskGrid& left, const VeskGrid& right,
                      const QJsonObject& window, QString& errorText)
{
    const QJsonObject manifest{{"format", "talvane-session"},
                               {"version", kSessionFormatVersion},
                               {"left", screenObject(left, QStringLiteral("left"))},
                               {"right", screenObject(right, QStringLiteral("right"))},
                               {"window", window}};
    io::AtomicFileWrite save(QFile::encodeName(fileName).toStdString());
    if (!save.isOpen()) {
        errorText = QStringLiteral("%1 could not be written: %2")
                        .arg(fileName, QString::fromStdString(save.errorText()));
        return false;
    }
    SessionArchive archive(save.stream());
    // The manifest first, where the signature looks for it.
    const bool written = archive.addText("manifest.json", QJsonDocument(manifest).toJson().toStdString())
                         && addScreen(archive, left, "left") && addScreen(archive, right, "right")
                         && archive.finish();
    if (!written) {
        errorText = QStringLiteral("%1 could not be written: %2")
                        .arg(fileName, QString::fromStdString(archive.errorText()));
        return false;
    }
    if (!save.commit()) {
        errorText = QStringLiteral("%1 could not be written: %2")
                        .arg(fileName, QString::fromStdString(save.errorText()));
        return false;
    }
    return true;
}
