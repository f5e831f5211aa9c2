#pragma once

#include "AppTestSupport.h"
#include "RunBenchmarks.h"
#include "views/SurfaceFormat.h"

#include <QApplication>

// The main of a benchmark that opens windows: the views' surface format, an
// application, and settings kept apart from the user's.
inline int runWindowBenchmarks(int argc, char** argv)
{
    installDefaultSurfaceFormat();
    QApplication application(argc, argv);
    IsolatedSettings settings;
    return runSelectedBenchmarks(argc, argv);
}
