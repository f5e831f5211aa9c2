// Talvane: synthesising terrain by example.
// Usage: talvane [Qt options] [left-terrain [right-terrain]]
// Terrain files named after the toolkit's own options open in the screens, the
// first in the left and the second in the right.

#include "app/TalvaneMainWindow.h"
#include "views/SurfaceFormat.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    // Fixed-function OpenGL needs a compatibility context for every view.
    installDefaultSurfaceFormat();
    auto application = std::make_unique<QApplication>(argc, argv);
    auto window = std::make_unique<TalvaneMainWindow>(nullptr, nullptr, Qt::Window);
    window->show();

    // QApplication has taken its own options out of the argument list by now.
    const QStringList terrainFiles = QApplication::arguments().mid(1);
    if (terrainFiles.size() > 2)
        std::printf("Only the first two terrain files are opened\n");
    if (terrainFiles.size() >= 1)
        window->openTerrainLeft(terrainFiles.at(0));
    if (terrainFiles.size() >= 2)
        window->openTerrainRight(terrainFiles.at(1));

    const int result = QApplication::exec();
    window.reset();
    application.reset();
    return result;
}
