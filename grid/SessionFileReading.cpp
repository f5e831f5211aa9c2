// Session files (".talvane").
//
// Format notes: a ZIP archive of stored entries (io/ZipFormat.h), the manifest first:
//   manifest.json             {"format": "talvane-session", "version": 1,
//                              "left": SCREEN or null, "right": SCREEN or null,
//                              "window": {the window's choices}}
//   left.flt, left.hdr        the left screen's heights as GridFloat: little-endian
//                             float32 rows, first row first, and a header that places
//                             them (NODATA_value -9999), as GDAL's EHdr driver reads them:
//                             gdalinfo "/vsizip/{work.talvane}/left.flt"
//   left.prj                  the CRS as WKT, when the terrain has one
//   left-details-K.flt, .hdr  the detail stack, K from 0: matrix K of VeskGrid::details,
//                             so each level is its column details then its row details,
//                             the coarsest level last (header: cellsize 1, no no-data)
//   right...                  the same for the right screen
// A SCREEN is {"name", "cellSize", "fractalDeviation", "minHeight", "maxHeight",
// "averageHeight", "heights": "left.flt",
// "details": ["left-details-0.flt", ...], "georeference": {"originX", "originY",
// "pixelWidth", "pixelHeight", "crsWkt", "cellSizeAtLoad"} (only when placed)}.
// Numbers are written shortest-exact, so floats come back bit for bit. A matrix's shape
// is its header's; the manifest names the entries. The reader checks every entry's CRC,
// size and values before it hands anything over.

#include "grid/SessionFile.h"

#include "grid/GridFloatHeader.h"
#include "grid/GridSizeLimit.h"
#include "grid/StdioFile.h"
#include "grid/TerrainLoading.h"
#include "io/FileByteSource.h"
#include "io/ZipReader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// A manifest is a few kilobytes (a CRS's WKT at most); a header a few lines.
constexpr std::uint32_t kMaxManifestBytes = 16u << 20;
constexpr std::uint32_t kMaxHeaderBytes = 64u << 10;

class SessionReader {
public:
    SessionReader(const io::ByteSource& source, const QString& fileName) : source_(source), fileName_(fileName) {}

    bool read(TerrainSession& session)
    {
        if (!zip_.open(source_))
            return fail(QString::fromStdString(zip_.errorText()));
        QJsonObject manifest;
        if (!readManifest(manifest))
            return false;
        if (!readScreen(manifest.value("left"), session.left) || !readScreen(manifest.value("right"), session.right))
            return false;
        const QJsonValue window = manifest.value("window");
        if (!window.isUndefined() && !window.isObject())
            return fail(QStringLiteral("its manifest's window choices are not an object"));
        session.window = window.toObject();
        return true;
    }

    const QString& errorText() const { return errorText_; }

private:
    bool fail(const QString& why)
    {
        errorText_ = QStringLiteral("%1 is not a session that can be read: %2.").arg(fileName_, why);
        return false;
    }

    const io::ZipEntry* entry(const QString& name)
    {
        const io::ZipEntry* found = zip_.find(name.toStdString());
        if (!found)
            fail(QStringLiteral("it has no entry %1").arg(name));
        return found;
    }

    bool readBytes(const QString& name, std::uint32_t largest, std::string& bytes)
    {
        const io::ZipEntry* found = entry(name);
        if (!found)
            return false;
        if (found->size > largest)
            return fail(QStringLiteral("its entry %1 is too large (%2 bytes)").arg(name).arg(found->size));
        bytes.resize(found->size);
        if (!zip_.read(*found, bytes.data()))
            return fail(QString::fromStdString(zip_.errorText()));
        return true;
    }

    bool readManifest(QJsonObject& manifest)
    {
        std::string text;
        if (!readBytes(QStringLiteral("manifest.json"), kMaxManifestBytes, text))
            return false;
        QJsonParseError problem;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &problem);
        if (!document.isObject())
            return fail(QStringLiteral("its manifest is not a JSON object (%1)").arg(problem.errorString()));
        manifest = document.object();
        if (manifest.value("format").toString() != QLatin1String("talvane-session"))
            return fail(QStringLiteral("its manifest does not name the format talvane-session"));
        const QJsonValue version = manifest.value("version");
        const double number = version.toDouble(-1.0);
        if (!version.isDouble() || number < 1.0 || number != std::floor(number))
            return fail(QStringLiteral("its manifest has no valid format version"));
        if (number > kSessionFormatVersion)
            return fail(QStringLiteral("it is of session format version %1, written by a newer Talvane; this one "
                                       "reads versions up to %2")
                            .arg(number)
                            .arg(kSessionFormatVersion));
        return true;
    }

    bool readMatrix(const QString& name, FloatMatrix& matrix)
    {
        if (!name.endsWith(QLatin1String(".flt")))
            return fail(QStringLiteral("its manifest names %1 as a matrix, which is not a .flt entry").arg(name));
        const QString headerName = name.left(name.size() - 3) + QStringLiteral("hdr");
        std::string headerText;
        if (!readBytes(headerName, kMaxHeaderBytes, headerText))
            return false;
        GridFloatHeader header;
        QString problem;
        StdioFile headerStream = openMemoryStream(headerText);
        if (!headerStream || !readGridFloatHeader(headerStream.get(), header, problem))
            return fail(QStringLiteral("its entry %1 is not a float grid header that can be read: %2")
                            .arg(headerName, problem));
        if (!isAcceptableGridSize(header.columns, header.rows))
            return fail(unacceptableGridSizeMessage(headerName, header.columns, header.rows));
        if (header.bigEndian)
            return fail(
                QStringLiteral("its entry %1 says MSBFIRST; a session's matrices are LSBFIRST").arg(headerName));
        const io::ZipEntry* data = entry(name);
        if (!data)
            return false;
        // The entry's real size bounds the allocation: a header cannot ask for more than the file holds.
        if (std::uint64_t{data->size} != static_cast<std::uint64_t>(header.columns * header.rows) * sizeof(float))
            return fail(QStringLiteral("its entry %1 holds %2 bytes, not the %3 x %4 floats its header declares")
                            .arg(name)
                            .arg(data->size)
                            .arg(header.columns)
                            .arg(header.rows));
        matrix = FloatMatrix::uninitialized(static_cast<std::size_t>(header.rows),
                                            static_cast<std::size_t>(header.columns));
        if (!zip_.read(*data, matrix.data()))
            return fail(QString::fromStdString(zip_.errorText()));
        const float* begin = matrix.data();
        const float* end = begin + matrix.valueCount();
        const float* notFinite = std::find_if(begin, end, [](float value) { return !std::isfinite(value); });
        if (notFinite != end)
            return fail(QStringLiteral("value %1 of its entry %2 is not a finite number")
                            .arg(notFinite - begin)
                            .arg(name));
        return true;
    }

    bool readNumber(const QJsonObject& object, const char* key, double& number)
    {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isDouble() || !std::isfinite(value.toDouble()))
            return fail(QStringLiteral("its manifest has no number %1").arg(QLatin1String(key)));
        number = value.toDouble();
        return true;
    }

    bool readFloat(const QJsonObject& object, const char* key, float& number)
    {
        double value = 0.0;
        if (!readNumber(object, key, value))
            return false;
        number = static_cast<float>(value);
        if (!std::isfinite(number))
            return fail(QStringLiteral("its manifest's %1 is beyond a float's range").arg(QLatin1String(key)));
        return true;
    }

    bool readGeoreference(const QJsonObject& object, GeoReference& place)
    {
        if (!readNumber(object, "originX", place.originX) || !readNumber(object, "originY", place.originY)
            || !readNumber(object, "pixelWidth", place.pixelWidth)
            || !readNumber(object, "pixelHeight", place.pixelHeight)
            || !readFloat(object, "cellSizeAtLoad", place.cellSizeAtLoad))
            return false;
        if (!object.value("crsWkt").isString())
            return fail(QStringLiteral("its manifest's georeferencing has no crsWkt text"));
        place.crsWkt = object.value("crsWkt").toString().toStdString();
        return true;
    }

    bool readScreen(const QJsonValue& value, VeskGrid& grid)
    {
        if (value.isNull())
            return true; // an empty screen
        if (!value.isObject())
            return fail(QStringLiteral("its manifest has no left and right screens"));
        const QJsonObject screen = value.toObject();
        float cellSize = 0.0f;
        float statistics[3] = {};
        if (!readFloat(screen, "cellSize", cellSize) || !readFloat(screen, "fractalDeviation", grid.fractalDeviation)
            || !readFloat(screen, "minHeight", statistics[0]) || !readFloat(screen, "maxHeight", statistics[1])
            || !readFloat(screen, "averageHeight", statistics[2]))
            return false;
        if (!screen.value("name").isString() || !screen.value("heights").isString()
            || !screen.value("details").isArray())
            return fail(QStringLiteral("its manifest gives a screen without its name, heights or details"));
        const QJsonArray details = screen.value("details").toArray();
        // Levels are pairs of matrices.
        if (details.size() % 2 != 0)
            return fail(QStringLiteral("its manifest gives a screen an odd number of detail matrices"));
        if (!readMatrix(screen.value("heights").toString(), grid.heights))
            return false;
        grid.details.resize(static_cast<std::size_t>(details.size()));
        for (qsizetype index = 0; index < details.size(); ++index)
            if (!readMatrix(details[index].toString(), grid.details[static_cast<std::size_t>(index)]))
                return false;
        const QJsonValue place = screen.value("georeference");
        if (place.isObject()) {
            grid.georeference.emplace();
            if (!readGeoreference(place.toObject(), *grid.georeference))
                return false;
        } else if (!place.isUndefined()) {
            return fail(QStringLiteral("its manifest's georeferencing is not an object"));
        }

        grid.width = static_cast<int>(grid.heights.columns());
        grid.height = static_cast<int>(grid.heights.rows());
        HeightTally tally;
        tally.addAll(grid.heights.data(), grid.heights.valueCount());
        finishLoad(grid, fileName_, cellSize, tally);
        // As they were when saved: the operations and the loaders tally them by different rules.
        grid.minHeight = statistics[0];
        grid.maxHeight = statistics[1];
        grid.averageHeight = statistics[2];
        grid.name = screen.value("name").toString();
        return true;
    }

    const io::ByteSource& source_;
    const QString& fileName_;
    io::ZipReader zip_;
    QString errorText_;
};

bool readSession(const io::ByteSource& source, const QString& fileName, TerrainSession& session,
                 QString& errorText)
{
    TerrainSession read;
    SessionReader reader(source, fileName);
    if (!reader.read(read)) {
        errorText = reader.errorText();
        return false;
    }
    session = std::move(read);
    return true;
}

} // namespace

bool readSessionFile(const QString& fileName, TerrainSession& session, QString& errorText)
{
    const io::FileByteSource source(QFile::encodeName(fileName).toStdString());
    if (!source.isOpen()) {
        errorText = QStringLiteral("%1 cannot be opened: %2").arg(fileName, QString::fromStdString(source.errorText()));
        return false;
    }
    return readSession(source, fileName, session, errorText);
}

bool readSessionBuffer(std::string_view bytes, const QString& fileName, TerrainSession& session,
                       QString& errorText)
{
    const io::MemoryByteSource source(bytes);
    return readSession(source, fileName, session, errorText);
}

bool hasSessionSignature(const QByteArray& head)
{
    return head.startsWith("PK\x03\x04") && head.mid(30, 13) == "manifest.json";
}
