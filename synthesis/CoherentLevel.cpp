// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/parallel_for.h>

#include "synthesis/CoherentLevel.h"

#include "diagnostics/Diagnostics.h"
#include "multires/GridReplacement.h"
#include "synthesis/HydraulicErosion.h"
#include "synthesis/MatchThreads.h"
#include "synthesis/TerrainPresence.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// How far the erosion of each level goes: enough for rivers to run on from block
// to block, little enough to keep the example's hillslopes (see README, "coherent").
// The first of several levels takes two steps; every other level one: the channels it
// follows are already cut at the coarser levels (a second step there moved no figure
// of the quality benchmark by more than 0.01 and cost a tenth of a 3-level run).
constexpr int firstLevelErosionIterations = 2;
constexpr int laterErosionIterations = 1;
// The finest level erodes tile by tile: the hollows it settles and the channels it cuts
// are the detail's own, small beside a tile, while the coarser levels have cut the large
// rivers through the whole terrain. So what a sample of the result becomes depends on no
// sample farther than a tile and its margin. (Against one routing of the whole terrain:
// the quality benchmark's figures moved by at most 0.01 with tiles of 128, and the
// erosion of a 2,049^2 level took 160 instead of 205 ms, its tiles side by side.)
constexpr int finestErosionTileSide = 512;
constexpr int finestErosionTileMargin = 32;
constexpr double erosionStrength = 0.01;
// A level's bar: the block search, then the erosion, about as long as each takes on the
// finest level (a 2,049^2 level: the layer and the search 100 ms, the erosion 155 ms).
constexpr std::int64_t searchShare = 2;
constexpr std::int64_t erosionShare = 3;
// Hollows up to this many times the detail's spread, and of at most lakeSamples
// samples, are the detail's own and fill; larger ones are the terrain's lakes and
// sinkholes.
constexpr double fillableDepthInSpreads = 4.5;
constexpr int lakeSamples = 64;
// Filled hollows fall towards their outlet by this gradient (a delta's), so that
// they drain and read as sloping ground rather than as flats.
constexpr double filledGradient = 0.002;
// How far the finest level may leave the starting base's samples, in parts of its
// relief, when the result is coarsened back to it: the fills and cuts that move it by
// less stay (restoring it exactly would open the hollows again).
constexpr double startDriftInRelief = 0.005;
// A level that starts from the coarser level's matches needs fewer random candidates and
// passes than the first: the match under each block is already a good one, and the
// passes carry it on to the neighbours. (The first level's 48 and 3 there cost a tenth of
// a 3-level run; the quality benchmark's pits and channels ratios moved by at most 0.16.)
constexpr int continuedRandomCandidates = 8;
constexpr int continuedPasses = 2;


// The grid refined once by the scheme with no detail: the smooth part of the next level.
bool refinedWithoutDetail(VeskGrid grid, const SchemeTraits& scheme, SampleRaster& smooth, QString& error)
{
    grid.clearDetails();
    if (!scheme.refine(grid)) {
        error = grid.lastError;
        return false;
    }
    smooth = rasterOf(grid.heights, grid.width, grid.height);
    return true;
}

// The example's level: what refining its coarser level without detail gives, and
// what the example has beyond that, over the part both cover.
bool exampleLayerOf(const VeskGrid& fineExample, const VeskGrid& coarseExample, const SchemeTraits& scheme,
                    int threads, ExampleLayer& layer, QString& error)
{
    SampleRaster smooth;
    if (!refinedWithoutDetail(coarseExample, scheme, smooth, error))
        return false;
    const int width = std::min(smooth.width, fineExample.width);
    const int height = std::min(smooth.height, fineExample.height);
    if (smooth.width != width || smooth.height != height) {
        SampleRaster cropped(width, height);
        for (int y = 0; y < height; ++y)
            std::copy_n(&smooth.values[std::size_t(y) * std::size_t(smooth.width)], width,
                        &cropped.values[std::size_t(y) * std::size_t(width)]);
        smooth = std::move(cropped);
    }
    layer.detail = SampleRaster(width, height);
    runWithThreads(threads, [&] { tbb::parallel_for(0, height, [&](int y) {
        const float* const smoothRow = &smooth.values[std::size_t(y) * std::size_t(width)];
        const float* const fineRow = fineExample.heights[std::size_t(y)].data();
        float* const detailRow = &layer.detail.values[std::size_t(y) * std::size_t(width)];
        for (int x = 0; x < width; ++x)
            detailRow[x] = float(double(fineRow[x]) - smoothRow[x]);
    }); });
    // The smooth part is the guide as it stands (cropped to what both cover).
    layer.guide = std::move(smooth);
    return true;
}

double reliefOf(const VeskGrid& grid)
{
    float lowest = std::numeric_limits<float>::max();
    float highest = std::numeric_limits<float>::lowest();
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x) {
            lowest = std::min(lowest, grid.heights[std::size_t(y)][std::size_t(x)]);
            highest = std::max(highest, grid.heights[std::size_t(y)][std::size_t(x)]);
        }
    return grid.height > 0 && grid.width > 0 ? double(highest) - double(lowest) : 0.0;
}

// Takes out of `refined` whatever would change its coarsening by `levels` levels by more
// than `tolerance`: that coarsening minus `coarse` (beyond the tolerance either way),
// refined as many levels without detail and subtracted. Coarsening, plain refinement
// and the difference are linear and coarsening undoes a plain refinement, so the
// result coarsens to `coarse` again, within the tolerance, while the detail stays.
bool keepCoarseShape(VeskGrid& refined, const VeskGrid& coarse, int levels, const SchemeTraits& scheme,
                     double tolerance, QString& error)
{
    VeskGrid drift = refined;
    for (int level = 0; level < levels; ++level) {
        drift.clearDetails();
        if (!scheme.coarsen(drift)) {
            error = drift.lastError;
            return false;
        }
    }
    drift.clearDetails();
    for (int y = 0; y < coarse.height; ++y) {
        auto& row = drift.heights[std::size_t(y)];
        const auto& target = coarse.heights[std::size_t(y)];
        for (int x = 0; x < coarse.width; ++x) {
            const double drift = double(row[std::size_t(x)]) - double(target[std::size_t(x)]);
            row[std::size_t(x)] = float(drift - std::clamp(drift, -tolerance, tolerance));
        }
    }
    for (int level = 0; level < levels; ++level) {
        if (!scheme.refine(drift)) {
            error = drift.lastError;
            return false;
        }
    }
    for (int y = 0; y < refined.height; ++y) {
        auto& row = refined.heights[std::size_t(y)];
        const auto& away = drift.heights[std::size_t(y)];
        for (int x = 0; x < refined.width; ++x)
            row[std::size_t(x)] = float(double(row[std::size_t(x)]) - double(away[std::size_t(x)]));
    }
    markHeightsReplaced(refined);
    return true;
}

// `refined`: the base refined once, with the example's detail laid on it by the block
// search; `spread`: that detail's spread. The example's layer, the guide and the detail
// are let go on return, before the erosion, which needs the most memory.
bool refinedWithDetail(const VeskGrid& base, const VeskGrid& fineExample, const VeskGrid& coarseExample,
                       const SchemeTraits& scheme, const SynthesisOptions& options, std::uint64_t seed,
                       const CoherentMatches& coarser, VeskGrid& refined, double& spread,
                       CoherentMatches& levelMatches, QString& error)
{
    ExampleLayer layer;
    if (!exampleLayerOf(fineExample, coarseExample, scheme, options.search.threads, layer, error))
        return false;
    refined = base;
    refined.clearDetails();
    if (!scheme.refine(refined)) {
        error = refined.lastError;
        return false;
    }
    const SampleRaster guide = rasterOf(refined.heights, refined.width, refined.height);

    CoherentSearch search;
    search.seed = seed;
    search.mirrorParity = scheme.scheme == Scheme::faber ? 0 : 1;
    search.threads = options.search.threads;
    search.progress = options.search.progress.part(0, searchShare, searchShare + erosionShare);
    if (!coarser.matches.empty()) {
        search.randomCandidates = continuedRandomCandidates;
        search.passes = continuedPasses;
    }
    SampleRaster detail;
    if (!synthesiseCoherentDetail(guide, layer, 2 * options.blockSize, coarser.matches.empty() ? nullptr : &coarser,
                                  search, detail, levelMatches, error))
        return false;
    for (int y = 0; y < detail.height; ++y) {
        auto& row = refined.heights[std::size_t(y)];
        for (int x = 0; x < detail.width; ++x)
            row[std::size_t(x)] = float(double(row[std::size_t(x)]) + double(detail.at(x, y)));
    }
    // The erosion next marks the heights replaced (their statistics are a pass over every sample).
    spread = spreadOf(detail);
    return true;
}

} // namespace

ErosionSettings coherentErosion(double detailSpread, double cellSize, int threads)
{
    ErosionSettings erosion;
    erosion.lakeDrop = filledGradient * cellSize;
    erosion.iterations = firstLevelErosionIterations;
    erosion.strength = erosionStrength;
    erosion.lakeDepth = fillableDepthInSpreads * detailSpread;
    erosion.lakeArea = lakeSamples;
    erosion.threads = threads;
    return erosion;
}

bool synthesiseCoherentLevel(VeskGrid& base, const VeskGrid& fineExample, const VeskGrid& coarseExample,
                             const SchemeTraits& scheme, const SynthesisOptions& options, std::uint64_t seed,
                             const CoherentStart& start, CoherentMatches& matches, QString& error)
{
    if (!checkTerrainHasData(base, "coherent synthesis", "base", error)
        || !checkTerrainHasData(fineExample, "coherent synthesis", "target", error))
        return false;
    VeskGrid refined;
    double spread = 0.0;
    CoherentMatches levelMatches;
    if (!refinedWithDetail(base, fineExample, coarseExample, scheme, options, seed, matches, refined, spread,
                           levelMatches, error))
        return false;

    const bool finest = start.base != nullptr;
    ErosionSettings erosion = coherentErosion(spread, refined.cellSize > 0.0f ? refined.cellSize : 1.0,
                                               options.search.threads);
    const bool firstOfSeveral = !finest && matches.matches.empty();
    if (!firstOfSeveral)
        erosion.iterations = laterErosionIterations;
    if (finest) {
        erosion.tileSide = finestErosionTileSide;
        erosion.tileMargin = finestErosionTileMargin;
    }
    erosion.progress = options.search.progress.part(searchShare, erosionShare, searchShare + erosionShare);
    if (!erodeTerrain(refined, erosion, error))
        return false;
    const bool kept = finest ? keepCoarseShape(refined, *start.base, start.levels, scheme,
                                               startDriftInRelief * reliefOf(*start.base), error)
                             : keepCoarseShape(refined, base, 1, scheme, 0.0, error);
    if (!kept)
        return false;
    base = std::move(refined);
    matches = std::move(levelMatches);
    return true;
}
