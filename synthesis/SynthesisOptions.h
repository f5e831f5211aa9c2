#pragma once

#include "synthesis/MatchSearch.h"

// What every synthesis method takes besides the two terrains.
struct SynthesisOptions {
    // The block size to run with (transferBlockSize turns the window's request into one);
    // each method may halve it to fit the terrains.
    int blockSize = 20;
    // Move the base into the example's height range for matching ...
    bool rescaleBefore = false;
    // ... and back afterwards, scaling the new detail by the same factor.
    bool rescaleAfter = false;
    MatchSearch search;
};
