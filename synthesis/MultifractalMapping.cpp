#include "synthesis/MultifractalMapping.h"
#include "diagnostics/Diagnostics.h"

#include "multires/Fractal.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/BlockTiling.h"
#include "synthesis/ExampleRoughness.h"
#include "synthesis/HeightRescale.h"
#include "synthesis/TerrainPresence.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr int smallestMappingBlockSize = 4;
constexpr int candidatesPerBlock = 40;
// Deviation of a first block whose example area gives no samples.
constexpr float deviationWithoutSamples = 10.0f;

int evenPart(int size)
{
    return size - size % 2;
}

// The example as the mapping sees it: height, then width, made even.
VeskGrid trimmedToEven(const VeskGrid& example)
{
    VeskGrid trimmed = example;
    if (trimmed.height % 2 != 0)
        trimmed.adjustSize(trimmed.width, trimmed.height - 1);
    if (trimmed.width % 2 != 0)
        trimmed.adjustSize(trimmed.width - 1, trimmed.height);
    return trimmed;
}

RangeRescale rescaleBaseToExample(VeskGrid& base, const VeskGrid& example)
{
    diagnostics::reportf("*** Rescaling the target terrain before feature mapping ***\n");
    const RangeRescale rescale = rescaleToExampleRange(base.heights, example.heights);
    if (rescale.applied)
        base.computeStatistics();
    return rescale;
}

// Back to the base's own range. Noise may push a base that had no negative
// heights below 0; such samples take the rescaled height at row 0, column 0
// (itself 0 if it fell below 0, rather than a height of the example's range).
// A base that had negative heights keeps them.
void rescaleBaseBack(VeskGrid& base, const RangeRescale& rescale)
{
    diagnostics::reportf("*** Rescaling base terrain back to original range after feature mapping. ***\n");
    const double exampleMinimum = rescale.exampleRange.minimum;
    const double exampleExtent = rescale.exampleRange.extent();
    const double baseMinimum = rescale.baseRange.minimum;
    const double baseExtent = rescale.baseRange.extent();
    const auto backToBase = [&](float value) {
        return static_cast<float>((value - exampleMinimum) / exampleExtent * baseExtent + baseMinimum);
    };
    const bool clampBelowZero = baseMinimum >= 0.0;
    const float cornerHeight = std::max(0.0f, backToBase(base.heights[0][0]));
    for (auto& row : base.heights) {
        for (float& value : row) {
            const float rescaled = backToBase(value);
            value = (clampBelowZero && rescaled < 0.0f) ? cornerHeight : rescaled;
        }
    }
    base.refresh();
}

RoughnessMap measureRoughness(const ExampleDetailField& field, const std::vector<BlockPosition>& mapping,
                              const BlockTiling& tiling)
{
    RoughnessMap map;
    map.blockSize = tiling.blockSize;
    map.blocksAcross = tiling.blocksPerRow;
    map.blocksDown = tiling.blocksPerColumn;
    map.deviations.reserve(mapping.size());
    float lastMean = 0.0f;
    for (std::size_t index = 0; index < mapping.size(); ++index) {
        const BlockPosition example = mapping[index];
        const BlockRoughness block = measureBlockRoughness(field, example, tiling.blockSize);
        float deviation = block.deviation;
        if (block.sampleCount > 0)
            lastMean = block.mean;
        else
            deviation = map.deviations.empty() ? deviationWithoutSamples : map.deviations.back();
        map.deviations.push_back(deviation);
        diagnostics::reportf("Res. %i, block at %i,%i\tmean=%1.2f\tstd dev=%1.1f from %i samples\n", static_cast<int>(index),
                    example.y, example.x, lastMean, deviation, block.sampleCount);
    }
    return map;
}

} // namespace

bool multifractalMapping(VeskGrid& base, VeskGrid& example, const SynthesisOptions& options, QString& error,
                         RoughnessMap* roughness)
{
    const bool rescaleBefore = options.rescaleBefore;
    const bool rescaleAfter = options.rescaleAfter;
    const MatchSearch& search = options.search;
    if (!checkTerrainHasData(base, "multifractal mapping", "base", error) ||
        !checkTerrainHasData(example, "multifractal mapping", "target", error))
        return false;
    const int exampleWidth = evenPart(example.width);
    const int exampleHeight = evenPart(example.height);
    const int blockSize = halveBlockSizeBelow(options.blockSize, {base.width, base.height, exampleWidth, exampleHeight});
    if (blockSize < smallestMappingBlockSize) {
        diagnostics::reportf("Error, block size = %i, must be 4 or greater!\n", blockSize);
        error = QStringLiteral("The block size comes to %1 for these terrains (base %2 x %3, example %4 x %5); "
                               "it must be 4 or greater.")
                    .arg(blockSize)
                    .arg(base.width)
                    .arg(base.height)
                    .arg(exampleWidth)
                    .arg(exampleHeight);
        return false;
    }
    if (rescaleAfter && !rescaleBefore) {
        diagnostics::reportf("Make no sense to only scale after quilting but not before\n");
        error = QStringLiteral("Rescaling when finished needs rescaling when quilting as well.");
        return false;
    }

    // Everything below works on copies; the grids change only once all has succeeded.
    VeskGrid workingExample = trimmedToEven(example);
    VeskGrid workingBase = base;
    BlockMapper mapper(workingBase, workingExample, blockSize, 0);
    if (!mapper.canMap(candidatesPerBlock, error))
        return false;

    RangeRescale rescale;
    if (rescaleBefore)
        rescale = rescaleBaseToExample(workingBase, workingExample);
    diagnostics::reportf("Starting multifractal mapping with blocksize = %i\nTarget is %i X %i, Base is %i X %i\n", blockSize,
                workingExample.width, workingExample.height, workingBase.width, workingBase.height);

    std::vector<BlockPosition> mapping;
    if (!mapper.mapBlocks(candidatesPerBlock, mapping, error, search))
        return false;
    diagnostics::reportf("Mapper returned %i mappings\n", static_cast<int>(mapping.size()));

    const ExampleDetailField field = exampleDetailField(workingExample);
    if (field.columnDetails.empty() || field.rowDetails.empty()) {
        diagnostics::reportf("Error in multifractal mapping - no details for a %i X %i target\n", workingExample.width,
                    workingExample.height);
        error = QStringLiteral("The example terrain is too small to measure its detail.");
        return false;
    }
    diagnostics::reportf("Size of target is %i X %i\n", workingExample.width, workingExample.height);

    const BlockTiling tiling = tileGrid(workingBase.width, workingBase.height, blockSize, 0);
    RoughnessMap map = measureRoughness(field, mapping, tiling);
    if (!subdivideFractalByBlocks(workingBase, map.deviations, map.blocksAcross, map.blocksDown, map.blockSize)) {
        error = workingBase.lastError;
        return false;
    }
    if (rescale.applied && rescaleAfter)
        rescaleBaseBack(workingBase, rescale);

    base = workingBase;
    if (workingExample.width != example.width || workingExample.height != example.height)
        example = workingExample;
    if (roughness)
        *roughness = std::move(map);
    return true;
}
