#include "diagnostics/CollectingSink.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/MultifractalMapping.h"

#include "multires/Chaikin.h"
#include "multires/Fractal.h"
#include "synthesis/RandomRange.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cmath>

// Transfer on the real 403 x 344 DEM: the refined base must carry the example's
// detail. These tests reset the process-wide uniform generator first.

namespace {

VeskGrid loadSampleTerrain()
{
    VeskGrid terrain;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const bool loaded = terrain.loadGRDFile(QString::fromStdString(testDataPath("jacksboro.grd")));
    EXPECT_TRUE(loaded) << terrain.lastError.toStdString();
    return terrain;
}

float detailDeviationOf(VeskGrid grid)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const float deviation = estimateDetailDeviation(grid);
    return deviation;
}

// Gentle hills with the relief of the sample terrain, far smoother than it.
VeskGrid smoothBase(const VeskGrid& like, int width, int height)
{
    const float middle = 0.5f * (like.minHeight + like.maxHeight);
    const float relief = 0.25f * (like.maxHeight - like.minHeight);
    VeskGrid base = makeTerrain(width, height, [=](int x, int y) {
        return middle + relief * static_cast<float>(std::sin(x / 17.0) * std::cos(y / 23.0));
    });
    base.cellSize = like.cellSize * 2.0f;
    return base;
}

} // namespace

TEST(DetailTransfer, QuiltedDetailOfTheSampleTerrainSurvivesRefinement)
{
    const VeskGrid terrain = loadSampleTerrain();
    ASSERT_EQ(terrain.width, 403);
    ASSERT_EQ(terrain.height, 344);
    const float exampleDeviation = detailDeviationOf(terrain);
    ASSERT_GT(exampleDeviation, 0.0f);

    VeskGrid example = terrain;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(reverseChaikin(example));

    VeskGrid base = smoothBase(terrain, 120, 110);
    VeskGrid smoothOnly = base;
    QuiltMatches matches;
    QString error;
    resetRandomRangeGenerator();
    ASSERT_TRUE(quiltDetails(base, example, SynthesisOptions{.blockSize = 20, .rescaleBefore = false, .rescaleAfter = false, .search = {}}, matches, error)) << error.toStdString();
    ASSERT_TRUE(subdivideChaikin(base));
    ASSERT_TRUE(subdivideChaikinWithoutDetails(smoothOnly));
    ASSERT_EQ(base.width, 238);
    ASSERT_EQ(base.height, 218);
    EXPECT_TRUE(base.details.empty());

    const float transferredDeviation = detailDeviationOf(base);
    const float smoothDeviation = detailDeviationOf(smoothOnly);
    EXPECT_NEAR(transferredDeviation, exampleDeviation, 0.25f * exampleDeviation)
        << "example " << exampleDeviation << ", transferred " << transferredDeviation;
    EXPECT_LT(smoothDeviation, 0.1f * exampleDeviation) << "smooth base alone " << smoothDeviation;
}

TEST(DetailTransfer, MultifractalMappingOfTheSampleTerrainAddsDetail)
{
    VeskGrid example = loadSampleTerrain();
    VeskGrid base = smoothBase(example, 120, 110);
    VeskGrid smoothOnly = base;
    RoughnessMap roughness;
    QString error;
    resetRandomRangeGenerator();
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(multifractalMapping(base, example, SynthesisOptions{.blockSize = 16, .rescaleBefore = false, .rescaleAfter = false, .search = {}}, error, &roughness)) << error.toStdString();
    ASSERT_TRUE(subdivideChaikinWithoutDetails(smoothOnly));
    // The odd example width is trimmed: 403 -> 402.
    EXPECT_EQ(example.width, 402);
    EXPECT_EQ(example.height, 344);
    EXPECT_EQ(base.width, 238);
    EXPECT_EQ(base.height, 218);
    EXPECT_EQ(roughness.deviations.size(), static_cast<std::size_t>(8 * 7));
    EXPECT_GT(detailDeviationOf(base), 5.0f * detailDeviationOf(smoothOnly));
}
