#pragma once

#include "grid/VeskGrid.h"
#include "synthesis/SynthesisOptions.h"
#include "synthesis/QuiltMatches.h"

#include <QString>

// Detail quilting: gives a base terrain the detail of an example terrain.
//
// The example must have been coarsened at least once: the top level of its
// detail stack (column details, then row details on top) is the source. The
// base is cut into overlapping blocks, each block is matched to the example
// block of most similar shape, and the example's coefficients under the chosen
// blocks are pasted into one new detail level sized for the base, which then
// replaces the base's whole detail stack. Refining the base afterwards gives it
// the example's detail.
//
// The example's top level tells which scheme made it, and the base's new level
// follows it. For an example of We x He: row details He x (We - 2) and column
// details (He - 2) x (2 We - 2) are a Chaikin level, and the base of W x H gets
// H x (W - 2) and (H - 2) x (2 W - 2); row details He x (We - 1) and column
// details (He - 1) x (2 We - 1) are a Faber level, and the base gets H x (W - 1)
// and (H - 1) x (2 W - 1). Both use the same block matching and paste geometry;
// the Faber paste also fills the extra column and row from the last blocks.
// Refine the base with the scheme that made the example's level.
//
// options.blockSize is the requested block size (halved to fit the terrains).
// rescaleBefore moves the base into the example's height range for matching
// (and leaves it there unless rescaleAfter moves it back and scales the new
// coefficients by the same factor). A flat base or example skips the rescale
// and says so.
//
// Failure: returns false, prints the reason on standard output and puts a short
// text for a message box in `error`. Everything that can fail is checked before
// anything changes, so the base (heights, statistics and detail stack), the
// example and `matches` are exactly as they were. Refusals: rescaleAfter without
// rescaleBefore; an example without a detail level; a terrain without data; an
// example whose top level has neither the Chaikin nor the Faber shapes for its
// size (details loaded from another terrain, ragged matrices); a block size
// that halving brings below 2; an example too small for candidate blocks; no
// candidate block that can be scored. A cancel request through options.search is a
// failure too, with nothing changed.
//
// options.search chooses the block search, the threads and the progress report
// (blocks matched of blocks in all).
bool quiltDetails(VeskGrid& base, const VeskGrid& example, const SynthesisOptions& options, QuiltMatches& matches,
                  QString& error);

// Copies a width x height block of coefficients from source (starting at
// sourceColumn, sourceRow) into destination (at destinationColumn,
// destinationRow). Cells outside either matrix are skipped, each with a message.
// The overlap band (the first `overlap` columns when destinationColumn > 0, the
// first `overlap` rows when destinationRow > 0), where the block meets blocks
// pasted before it, takes the new block's coefficients as well: feathering two
// unrelated detail fields would average them and weaken the detail along every
// seam, while taking the new block keeps the example's detail amplitude intact.
void pasteDetailBlock(const FloatMatrix& source, int sourceColumn, int sourceRow, FloatMatrix& destination,
                      int destinationColumn, int destinationRow, int width, int height, int overlap);
