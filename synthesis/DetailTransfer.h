#pragma once

#include "grid/VeskGrid.h"
#include "multires/Scheme.h"
#include "synthesis/MatchSearch.h"
#include "synthesis/QuiltMatches.h"
#include "synthesis/SynthesisMethod.h"

#include <QString>
#include <functional>

// The "Go": gives the base the detail of the example over one or more levels,
// coarse to fine, and refines the base once per level. One sequence for the window
// and the command line.
//
// Level k of n (1 the coarsest) takes the example's detail of the same level: the
// example coarsened n - k times, plus once more where the method needs a detail
// level or a smooth part below it (the example's pyramid is built once). With quilt
// and multifractal each level is exactly one single transfer with the example so
// coarsened, both random generators standing where they stood when the transfer
// began, so n levels give the very bytes of n single transfers chained by hand (each
// a fresh run of the command line).
struct TransferSettings {
    SynthesisMethod method = SynthesisMethod::quilt;
    // Makes the example's levels and refines the base (quilt, coherent); Chaikin or Faber.
    Scheme scheme = Scheme::chaikin;
    // The window's request (100 chooses from the base's size); see transferBlockSize.
    int requestedBlockSize = 100;
    bool rescaleBefore = false;
    bool rescaleAfter = false;
    int levels = 1;
    // The example already holds the finest level's detail on top of its stack (the
    // window's right screen, coarsened by its user); otherwise quilting coarsens it.
    bool exampleCarriesLevel = false;
    // Threads and progress (one bar over all levels, and the cancel request); the
    // mode applies to the block mapper's methods.
    MatchSearch search;
    // How quilting's base is refined once its level is quilted (the window refines
    // as its Refine button does and marks the finest level's matches); the scheme's
    // own refinement when empty. False when the refinement was refused.
    std::function<bool(VeskGrid& quiltedBase, const QuiltMatches& matches, bool finest)> refineQuilted;
};

struct TransferOutcome {
    // The finest quilted level's sample matches, for the window's marks.
    QuiltMatches matches;
    bool hasMatches = false;
};

// Which step refused, so that each caller can say it in its own words.
enum class TransferStep { example, synthesis, refinement };

struct TransferFailure {
    TransferStep step = TransferStep::synthesis;
    QString reason;
};

// On success the base is the refined result (its detail stack used up) and the
// example is as the method leaves it (multifractal mapping trims an odd side of it
// for good). On failure or cancel both are exactly as they were and `failure` says why.
bool transferDetail(VeskGrid& base, VeskGrid& example, const TransferSettings& settings, TransferOutcome& outcome,
                    TransferFailure& failure);

// Levels a transfer takes: 1 to 8.
constexpr int maximumTransferLevels = 8;
