#pragma once

#include <benchmark/benchmark.h>

// Google Benchmark's own main, for the benchmarks whose main sets something up first:
// reads the benchmark flags, refuses any other, runs what they select. 1 for an
// unrecognised argument, else 0.
inline int runSelectedBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
