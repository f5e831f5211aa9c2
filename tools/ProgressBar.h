#pragma once

#include "diagnostics/Progress.h"

#include <cstdio>

// A one-line progress bar on standard error for long commands, redrawn in place,
// shown only when standard error is a terminal and the command is not quiet.
class ProgressBar {
public:
    explicit ProgressBar(bool quiet);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // What the operation reports through; a silent Progress when the bar is not shown.
    diagnostics::Progress progress();

private:
    void draw(long long done, long long total);

    bool shown_ = false;
    bool lineOpen_ = false;
    int lastPercent_ = -1;
};
