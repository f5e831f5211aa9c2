#pragma once

#include "AppTestSupport.h"
#include "views/SurfaceFormat.h"

#include <QApplication>

#include <benchmark/benchmark.h>

// The main of a benchmark that opens windows: the views' surface format, an
// application, and settings kept apart from the user's.
inline int runWindowBenchmarks(int argc, char** argv)
{
    installDefaultSurfaceFormat();
    QApplication application(argc, argv);
    IsolatedSettings settings;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
