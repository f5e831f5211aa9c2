#pragma once

#include "formats/GdalModuleInterface.h"

#include <QString>

// The GDAL module (formats/gdal/), loaded once per process on the first use of a GDAL
// format, so that nothing else pays for GDAL's libraries. It is looked for beside the
// executable, then where the build made it, then in ../lib/talvane/ beside the
// executable; TALVANE_GDAL_MODULE_DIR, when set, names the one folder to look in
// instead. Null when it cannot be loaded, with errorText naming the file and why.
const GdalModuleFunctions* gdalModule(QString& errorText);

// The module's file name in a folder.
QString gdalModuleFileIn(const QString& folder);
