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
//    detail drains as land does; hollows deeper than three times the detail's
//    spread are lakes of the base and stay.
// 4. What would change the level's coarsening is taken out again, so that
//    coarsening the result by the scheme gives back the base (to float rounding).
// 5. On the finest level, the sediment settles once more in the hollows step 4
//    may have left.
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

bool synthesiseCoherentLevel(VeskGrid& base, const VeskGrid& fineExample, const VeskGrid& coarseExample,
                             const SchemeTraits& scheme, const SynthesisOptions& options, std::uint64_t seed,
                             bool finest, CoherentMatches& matches, QString& error);
