#pragma once

#include "formats/GdalModuleInterface.h"
#include "io/AtomicFileWrite.h"

#include <QByteArray>
#include <QString>

class GdalMessages;

// Steps the GDAL writers share. GDAL writes files by name, so an export writes the
// temporary of an atomic save (io/AtomicFileWrite.h) beside its target; only a dataset
// closed without any failure replaces the target, so a failed export leaves the old
// file byte for byte and no temporary behind.
class GdalExportFile {
public:
    explicit GdalExportFile(const QString& path);

    // False (errorText set) when the temporary could not be created beside the target.
    bool isOpen(QString& errorText) const;

    // The name GDAL is to create the dataset under.
    QByteArray stagingName() const;

    // Closes the dataset (null when none was made) through the GDAL module, which writes
    // whatever is pending; when that and everything before it worked (`written` true, no
    // failure among `messages`), syncs the new
    // file and puts it in the target's place. Otherwise removes the temporary (and any
    // sidecar GDAL made beside it) and returns false with errorText naming the target
    // and GDAL's reason.
    bool close(const GdalModuleFunctions& gdal, GdalDataset* dataset, bool written, GdalMessages& messages,
               QString& errorText);

private:
    void removeGdalSidecar() const;

    QString path_;
    io::AtomicFileWrite save_;
};

// The refusal text for an export to path that failed for `reason`.
QString exportFailureText(const QString& path, const QString& reason);
