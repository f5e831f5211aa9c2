#pragma once

#include "grid/VeskGrid.h"

#include <QString>

// Loads a terrain as the window would: an ASCII grid (.grd or .asc) with loadGRDFile, a
// GridFloat (.flt with its .hdr) with loadFLTFile, a PNG height image converted in
// memory by the shared PNG conversion. False with errorText when no terrain results.
bool loadTerrain(const QString& fileName, VeskGrid& grid, QString& errorText);
