// Makes the README's pictures of the window.
// Usage: talvane_screenshot [--go] <terrain> <output.png>
//        talvane_screenshot --levels <terrain> <full.png> <levels.png>
//   without --go: the terrain in both screens, the right one coarsened once with
//                 Chaikin, rendered "Height Colored";
//   with --go:    a "Go" running on the terrain refined twice (the example refined
//                 twice and coarsened once, blocks of 20), its progress dialog showing
//                 a fraction over the window; the Go is then cancelled;
//   with --levels: the terrain in both screens, "Height Colored", at View > Screen
//                 Error "Full Resolution" and then at 1 pixel (levels of detail
//                 for a terrain above 999,999 samples).
// It drives the window through its own controls, as a user would, and saves what
// the screen shows. Runs under a real (or virtual) X display.

#include "app/OperationRunner.h"
#include "app/TalvaneMainWindow.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QElapsedTimer>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStringList>
#include <QThread>
#include <QTimer>
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

// Large terrains are coloured in a worker after the first paint: waits until both
// screens show their colours (an operation would cancel a fill still running).
void settleScreens(TalvaneMainWindow& window)
{
    settle(500);
    while (window.gLGrid1->surface.filling() || window.gLGrid2->surface.filling())
        settle(100);
    settle(500);
}

bool loadBothScreens(TalvaneMainWindow& window, const QString& terrain)
{
    window.show();
    settle(500);
    if (window.openTerrainLeft(terrain) && window.openTerrainRight(terrain))
        return true;
    std::fprintf(stderr, "talvane_screenshot: could not load %s\n", qPrintable(terrain));
    return false;
}

QPixmap pictureOfScreens(TalvaneMainWindow& window)
{
    // Chaikin is the scheme the window starts with.
    window.coarsenRightButton->click();
    window.radioButton2->click();
    settleScreens(window);
    return window.grab();
}

// The dialog is a window of its own, so the picture is taken from the screen.
QPixmap screenAreaOf(const QWidget& window)
{
    const QRect area = window.frameGeometry();
    return window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
}

// A few seconds of quilting even in the release build, so the dialog shows with a fraction.
QPixmap pictureOfRunningGo(TalvaneMainWindow& window)
{
    window.refineLeftButton->click();
    window.refineLeftButton->click();
    window.refineRightButton->click();
    window.refineRightButton->click();
    window.coarsenRightButton->click();
    window.blocksizeSlider->setValue(20);
    window.radioButton2->click();
    settleScreens(window);

    // The dialog's fraction at which the picture is taken, in the bar's steps.
    constexpr double pictureFraction = 0.3;
    QPixmap picture;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QProgressDialog* dialog = window.operationRunner()->progressDialog();
        if (!picture.isNull() || dialog == nullptr || !dialog->isVisible() || dialog->maximum() <= 0
            || dialog->value() < pictureFraction * dialog->maximum())
            return;
        watch.stop();
        // The dialog's own paint of its new value is done before the picture.
        settle(200);
        picture = screenAreaOf(window);
        dialog->cancel();
    });
    watch.start();
    window.pushButton6->click(); // returns once the cancelled "Go" has ended
    if (picture.isNull())
        std::fprintf(stderr, "talvane_screenshot: the Go ended before its progress dialog showed a fraction\n");
    return picture;
}

// Each screen's surface complete in its buffers, every chunk at its own level.
void settleEverySample(TalvaneMainWindow& window)
{
    settleScreens(window);
    const auto complete = [](const GLGrid* view) {
        return !view->surface.filling() && !view->surface.uploading()
            && view->surface.levelOfDetailFrame().standIns == 0;
    };
    while (!complete(window.gLGrid1) || !complete(window.gLGrid2))
        settle(200);
    settle(500);
}

bool savePicture(const QPixmap& picture, const QString& output)
{
    if (picture.isNull() || !picture.save(output, "PNG")) {
        std::fprintf(stderr, "talvane_screenshot: could not save %s\n", qPrintable(output));
        return false;
    }
    std::printf("Saved %s (%i x %i)\n", qPrintable(output), picture.width(), picture.height());
    return true;
}

// The screen-error choices in menu order: "Full Resolution" first, 1 pixel third.
bool picturesOfLevels(TalvaneMainWindow& window, const QString& fullOutput, const QString& levelsOutput)
{
    window.radioButton2->click();
    const QList<QAction*> errors = window.viewScreen_ErrorMenu->actions();
    errors[0]->trigger();
    settleEverySample(window);
    if (!savePicture(window.grab(), fullOutput))
        return false;
    errors[2]->trigger();
    settleEverySample(window);
    return savePicture(window.grab(), levelsOutput);
}

} // namespace

int main(int argc, char** argv)
{
    installDefaultSurfaceFormat();
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments();
    if (arguments.size() == 5 && arguments.at(1) == QStringLiteral("--levels")) {
        TalvaneMainWindow window;
        if (!loadBothScreens(window, arguments.at(2)))
            return 1;
        return picturesOfLevels(window, arguments.at(3), arguments.at(4)) ? 0 : 1;
    }
    const bool runningGo = arguments.size() == 4 && arguments.at(1) == QStringLiteral("--go");
    if (runningGo)
        arguments.removeAt(1);
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: talvane_screenshot [--go] <terrain> <output.png>\n"
                             "       talvane_screenshot --levels <terrain> <full.png> <levels.png>\n");
        return 2;
    }
    const QString& terrain = arguments.at(1);
    const QString& output = arguments.at(2);

    TalvaneMainWindow window;
    if (!loadBothScreens(window, terrain))
        return 1;
    const QPixmap picture = runningGo ? pictureOfRunningGo(window) : pictureOfScreens(window);
    return savePicture(picture, output) ? 0 : 1;
}
