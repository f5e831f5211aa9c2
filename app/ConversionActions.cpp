// "Convert PNG": a PNG height image becomes an ASCII grid file. The views are
// not touched.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/UserDialogs.h"
#include "png/PngToGrid.h"

#include <QStatusBar>

void TalvaneMainWindow::convertPNGtoGRD()
{
    const FileDialogRequest pngRequest{QStringLiteral("Select file for conversion"),
                                       QStringLiteral("Select PNG file for conversion to GRD format."),
                                       QStringLiteral("PNG Image Format (*.png)"), QString()};
    const QString pngPath = dialogs->askOpenFileName(this, pngRequest);
    if (pngPath.isEmpty())
        return;
    convertPng(pngPath);
}

void TalvaneMainWindow::convertPng(const QString& pngPath)
{
    const FileDialogRequest gridRequest{QStringLiteral("Save File"), QStringLiteral("Save File"),
                                        QStringLiteral("Grid Ascii Format (*.grd)"), pngPath};
    SaveDialogAnswer answer;
    if (!dialogs->askSaveFileName(this, gridRequest, answer))
        return;

    const QString gridPath = gridFileNameFor(answer.fileName);
    QString error;
    bool converted = false;
    const QString step = QStringLiteral("Converting the PNG image ...");
    BusyIndicator busy(statusBar(), step);
    // An image that cannot be decoded is refused before any file is made.
    if (!runOperation(step, [&](const diagnostics::Progress&) { converted = convertPngToGrid(pngPath, gridPath, error); }))
        return;
    if (!converted)
        showMessage(error);
}
