#include "diagnostics/CollectingSink.h"
#include "multires/Scheme.h"
#include "synthesis/CoherentSynthesis.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

// One level of coherent synthesis on the real 403 x 344 DEM coarsened once, its north
// half from its south half, before erosion and before the base's shape is restored: the detail
// it lays must be as strong as the example's and still a detail of the scheme, or
// restoring the base's shape takes it away.

namespace {

struct Level {
    SampleRaster guide;
    ExampleLayer example;
};

// Rows first to first + 170 of the DEM, coarsened `coarsenings` times: that coarsened
// once more and refined without detail (the smooth part), and what it has beyond that.
ExampleLayer layerOfTheSampleDem(int first, int coarsenings)
{
    VeskGrid dem;
    EXPECT_TRUE(dem.loadGRDFile(QString::fromStdString(testDataPath("jacksboro.grd"))));
    VeskGrid fine = makeTerrain(dem.width, 170, [&](int x, int y) { return dem.heights[first + y][x]; });
    for (int i = 0; i < coarsenings; ++i)
        EXPECT_TRUE(traitsOf(Scheme::chaikin).coarsen(fine));
    fine.clearDetails();
    VeskGrid smooth = fine;
    EXPECT_TRUE(traitsOf(Scheme::chaikin).coarsen(smooth));
    smooth.clearDetails();
    EXPECT_TRUE(traitsOf(Scheme::chaikin).refine(smooth));
    const int width = std::min(fine.width, smooth.width);
    const int height = std::min(fine.height, smooth.height);
    ExampleLayer layer;
    layer.guide = rasterOf(smooth.heights, width, height);
    layer.detail = SampleRaster(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            layer.detail.at(x, y) = fine.heights[y][x] - smooth.heights[y][x];
    return layer;
}

SampleRaster synthesised(const Level& level, int blockSize, int mirrorParity)
{
    CoherentSearch search;
    search.seed = 7;
    search.mirrorParity = mirrorParity;
    SampleRaster detail;
    CoherentMatches matches;
    QString error;
    EXPECT_TRUE(synthesiseCoherentDetail(level.guide, level.example, blockSize, nullptr, search, detail, matches, error))
        << error.toStdString();
    return detail;
}

// The root mean square of what Chaikin's coarsening makes of the detail: none of a
// genuine Chaikin detail survives it.
double coarsenedSpread(const SampleRaster& detail)
{
    VeskGrid grid = makeTerrain(detail.width, detail.height, [&](int x, int y) { return detail.at(x, y); });
    EXPECT_TRUE(traitsOf(Scheme::chaikin).coarsen(grid));
    double squares = 0.0;
    for (int y = 0; y < grid.height; ++y)
        for (int x = 0; x < grid.width; ++x)
            squares += double(grid.heights[y][x]) * double(grid.heights[y][x]);
    return std::sqrt(squares / (double(grid.width) * double(grid.height)));
}

} // namespace

TEST(CoherentDetail, KeepsTheExamplesStrengthAndStaysADetailOfTheScheme)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const Level level{layerOfTheSampleDem(0, 1).guide, layerOfTheSampleDem(174, 1)};
    // Small blocks are scored on every sample, blocks of 48 on every second one.
    for (const int blockSize : {10, 48}) {
        SCOPED_TRACE(blockSize);
        const SampleRaster onLattice = synthesised(level, blockSize, 1);
        const SampleRaster offLattice = synthesised(level, blockSize, 0);
        // Matching the overlaps by their relative disagreement does not favour the
        // example's quietest places.
        EXPECT_GE(spreadOf(onLattice), 0.9 * spreadOf(level.example.detail));
        // Mirrored blocks at odd offsets keep Chaikin's pairs of fine samples together:
        // far less of the laid detail coarsens to something than with even offsets.
        EXPECT_LT(coarsenedSpread(onLattice), 0.5 * coarsenedSpread(offLattice));
    }
}
