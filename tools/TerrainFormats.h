#pragma once

#include <QString>

#include <optional>

// The file formats the tool reads and writes, told apart by extension (any letter case).
enum class TerrainFormat {
    AsciiGrid,  // .grd: our seven-line ASCII grid (read; written by writeTerrain)
    EsriAscii,  // .asc: standard ESRI ASCII grid (read by the grid reader; written by writeEsriAsciiGrid)
    GridFloat,  // .flt with its .hdr
    WavefrontObj, // .obj: written only
    Png,        // .png: read only, converted to heights as the window's conversion does
};

std::optional<TerrainFormat> terrainFormatOf(const QString& fileName);

bool isReadableFormat(TerrainFormat format);
bool isWritableFormat(TerrainFormat format);

// For messages: ".grd, .asc, .flt or .png" and the like.
QString readableExtensionsText();
QString writableExtensionsText();
