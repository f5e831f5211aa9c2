#pragma once

#include "grid/VeskGrid.h"
#include "synthesis/SynthesisOptions.h"

#include <QString>
#include <vector>

// The example's local roughness under each block of the base, in tiling order,
// as handed to the block-wise fractal refinement.
struct RoughnessMap {
    std::vector<float> deviations;
    int blocksAcross = 0;
    int blocksDown = 0;
    int blockSize = 0;
};

// Multifractal mapping: refines the base once with fractal noise whose strength
// follows the example. The base is cut into square blocks (no overlap), each is
// matched to the example block of most similar shape, the example's detail
// deviation under that block is measured one level down, and the base is
// refined by subdivideFractalByBlocks with these deviations. The example needs
// no detail level; an odd side of it is trimmed by one sample for good.
//
// rescaleBefore moves the base into the example's height range before matching
// and leaves it there unless rescaleAfter moves the refined base back. A flat
// base or example skips the rescale and says so.
//
// On success the base is refined to 2 W - 2 by 2 H - 2 and `roughness`, when
// given, receives the map used. Failure: returns false, prints the reason on
// standard output and puts a short text for a message box in `error`; the base
// and the example (size included) are exactly as they were. Refusals:
// rescaleAfter without rescaleBefore; a terrain without data; a block size that
// halving brings below 4; an example too small for candidate blocks; no
// candidate block that can be scored; a refinement the base refuses; a cancel
// request through options.search, which also chooses the block search, the threads
// and the progress report (blocks matched of blocks in all).
bool multifractalMapping(VeskGrid& base, VeskGrid& example, const SynthesisOptions& options, QString& error,
                         RoughnessMap* roughness = nullptr);
