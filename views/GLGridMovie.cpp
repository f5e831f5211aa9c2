// The camera movie: a fixed flight over the terrain through six key poses,
// one tick every 450 ms.

#include "views/GLGrid.h"

#include <QTimer>

#include <array>
#include <climits>

// Shared by both views: after the first press on either view, every press starts a timer.
bool GLGrid::movieStartPending = true;
int GLGrid::movieFrame = 0;

namespace {

struct CameraPose {
    double xTrans, yTrans, zTrans;
    double xRot, yRot, zRot;
};

// One leg of the flight: ticks firstFrame .. firstFrame + ticks - 1 move the camera
// currentstep = frame - firstFrame steps of totalSteps from one pose towards the next.
struct FlightLeg {
    int firstFrame;
    int ticks;
    int totalSteps;
    CameraPose from;
    CameraPose to;
};

constexpr CameraPose startPose{0.9, 5.82, -7.95, 0.0, 0.0, 270.0};
constexpr CameraPose overview{-0.3, 5.0, -16.0, -82.0, 0.0, 270.0};
constexpr CameraPose approach1{-0.3, 4.0, -12.8, -82.0, 0.0, 270.0};
constexpr CameraPose approach2{-0.3, 3.3, -5.88, -82.0, 0.0, 270.0};
constexpr CameraPose approach3{-0.3, 2.2, -1.44, -82.0, 0.0, 270.0};
constexpr CameraPose approach4{-0.3, 1.8, 0.84, -82.0, 0.0, 270.0};
constexpr CameraPose closeUp{-0.3, 1.56, 2.52, -82.0, 0.0, 270.0};

// The last leg has 15 steps but only 5 ticks: the flight stops 4/15 of the way to the close-up.
constexpr std::array<FlightLeg, 6> flight{{
    {0, 5, 5, startPose, overview},
    {5, 10, 10, overview, approach1},
    {15, 10, 10, approach1, approach2},
    {25, 10, 10, approach2, approach3},
    {35, 10, 10, approach3, approach4},
    {45, 5, 15, approach4, closeUp},
}};

const FlightLeg* legOfFrame(int frame)
{
    for (const FlightLeg& leg : flight) {
        if (frame >= leg.firstFrame && frame < leg.firstFrame + leg.ticks)
            return &leg;
    }
    return nullptr;
}

} // namespace

void GLGrid::startmovie()
{
    if (movieStartPending) {
        xTrans = static_cast<float>(startPose.xTrans);
        yTrans = static_cast<float>(startPose.yTrans);
        zTrans = static_cast<float>(startPose.zTrans);
        xRot = static_cast<float>(startPose.xRot);
        yRot = static_cast<float>(startPose.yRot);
        zRot = static_cast<float>(startPose.zRot);
        cameraFramesTerrain = false;
        movieStartPending = false;
        update();
        return;
    }
    // Owned by the view, so it stops with the view; never stopped otherwise.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &GLGrid::timerDone);
    timer->start(450);
    update();
}

void GLGrid::timerDone()
{
    if (const FlightLeg* leg = legOfFrame(movieFrame)) {
        move(leg->from.xTrans, leg->from.yTrans, leg->from.zTrans, leg->from.xRot, leg->from.yRot,
             leg->from.zRot, leg->to.xTrans, leg->to.yTrans, leg->to.zTrans, leg->to.xRot, leg->to.yRot,
             leg->to.zRot, leg->totalSteps, movieFrame - leg->firstFrame);
    }
    if (movieFrame < INT_MAX)
        ++movieFrame;
    update();
}

void GLGrid::move(double xts, double yts, double zts, double xrs, double yrs, double zrs, double xtf,
                  double ytf, double ztf, double xrf, double yrf, double zrf, int totalsteps,
                  int currentstep)
{
    // A move of no steps has nowhere to interpolate: it arrives at once.
    const double t = totalsteps == 0 ? 1.0 : static_cast<double>(currentstep) / totalsteps;
    xTrans = static_cast<float>(xts + t * (xtf - xts));
    yTrans = static_cast<float>(yts + t * (ytf - yts));
    zTrans = static_cast<float>(zts + t * (ztf - zts));
    xRot = static_cast<float>(xrs + t * (xrf - xrs));
    yRot = static_cast<float>(yrs + t * (yrf - yrs));
    zRot = static_cast<float>(zrs + t * (zrf - zrs));
    cameraFramesTerrain = false;
}
