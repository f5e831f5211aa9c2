// Talvane: synthesising terrain by example.
// Usage: talvane [Qt options] [left-terrain [right-terrain]]

#include "app/CommandLineTerrains.h"
#include "app/TalvaneMainWindow.h"
#include "io/AtomicFileWrite.h"
#include "views/SurfaceFormat.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    // Progress lines are meant to be followed as they come, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    io::failWritesBeyondFileSizeLimit();
    // Fixed-function OpenGL needs a compatibility context for every view.
    installDefaultSurfaceFormat();
    auto application = std::make_unique<QApplication>(argc, argv);
    // Where the settings live: recent terrains, the window's geometry, the undo bound.
    QCoreApplication::setOrganizationName(QStringLiteral("Talvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Talvane"));
    auto window = std::make_unique<TalvaneMainWindow>(nullptr, nullptr, Qt::Window);
    window->show();
    // Work a window that did not close cleanly left behind comes first.
    window->offerRecovery();
    // QApplication has taken its own options out of the arguments by now.
    openCommandLineTerrains(*window, QApplication::arguments());

    const int result = QApplication::exec();
    window.reset();
    application.reset();
    return result;
}
