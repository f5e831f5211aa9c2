#pragma once

#include "diagnostics/Progress.h"
#include "synthesis/SampleRaster.h"

#include <QString>
#include <cstdint>
#include <vector>

// Coherent synthesis of one level of detail: the fine terrain a refinement without
// detail makes of the base (the guide) is covered with overlapping square blocks,
// and each block takes the detail of the example block, in any of the eight
// orientations, whose smooth shape is most like the guide's there and whose detail
// agrees with its neighbours' where they overlap.
//
// The search starts from random candidates and the match of the coarser level
// under the block, then passes over the blocks in four interleaved sets (blocks of
// one set never touch), each block trying its neighbours' matches continued onto
// it and a shrinking random search around its own. Neighbours' matches carried on
// make whole stretches of the example (a valley and the ridges beside it) come
// across together instead of a mosaic of unrelated blocks.
//
// Every choice depends only on the guide and the example within a bounded number
// of blocks (the passes' reach) and on a generator seeded by the block's place, so
// the result is the same on any number of threads and could be made tile by tile.

// One level of the example: its smooth part (the coarser level refined without
// detail) and its detail (the example minus that), both of the fine level's size.
struct ExampleLayer {
    SampleRaster guide;
    SampleRaster detail;
};

// Where a block's detail comes from: the example sample its output corner maps to
// (the block's origin), and the orientation (Orientation.h).
struct CoherentMatch {
    int x = 0;
    int y = 0;
    int orientation = 0;
    bool operator==(const CoherentMatch&) const = default;
};

// The blocks of one level and the match of each, row by row, for the next finer
// level to start from.
struct CoherentMatches {
    int blockSize = 0;
    std::vector<int> originsX;
    std::vector<int> originsY;
    std::vector<CoherentMatch> matches;
};

struct CoherentSearch {
    // Random candidates each block starts from.
    int randomCandidates = 48;
    // Passes over all blocks after the start.
    int passes = 3;
    // Weight of the overlap's detail disagreement against the guide's shape error,
    // both as mean squares.
    double overlapWeight = 2.0;
    // How the scheme's fine samples sit between its coarse ones along an axis: a block
    // laid straight lands on the example at an even offset, a mirrored one at an offset
    // of this parity (1 for Chaikin, whose fine samples pair up between two coarse ones;
    // 0 for Faber, whose even samples are the coarse ones). Then a block's detail is
    // still a detail of the scheme, which coarsens to nothing, and keeping the base's
    // shape takes none of it away.
    int mirrorParity = 1;
    // Distinguishes the levels of one transfer in the generator's seed.
    std::uint64_t seed = 0;
    // Worker threads (0: every core); the result is the same for any count.
    int threads = 0;
    // Block visits done of all; the cancel request.
    diagnostics::Progress progress;
};

// The blocks' first samples along a side of `length`: evenly spread, at most
// blockSize * 3 / 4 apart, the first at 0 and the last at length - blockSize.
std::vector<int> blockOrigins(int length, int blockSize);

// Fills `detail` (guide's size) with the example's detail laid block by block
// onto the guide and `matches` with the blocks' matches. blockSize is the block's
// side in samples of this level; it is halved until guide and example hold a block.
// `coarser`, when given, are the matches of the level below (half the resolution).
// Fails (false, error set, outputs untouched) when the terrains are too small for a
// block of 4 or the progress asks to stop.
bool synthesiseCoherentDetail(const SampleRaster& guide, const ExampleLayer& example, int blockSize,
                              const CoherentMatches* coarser, const CoherentSearch& search, SampleRaster& detail,
                              CoherentMatches& matches, QString& error);
