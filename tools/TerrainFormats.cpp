#include "tools/TerrainFormats.h"

#include <QFileInfo>

std::optional<TerrainFormat> terrainFormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("grd"))
        return TerrainFormat::AsciiGrid;
    if (suffix == QLatin1String("asc"))
        return TerrainFormat::EsriAscii;
    if (suffix == QLatin1String("flt"))
        return TerrainFormat::GridFloat;
    if (suffix == QLatin1String("obj"))
        return TerrainFormat::WavefrontObj;
    if (suffix == QLatin1String("png"))
        return TerrainFormat::Png;
    return std::nullopt;
}

bool isReadableFormat(TerrainFormat format)
{
    return format != TerrainFormat::WavefrontObj;
}

bool isWritableFormat(TerrainFormat format)
{
    return format != TerrainFormat::Png;
}

QString readableExtensionsText()
{
    return QStringLiteral(".grd, .asc, .flt or .png");
}

QString writableExtensionsText()
{
    return QStringLiteral(".grd, .asc, .flt or .obj");
}
