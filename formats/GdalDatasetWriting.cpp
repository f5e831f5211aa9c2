#include "formats/GdalDatasetWriting.h"

#include "formats/GdalSession.h"

#include <QFile>

#include <cpl_vsi.h>
#include <gdal_priv.h>

void removeExportedFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    VSIUnlink(name.constData());
    VSIUnlink((name + ".aux.xml").constData());
}

QString exportFailureText(const QString& path, const QString& reason)
{
    return QStringLiteral("%1 could not be written: %2").arg(path, reason);
}

bool closeExportedDataset(GDALDataset* dataset, const QString& path, bool written, const GdalErrorCapture& errors,
                          QString& errorText)
{
    if (dataset)
        GDALClose(dataset);
    if (written && dataset && !errors.failed())
        return true;
    removeExportedFile(path);
    errorText = exportFailureText(path, errors.lastFailure(QStringLiteral("GDAL could not write it")));
    return false;
}
