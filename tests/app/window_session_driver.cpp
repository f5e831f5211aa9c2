// Drives the real window through one session on the sample DEM, as a user would:
// load it into the left screen with the File menu, coarsen it once and refine it once
// with the scheme the window starts with (Chaikin: 403 columns, 202, then 402). Run in
// a folder holding jacksboro.grd; test_window_session_output compares what the window
// says on standard output with a recording.

#include "AppTestSupport.h"

#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolButton>

#include <cstdio>

namespace {

// Waits until the view has drawn its changed grid, so each step's drawing lines come
// before the next step's, however slowly the machine paints.
bool drawn(const GLGrid& view)
{
    return QTest::qWaitFor([&view] { return !view.listDirty; }, 30000);
}

} // namespace

int main(int argc, char** argv)
{
    // As the program itself does, so lines arrive in the same order through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    installDefaultSurfaceFormat();
    QApplication application(argc, argv);

    ScriptedWindow scripted;
    if (!scripted.exposed) {
        std::fprintf(stderr, "window_session_driver: the window was not shown\n");
        return 1;
    }
    const GLGrid& left = *scripted->gLGrid1;
    scripted.log.openAnswers.append(QStringLiteral("jacksboro.grd"));
    scripted->fileLoadTerrainLeft_ScreenAction->trigger();
    const bool loadDrawn = drawn(left);
    scripted->coarsenLeftButton->click();
    const bool coarseDrawn = drawn(left);
    scripted->refineLeftButton->click();
    const bool fineDrawn = drawn(left);
    std::fflush(stdout);
    if (!loadDrawn || !coarseDrawn || !fineDrawn || !scripted.log.messages.isEmpty() || left.grid.width != 402) {
        std::fprintf(stderr, "window_session_driver: the session did not run as planned\n");
        return 1;
    }
    return 0;
}
