#pragma once

#include <cstdio>

// The calling thread's time on a core and time runnable but waiting for one, in
// milliseconds, as the Linux scheduler counts them (/proc/thread-self/schedstat; zeros
// where there is no such file). Between two readings the rest of the elapsed time was
// spent blocked or asleep, which tells a thread kept from a core by other threads apart
// from one busy with its own work or waiting on another thread.
struct ThreadCpuWait {
    double runningMs = 0.0;
    double waitingMs = 0.0;

    static ThreadCpuWait now()
    {
        ThreadCpuWait reading;
        if (std::FILE* file = std::fopen("/proc/thread-self/schedstat", "r")) {
            unsigned long long runningNs = 0;
            unsigned long long waitingNs = 0;
            if (std::fscanf(file, "%llu %llu", &runningNs, &waitingNs) == 2) {
                reading.runningMs = static_cast<double>(runningNs) / 1e6;
                reading.waitingMs = static_cast<double>(waitingNs) / 1e6;
            }
            std::fclose(file);
        }
        return reading;
    }
};
