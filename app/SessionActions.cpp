// File > Open Session... and Save Session...: both screens, whole, in one .talvane file
// (grid/SessionFile.h), with the quilting choices that produced them. The window's
// document writes the screens and puts a session read whole up on them.

#include "app/TalvaneMainWindow.h"

#include "app/BusyIndicator.h"
#include "app/UserDialogs.h"
#include "app/WindowDocument.h"
#include "formats/TerrainFormatTable.h"
#include "grid/SessionFile.h"
#include "multires/Scheme.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QSlider>
#include <QStatusBar>

namespace {

QString sessionFilter()
{
    return dialogFilterOf(terrainFormatRow(TerrainFormat::Session));
}

} // namespace

QJsonObject TalvaneMainWindow::windowChoices() const
{
    // The camera is the shared one of the sliders; each screen frames its terrain anew.
    const QJsonObject camera{{"xRotation", slider1->value()},
                             {"yRotation", slider2->value()},
                             {"zRotation", slider3->value()},
                             {"scale", slider4->value()}};
    return {{"scheme", schemeNumber()},
            {"blockSize", requestedBlockSize},
            {"rescaleBefore", rescaleBeforeQuilting},
            {"rescaleAfter", rescaleAfterQuilting},
            {"renderMode", renderingButtons->checkedId()},
            {"camera", camera}};
}

// Through the controls, so that they show what the session chose; a choice the file
// lacks or this window does not know stays as it is.
void TalvaneMainWindow::applyWindowChoices(const QJsonObject& choices)
{
    switch (static_cast<Scheme>(choices.value("scheme").toInt())) {
    case Scheme::chaikin:
        toggleOnChaikin();
        break;
    case Scheme::fractal:
        toggleOnTraditional();
        break;
    case Scheme::faber:
        toggleOnFaber();
        break;
    }
    if (choices.value("blockSize").isDouble())
        blocksizeSlider->setValue(choices.value("blockSize").toInt());
    if (choices.value("rescaleBefore").isBool())
        rescaleBeforeCB->setChecked(choices.value("rescaleBefore").toBool());
    if (choices.value("rescaleAfter").isBool() && rescaleBeforeCB->isChecked())
        rescaleAfterCB->setChecked(choices.value("rescaleAfter").toBool());
    if (QAbstractButton* mode = renderingButtons->button(choices.value("renderMode").toInt(-1)))
        mode->click();
    const QJsonObject camera = choices.value("camera").toObject();
    const std::pair<const char*, QSlider*> sliders[] = {
        {"xRotation", slider1}, {"yRotation", slider2}, {"zRotation", slider3}, {"scale", slider4}};
    for (const auto& [key, slider] : sliders)
        if (camera.value(key).isDouble())
            slider->setValue(camera.value(key).toInt());
}

void TalvaneMainWindow::saveSession()
{
    const FileDialogRequest request{QStringLiteral("Save Session"), QStringLiteral("Save Session"), sessionFilter(),
                                    QString()};
    SaveDialogAnswer answer;
    if (!dialogs->askSaveFileName(this, request, answer))
        return;
    const QString fileName = answer.fileName.endsWith(QLatin1String(".talvane"), Qt::CaseInsensitive)
                                 ? answer.fileName
                                 : answer.fileName + QStringLiteral(".talvane");
    const QJsonObject choices = windowChoices();
    QString reason;
    bool saved = false;
    const QString step = QStringLiteral("Saving %1 ...").arg(fileName);
    BusyIndicator busy(statusBar(), step);
    if (!runOperation(step, [&](const diagnostics::Progress&) {
            saved = document->writeSession(fileName, choices, reason);
        }))
        return;
    if (!saved)
        showMessage(QStringLiteral("Session was not saved due to: ") + reason);
}

void TalvaneMainWindow::openSession()
{
    const FileDialogRequest request{QStringLiteral("Open Session"), QStringLiteral("Open Session"), sessionFilter(),
                                    QString()};
    openSessionFile(dialogs->askOpenFileName(this, request));
}

bool TalvaneMainWindow::openSessionFile(const QString& path)
{
    return openSessionAs(path, QStringLiteral("Open Session %1").arg(QFileInfo(path).fileName()));
}

bool TalvaneMainWindow::openSessionAs(const QString& path, const QString& undoText)
{
    if (path.isEmpty())
        return false;
    const QString step = QStringLiteral("Loading %1 ...").arg(QFileInfo(path).fileName());
    BusyIndicator busy(statusBar(), step);
    TerrainSession session;
    QString reason;
    bool read = false;
    if (!runOperation(step, [&](const diagnostics::Progress&) { read = readSessionFile(path, session, reason); }))
        return false;
    // Nothing of a file that did not read whole reaches the screens.
    if (!read) {
        showMessage(QStringLiteral("Session was not opened due to: ") + reason);
        return false;
    }
    const QJsonObject choices = session.window;
    document->openSession(std::move(session), undoText);
    applyWindowChoices(choices);
    return true;
}
