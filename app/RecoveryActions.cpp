// Work is never lost to a crash: every completed change of a terrain is autosaved to
// this window's recovery file (RecoveryAutosave, RecoveryFolder), a clean exit removes
// it, and the next start offers back what a window that did not close cleanly left.

#include "app/TalvaneMainWindow.h"

#include "app/RecoveryAutosave.h"
#include "app/RecoveryFolder.h"
#include "app/TerrainHistory.h"
#include "app/UserDialogs.h"
#include "app/WindowDocument.h"
#include "diagnostics/Diagnostics.h"

#include <QStatusBar>
#include <QUndoStack>

void TalvaneMainWindow::startRecoveryAutosave()
{
    recoveryFolder = std::make_unique<RecoveryFolder>();
    if (recoveryFolder->ownFile().isEmpty())
        diagnostics::reportf("No autosave for recovery: the folder %s cannot be used\n",
                             qPrintable(RecoveryFolder::standardFolder()));
    // The screens as the window's document holds them, as Save Session writes them.
    autosave = new RecoveryAutosave(
        recoveryFolder->ownFile(),
        [this] {
            return RecoveryAutosave::Source{document->terrain(ScreenSide::left), document->terrain(ScreenSide::right),
                                            windowChoices()};
        },
        this);
    // Every change of a screen is a step of the undo history, and so are its undo and redo.
    connect(history->stack(), &QUndoStack::indexChanged, autosave, &RecoveryAutosave::terrainChanged);
    connect(autosave, &RecoveryAutosave::failed, this,
            [this](const QString& why) { statusBar()->showMessage(QStringLiteral("Autosave failed: ") + why); });
}

bool TalvaneMainWindow::offerRecovery()
{
    for (RecoveryFolder::Orphan& orphan : recoveryFolder->orphans()) {
        const QString when = orphan.lastModified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QString question =
            QStringLiteral("Talvane did not close cleanly. Its work was autosaved at %1 (%2).\n\n"
                           "Restore it? No discards it.")
                .arg(when, orphan.path);
        if (!dialogs->askYesNo(this, QStringLiteral("Talvane"), question)) {
            RecoveryFolder::discard(orphan);
            continue;
        }
        // A file that does not read is reported and kept for another try.
        if (!openSessionAs(orphan.path, QStringLiteral("Restore Work Autosaved at %1").arg(when)))
            return false;
        QString reason;
        if (!recoveryFolder->adopt(orphan, reason))
            statusBar()->showMessage(QStringLiteral("The restored work stays in %1: %2").arg(orphan.path, reason));
        return true;
    }
    return false;
}
