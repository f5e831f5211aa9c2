#include "synthesis/CoherentLevel.h"

#include "diagnostics/Diagnostics.h"
#include "multires/GridReplacement.h"
#include "synthesis/HydraulicErosion.h"
#include "synthesis/TerrainPresence.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// How far the erosion of each level goes: enough for rivers to run on from block
// to block, little enough to keep the example's hillslopes (see README, "coherent").
constexpr int erosionIterations = 4;
// The finest level settles once more after its erosion (below), which carries its
// drainage on: there two steps keep the roughness, the spectrum and the pits near the
// truth's on the quality benchmark, and each step saved is a flood of the largest terrain.
constexpr int finestErosionIterations = 2;
constexpr double erosionStrength = 0.01;
// Hollows up to this many times the detail's spread, and of at most lakeSamples
// samples, are the detail's own and fill; larger ones are the terrain's lakes and
// sinkholes. The last settling of the finest level fills only hollows up to one and
// a half spreads deep: deeper ones that survive it are mostly real (the base coarsened
// back must stay within a hundredth of its relief).
constexpr double fillableDepthInSpreads = 3.0;
constexpr double finalFillableDepthInSpreads = 1.5;
constexpr int lakeSamples = 16;
// Filled hollows fall towards their outlet by this gradient (a delta's), so that
// they drain and read as sloping ground rather than as flats.
constexpr double filledGradient = 0.002;
// How far the last settling may move the base's samples, in parts of its relief: the
// result coarsened back stays within a hundredth of it.
constexpr double settledDriftInRelief = 0.005;


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
                    ExampleLayer& layer, QString& error)
{
    SampleRaster smooth;
    if (!refinedWithoutDetail(coarseExample, scheme, smooth, error))
        return false;
    const int width = std::min(smooth.width, fineExample.width);
    const int height = std::min(smooth.height, fineExample.height);
    layer.guide = SampleRaster(width, height);
    layer.detail = SampleRaster(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float smoothHeight = smooth.at(x, y);
            layer.guide.at(x, y) = smoothHeight;
            layer.detail.at(x, y) = float(double(fineExample.heights[std::size_t(y)][std::size_t(x)]) - smoothHeight);
        }
    }
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

// Takes out of `refined` whatever would change its coarsening by more than `tolerance`:
// the scheme's coarsening of refined minus `coarse` (beyond the tolerance either way),
// refined without detail and subtracted. Coarsening, plain refinement and the
// difference are linear and coarsening undoes a plain refinement, so the result
// coarsens to `coarse` again, within the tolerance, while the detail stays.
bool keepCoarseShape(VeskGrid& refined, const VeskGrid& coarse, const SchemeTraits& scheme, double tolerance,
                     QString& error)
{
    VeskGrid drift = refined;
    drift.clearDetails();
    if (!scheme.coarsen(drift)) {
        error = drift.lastError;
        return false;
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
    if (!scheme.refine(drift)) {
        error = drift.lastError;
        return false;
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
    if (!exampleLayerOf(fineExample, coarseExample, scheme, layer, error))
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
    search.progress = options.search.progress;
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
    erosion.iterations = erosionIterations;
    erosion.strength = erosionStrength;
    erosion.lakeDepth = fillableDepthInSpreads * detailSpread;
    erosion.lakeArea = lakeSamples;
    erosion.threads = threads;
    return erosion;
}

bool synthesiseCoherentLevel(VeskGrid& base, const VeskGrid& fineExample, const VeskGrid& coarseExample,
                             const SchemeTraits& scheme, const SynthesisOptions& options, std::uint64_t seed,
                             bool finest, CoherentMatches& matches, QString& error)
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

    ErosionSettings erosion = coherentErosion(spread, refined.cellSize > 0.0f ? refined.cellSize : 1.0,
                                               options.search.threads);
    if (finest)
        erosion.iterations = finestErosionIterations;
    if (!erodeTerrain(refined, erosion, error) || !keepCoarseShape(refined, base, scheme, 0.0, error))
        return false;
    if (finest) {
        // Settling fills the hollows the coarse shape opened again. Its fills stay where
        // they move the base by little: restoring it exactly would open them once more.
        erosion.iterations = 1;
        erosion.strength = 0.0;
        erosion.lakeDepth = finalFillableDepthInSpreads * spread;
        if (!erodeTerrain(refined, erosion, error)
            || !keepCoarseShape(refined, base, scheme, settledDriftInRelief * reliefOf(base), error))
            return false;
    }
    base = std::move(refined);
    matches = std::move(levelMatches);
    return true;
}
