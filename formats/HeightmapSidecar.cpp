#include "formats/HeightmapSidecar.h"

#include "io/AtomicFileWrite.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>

QString heightmapSidecarName(const QString& heightmapPath)
{
    return heightmapPath + QStringLiteral(".json");
}

bool writeHeightmapSidecar(const QString& path, const HeightmapSidecar& sidecar, QString& errorText)
{
    const QJsonObject object{
        {QStringLiteral("width"), sidecar.width},
        {QStringLiteral("height"), sidecar.height},
        {QStringLiteral("minHeight"), sidecar.range.minimum},
        {QStringLiteral("maxHeight"), sidecar.range.maximum},
        {QStringLiteral("cellSize"), static_cast<double>(sidecar.cellSize)},
        {QStringLiteral("sampleRange"), QJsonArray{0, 65535}},
    };
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    io::AtomicFileWrite file(QFile::encodeName(path).toStdString());
    const bool written = file.isOpen() &&
                         std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), file.stream()) ==
                             static_cast<std::size_t>(text.size()) &&
                         file.commit();
    if (!written) {
        errorText = QStringLiteral("%1 could not be written").arg(path);
        return false;
    }
    return true;
}

bool readHeightmapSidecar(const QString& path, HeightmapSidecar& sidecar, QString& errorText)
{
    QFile file(path);
    if (!file.exists())
        return false;
    const auto refuse = [&](const QString& reason) {
        errorText = QStringLiteral("%1 is not a heightmap sidecar: %2").arg(path, reason);
        return false;
    };
    if (!file.open(QIODevice::ReadOnly) || file.size() > (1 << 16))
        return refuse(QStringLiteral("it cannot be read"));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject())
        return refuse(parseError.errorString());
    const QJsonObject object = document.object();
    for (const char* key : {"width", "height", "minHeight", "maxHeight", "cellSize"}) {
        if (!object.value(QLatin1String(key)).isDouble())
            return refuse(QStringLiteral("it has no number \"%1\"").arg(QLatin1String(key)));
    }
    HeightmapSidecar read;
    read.width = object.value(QStringLiteral("width")).toInt(0);
    read.height = object.value(QStringLiteral("height")).toInt(0);
    read.range = {object.value(QStringLiteral("minHeight")).toDouble(), object.value(QStringLiteral("maxHeight")).toDouble()};
    read.cellSize = static_cast<float>(object.value(QStringLiteral("cellSize")).toDouble());
    if (read.width < 1 || read.height < 1)
        return refuse(QStringLiteral("its width and height must be at least 1"));
    if (!isTerrainHeightRange(read.range))
        return refuse(QStringLiteral("its height range is not a range of heights a terrain can hold"));
    // A cell size beyond a float would become an infinite one.
    if (!std::isfinite(read.cellSize))
        return refuse(QStringLiteral("its cell size is beyond the largest a terrain can have"));
    sidecar = read;
    return true;
}
