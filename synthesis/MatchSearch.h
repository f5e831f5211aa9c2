#pragma once

#include "diagnostics/Progress.h"

// How the block mapper searches the example, for quilting and multifractal mapping.
struct MatchSearch {
    enum class Mode {
        // The random candidates of each block, best one kept: the plain mapping.
        random,
        // The random winners, then improved by refinement sweeps (RefinedBlockSearch.h).
        refined,
    };
    Mode mode = Mode::random;
    // Worker threads; 0 takes every core. The result is the same for any count.
    int threads = 0;
    // Blocks matched of blocks in all, and the request to stop.
    diagnostics::Progress progress;
};
