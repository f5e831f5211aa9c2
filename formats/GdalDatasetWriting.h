#pragma once

#include <QString>

class GDALDataset;
class GdalErrorCapture;

// Steps the GDAL writers share. A writer writes only to the path it is given and,
// when it fails, removes what it had written there (and any sidecar GDAL made), so a
// failed export leaves nothing behind.

// Closes the dataset, which writes whatever is pending; when that or anything before
// it failed (`written` false or a failure caught by `errors`), removes the file and
// returns false with errorText naming the path and GDAL's reason.
bool closeExportedDataset(GDALDataset* dataset, const QString& path, bool written, const GdalErrorCapture& errors,
                          QString& errorText);

// Removes a file an export had started, and GDAL's ".aux.xml" beside it.
void removeExportedFile(const QString& path);

// The refusal text for an export to path that failed for `reason`.
QString exportFailureText(const QString& path, const QString& reason);
