#pragma once

#include "grid/VeskGrid.h"
#include "tools/CommandOptions.h"

#include <QString>

// Loads a terrain as the window would, with the reader the table of formats
// (formats/TerrainFormatTable.h) gives the file (by content first, then by extension)
// or options.format names. False with errorText ("Terrain was not loaded due to: ...")
// when no terrain results.
bool loadTerrain(const QString& fileName, const TerrainReadOptions& options, VeskGrid& grid, QString& errorText);

// For messages: the extensions read, or --format gdal.
QString readableInputsText();
