#pragma once

#include "grid/FloatMatrix.h"
#include "synthesis/BlockProgress.h"
#include "synthesis/BlockTiling.h"
#include "synthesis/RandomBlockSearch.h"

// Improves every block's match after the random search, in the manner of
// PatchMatch (Barnes et al., 2009). Each sweep visits the blocks in scan order,
// forwards on even sweeps and backwards on odd ones, and tries for each block:
// the matches of the neighbours visited just before it (left and above going
// forwards, right and below going backwards) shifted by the step, so a run of
// blocks that sit side by side in the example spreads along the tiling; then a
// random search around its best match in a window that starts as wide as the
// whole candidate range and halves down to one sample. A candidate replaces the
// match only when its error is strictly smaller, so no block ends worse than
// its random winner, and candidates stay inside the block's candidate range.
//
// The random offsets come from a generator of its own, seeded from a fixed
// seed, the sweep and the block (never from getRand), so the result depends on
// nothing else. Blocks on one anti-diagonal of the tiling do not read each
// other within a sweep, so they are refined in parallel, one anti-diagonal
// after the other: the result is that of the plain scan for any thread count.
constexpr int refinementSweeps = 4;

// False when cancelled, with `matches` partly refined; the caller drops them then.
bool refineBlockMatches(const FloatMatrix& tiled, const FloatMatrix& example, const BlockTiling& tiling,
                        BlockProgress& progress, BlockMatches& matches);
