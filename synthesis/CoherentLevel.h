#pragma once

#include "grid/VeskGrid.h"
#include "multires/Scheme.h"
#include "synthesis/CoherentSynthesis.h"
#include "synthesis/HydraulicErosion.h"
#include "synthesis/SynthesisOptions.h"

#include <QString>

// One level of coherent synthesis on grids.
//
// 1. The base is refined by the scheme without detail: the guide.
// 2. Coherent synthesis lays the detail of the example's level on it
//    (fineExample is the example at the guide's resolution, coarseExample the
//    same coarsened once by the scheme).
// 3. Rivers cut and hollows fill (erodeTerrain, coherentErosion()), so that the
//    detail drains as land does; hollows deeper than a few times the detail's
//    spread, or wider than a pond, are lakes of the base and stay.
// 4. What would change the level's coarsening is taken out again, so that
//    coarsening the result by the scheme gives back the base (to float rounding).
//    The finest level instead keeps the base the synthesis started from, coarsened
//    back by all its levels, within half a hundredth of its relief, by a correction
//    that smooth: the hollows its erosion filled stay filled.
//
// The detail keeps the example's own amplitude and shapes are matched as they
// are: local relief, not a terrain's total range, sets how rough land is, so the
// rescale options of quilting do not apply here.
//
// `matches` holds the coarser level's matches (empty for the first level) and
// receives this level's. On success the base is refined (2 W - 2 or 2 W - 1 a
// side, as the scheme refines) with its detail stack emptied. On failure or cancel
// the base is as it was, `matches` too, and error says why.
// The erosion a coherent level runs after laying detail whose spread (standard
// deviation) is detailSpread metres on a terrain of cells cellSize metres wide.
ErosionSettings coherentErosion(double detailSpread, double cellSize, int threads);

// The base a synthesis of several levels started from, which its finest level keeps.
struct CoherentStart {
    // Null on every level but the finest.
    const VeskGrid* base = nullptr;
    // How many levels the finest level's result lies above it.
    int levels = 0;
};

bool synthesiseCoherentLevel(VeskGrid& base, const VeskGrid& fineExample, const VeskGrid& coarseExample,
                             const SchemeTraits& scheme, const SynthesisOptions& options, std::uint64_t seed,
                             const CoherentStart& start, CoherentMatches& matches, QString& error);
