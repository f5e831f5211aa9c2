#include "formats/GdalDatasetWriting.h"

#include "formats/GdalMessages.h"

#include <QFile>

GdalExportFile::GdalExportFile(const QString& path) : path_(path), save_(QFile::encodeName(path).toStdString())
{
}

bool GdalExportFile::isOpen(QString& errorText) const
{
    if (save_.isOpen())
        return true;
    errorText = exportFailureText(path_, QString::fromLocal8Bit(save_.errorText().c_str()));
    return false;
}

QByteArray GdalExportFile::stagingName() const
{
    return QByteArray::fromStdString(save_.temporaryPath());
}

void GdalExportFile::removeGdalSidecar() const
{
    // GDAL may keep statistics or metadata in "<name>.aux.xml"; none is wanted beside a
    // temporary name.
    QFile::remove(QFile::decodeName(stagingName() + ".aux.xml"));
}

bool GdalExportFile::close(const GdalModuleFunctions& gdal, GdalDataset* dataset, bool written, GdalMessages& messages,
                           QString& errorText)
{
    if (dataset) {
        gdal.closeDataset(dataset, messages.report());
        messages.forward();
    }
    removeGdalSidecar();
    if (written && dataset && !messages.failed()) {
        if (save_.commit())
            return true;
        errorText = exportFailureText(path_, QString::fromLocal8Bit(save_.errorText().c_str()));
        return false;
    }
    save_.discard();
    errorText = exportFailureText(path_, messages.lastFailure(QStringLiteral("GDAL could not write it")));
    return false;
}

QString exportFailureText(const QString& path, const QString& reason)
{
    return QStringLiteral("%1 could not be written: %2").arg(path, reason);
}
