// Makes the README's picture of the window: the sample terrain in both screens,
// the right one coarsened once with Chaikin, rendered "Height Colored".
// Usage: talvane_screenshot <terrain> <output.png>
// It drives the window through its own controls, as a user would, and saves
// what the window shows. Runs under a real (or virtual) X display.

#include "app/TalvaneMainWindow.h"
#include "views/SurfaceFormat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QRadioButton>
#include <QStringList>
#include <QThread>
#include <QToolButton>

#include <cstdio>

namespace {

// Lets the window lay itself out and paint every view (several frames).
void settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

} // namespace

int main(int argc, char** argv)
{
    installDefaultSurfaceFormat();
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: talvane_screenshot <terrain> <output.png>\n");
        return 2;
    }

    TalvaneMainWindow window;
    window.show();
    settle(500);
    if (!window.openTerrainLeft(arguments.at(1)) || !window.openTerrainRight(arguments.at(1))) {
        std::fprintf(stderr, "talvane_screenshot: could not load %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    // Chaikin is the scheme the window starts with.
    window.coarsenRightButton->click();
    window.radioButton2->click();
    settle(1500);

    const QPixmap picture = window.grab();
    if (picture.isNull() || !picture.save(arguments.at(2), "PNG")) {
        std::fprintf(stderr, "talvane_screenshot: could not save %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    std::printf("Saved %s (%i x %i)\n", qPrintable(arguments.at(2)), picture.width(), picture.height());
    return 0;
}
