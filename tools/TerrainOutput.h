#pragma once

#include "grid/VeskGrid.h"
#include "tools/OutputTransaction.h"

#include <QString>
#include <QStringList>

// Writers for the tool's outputs. Each writes to temporary names through the transaction,
// so nothing appears under the final names until the command commits.

// The terrain in the format of finalName's extension (.grd, .asc, .flt with .hdr, .obj, .tif,
// and the 16-bit heightmaps .png and .r16, each with its .json sidecar).
bool stageTerrain(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction, QString& errorText);

// A session file holding both terrains (either may be without data: an empty screen).
bool stageSession(const VeskGrid& left, const VeskGrid& right, const QString& finalName,
                  OutputTransaction& transaction, QString& errorText);

// The two halves, as writeTerrainSplit names them, beside finalName: the grid's name is
// taken to be finalName without its extension for the call.
bool stageSplitHalves(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction,
                      QString& errorText);

// One details file per level of the grid's detail stack, as writeDetails names them,
// beside finalName (whose base name without extension becomes the files' source name).
// fileCount receives the number of files.
bool stageDetailsFiles(VeskGrid& grid, const QString& finalName, OutputTransaction& transaction,
                       int& fileCount, QString& errorText);
