#pragma once

#include "formats/HeightmapScaling.h"
#include "grid/SessionFile.h"
#include "grid/VeskGrid.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>

// Every terrain file format the window and the command-line tool read or write, one row
// a format, in one table: the open and save dialogs, drops, recent files, the tool's
// inputs and outputs and the list of fuzz harnesses all come from it. Adding a format is
// one row here and its reader or writer.
enum class TerrainFormat {
    AsciiGrid,    // .grd: our seven-line ASCII grid
    EsriAscii,    // .asc: the standard ESRI ASCII grid
    GridFloat,    // .flt with its .hdr
    WavefrontObj, // .obj: written only
    Png,          // .png: 8-bit images as the window's conversion, 16-bit grey as heightmaps
    Raw16,        // .r16: little-endian 16-bit heightmap with its .json sidecar
    GeoTiff,      // .tif, .tiff: read through GDAL like any raster; written as Float32 GeoTIFF
    GdalRaster,   // any other raster GDAL opens (.hgt, .img, .vrt, .dem, .nc, and the files
                  // of other formats that share our extensions): read only
    Session,      // .talvane: both screens; read as one screen, written as the left one
};

// How a terrain is read beyond its name: the band of a raster read through GDAL (from 1),
// the screen of a session and, for 16-bit heightmaps, the heights in metres of the
// samples 0 and 65535.
struct TerrainReading {
    int band = 1;
    SessionScreen screen = SessionScreen::Left;
    std::optional<HeightmapRange> heightRange;
};

using TerrainReader = bool (*)(const QString& fileName, const TerrainReading& reading, VeskGrid& grid,
                               QString& errorText);
// Writes fileName and its companion files; on failure nothing of them is left and
// errorText says why.
using TerrainWriter = bool (*)(VeskGrid& grid, const QString& fileName, QString& errorText);

struct TerrainFormatRow {
    TerrainFormat format;
    const char* name;               // the command line's --format name; "" for none
    const char* title;              // the dialogs' filter title
    QStringList extensions;         // lower case, without the dot; the first is the one written
    bool (*recognises)(const QByteArray& head); // the content's signature; nullptr: none
    TerrainReader read;             // nullptr: not read
    TerrainWriter write;            // nullptr: not written
    QStringList (*companions)(const QString& fileName); // files that may be written beside fileName
    bool takesHeightRange;          // a 16-bit heightmap, read with a range
    bool carriesCrs;                // its files can say where the terrain lies
    QStringList fuzzHarnesses;      // fuzz/fuzz_<name>.cpp of its readers
};

std::span<const TerrainFormatRow> terrainFormatTable();

const TerrainFormatRow& terrainFormatRow(TerrainFormat format);

// The format a name's extension (any letter case) gives, or nothing.
const TerrainFormatRow* terrainFormatByExtension(const QString& fileName);

// The format of an existing file, content first: a file whose first bytes carry a
// format's signature (PNG's magic, TIFF's byte order mark, an ASCII grid's ncols) is
// read as that format whatever its name; a file named as a format with a signature
// that it lacks (a Golden Software or RRASTER ".grd", an R ".asc") goes to GDAL; else
// the extension decides. Raw samples (.flt, .r16, .hgt, ...) have no signature: their
// name alone decides. A file that cannot be opened goes by its extension, so that its
// reader says it is missing. Nothing when neither content nor name is known.
const TerrainFormatRow* terrainFormatOfFile(const QString& fileName);

// The format --format names (grd, asc, flt, png, r16, tif, gdal or talvane).
const TerrainFormatRow* terrainFormatNamed(const QString& name);

// Reads fileName as the row's format; a height range given for a format that takes none
// is refused.
bool readTerrainFile(const TerrainFormatRow& row, const QString& fileName, const TerrainReading& reading,
                     VeskGrid& grid, QString& errorText);

// For messages: ".grd, .asc, .flt, ..." of the formats read or written.
QString readableExtensionsText();
QString writableExtensionsText();

// For the dialogs: every format read, after "Terrains (*.grd *.asc ...)" that shows them
// all ("Terrains (...);;Grid Ascii Format (*.grd);;..."), and every format written, our
// ASCII grid first.
QString openDialogFilter();
QString saveDialogFilter();
// The row of a save dialog's chosen filter, nullptr for none.
const TerrainFormatRow* terrainFormatOfFilter(const QString& filter);
// The filter of one row, as the dialogs show it.
QString dialogFilterOf(const TerrainFormatRow& row);
