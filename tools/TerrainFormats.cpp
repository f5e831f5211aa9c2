#include "tools/TerrainFormats.h"

#include "formats/GdalRasterImport.h"

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
    if (suffix == QLatin1String("r16"))
        return TerrainFormat::Raw16;
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return TerrainFormat::GeoTiff;
    if (hasGdalRasterExtension(fileName))
        return TerrainFormat::GdalRaster;
    return std::nullopt;
}

std::optional<TerrainFormat> terrainFormatNamed(const QString& name)
{
    if (name == QLatin1String("gdal"))
        return TerrainFormat::GdalRaster;
    if (name == QLatin1String("obj") || name.contains(QLatin1Char('.')))
        return std::nullopt;
    return terrainFormatOf(QStringLiteral("x.") + name);
}

bool isReadableFormat(TerrainFormat format)
{
    return format != TerrainFormat::WavefrontObj;
}

bool isWritableFormat(TerrainFormat format)
{
    return format != TerrainFormat::GdalRaster;
}

bool isGdalFormat(TerrainFormat format)
{
    return format == TerrainFormat::GeoTiff || format == TerrainFormat::GdalRaster;
}

QString readableExtensionsText()
{
    return QStringLiteral(".grd, .asc, .flt, .png, .r16, .tif, .tiff, .hgt, .img, .vrt, .dem or .nc, "
                          "or --format gdal");
}

QString writableExtensionsText()
{
    return QStringLiteral(".grd, .asc, .flt, .obj, .tif, .png or .r16");
}
