#include "synthesis/BlockMapper.h"
#include "diagnostics/Diagnostics.h"

#include "synthesis/BlockTiling.h"
#include "synthesis/RandomRange.h"

#include <cmath>
#include <cstdio>

namespace {

// The largest first row (or column) a candidate may take for a block of this extent.
int lastCandidateStart(int exampleExtent, int blockExtent)
{
    return exampleExtent - blockExtent - 2;
}

bool candidateRangeFits(int exampleExtent, int blockExtent)
{
    return lastCandidateStart(exampleExtent, blockExtent) >= 1;
}

QString candidateRangeError(int exampleWidth, int exampleHeight, int blockWidth, int blockHeight)
{
    // The message getRand gives for the empty range that would have been drawn from.
    const int emptyExtent = candidateRangeFits(exampleHeight, blockHeight) ? lastCandidateStart(exampleWidth, blockWidth)
                                                                          : lastCandidateStart(exampleHeight, blockHeight);
    diagnostics::reportf("Error in getRand, max=%1.3f, min=%1.3f\n", static_cast<double>(emptyExtent), 1.0);
    return QStringLiteral("The example terrain (%1 x %2) is too small for blocks of %3 x %4 samples.")
        .arg(exampleWidth)
        .arg(exampleHeight)
        .arg(blockWidth)
        .arg(blockHeight);
}

} // namespace

BlockMapper::BlockMapper(const VeskGrid& tiled, const VeskGrid& example, int size, int overlapSamples)
    : blockSize(size),
      overlap(overlapSamples),
      exampleWidth(example.width),
      exampleHeight(example.height),
      tiledWidth(tiled.width),
      tiledHeight(tiled.height),
      exampleGrid(&example),
      tiledGrid(&tiled)
{
}

bool BlockMapper::canMap(int candidateCount, QString& error) const
{
    if (!canTile(tiledWidth, tiledHeight, blockSize, overlap)) {
        diagnostics::reportf("Error in block mapping: blocks of %i with overlap %i cannot tile a %i X %i terrain\n",
                    blockSize, overlap, tiledWidth, tiledHeight);
        error = QStringLiteral("Blocks of %1 samples with an overlap of %2 cannot tile a %3 x %4 terrain.")
                    .arg(blockSize)
                    .arg(overlap)
                    .arg(tiledWidth)
                    .arg(tiledHeight);
        return false;
    }
    // Edge blocks are never larger than a full block, so a full block decides.
    if (!candidateRangeFits(exampleHeight, blockSize) || !candidateRangeFits(exampleWidth, blockSize)) {
        error = candidateRangeError(exampleWidth, exampleHeight, blockSize, blockSize);
        return false;
    }
    if (candidateCount < 1) {
        diagnostics::reportf("Error in block mapping: %i candidates per block\n", candidateCount);
        error = QStringLiteral("Block matching needs at least one candidate per block.");
        return false;
    }
    return true;
}

bool BlockMapper::mapBlocks(int candidateCount, std::vector<BlockPosition>& positions, QString& error)
{
    if (!canMap(candidateCount, error))
        return false;
    diagnostics::reportf("Performing mapping (bheight = %i, bs=%i, ol=%i, #cand=%i) ...\n", tiledHeight, blockSize,
                overlap, candidateCount);
    const BlockTiling tiling = tileGrid(tiledWidth, tiledHeight, blockSize, overlap);
    std::vector<BlockPosition> mapping;
    mapping.reserve(tiling.blocks.size());
    for (const TiledBlock& block : tiling.blocks) {
        BlockPosition chosen;
        if (!selectBlock({block.x, block.y}, candidateCount, block.width, block.height, chosen, error))
            return false;
        mapping.push_back(chosen);
    }
    diagnostics::reportf("Block feature mapping completed, return mapping for %i blocks.\n",
                static_cast<int>(mapping.size()));
    positions = std::move(mapping);
    return true;
}

bool BlockMapper::selectBlock(BlockPosition tiledPosition, int candidateCount, int blockWidth, int blockHeight,
                              BlockPosition& chosen, QString& error)
{
    if (blockWidth < 1 || blockHeight < 1 || tiledPosition.x < 0 || tiledPosition.y < 0
        || tiledPosition.x + blockWidth > tiledWidth || tiledPosition.y + blockHeight > tiledHeight) {
        diagnostics::reportf("Error in block mapping: block at %i,%i of %i X %i lies outside the %i X %i terrain\n",
                    tiledPosition.x, tiledPosition.y, blockWidth, blockHeight, tiledWidth, tiledHeight);
        error = QStringLiteral("The block to match lies outside the terrain.");
        return false;
    }
    if (!candidateRangeFits(exampleHeight, blockHeight) || !candidateRangeFits(exampleWidth, blockWidth)) {
        error = candidateRangeError(exampleWidth, exampleHeight, blockWidth, blockHeight);
        return false;
    }
    bool found = false;
    BlockPosition best;
    float bestError = 0.0f;
    for (int candidate = 0; candidate < candidateCount; ++candidate) {
        // Both ranges were checked above, so the draws always give a value.
        const int y = static_cast<int>(*getRand(1.0f, static_cast<float>(lastCandidateStart(exampleHeight, blockHeight))));
        const int x = static_cast<int>(*getRand(1.0f, static_cast<float>(lastCandidateStart(exampleWidth, blockWidth))));
        const float score = blockError(tiledPosition, {x, y}, blockWidth, blockHeight);
        // A score that is not a number never wins; strictly smaller keeps the first of equals.
        if (std::isnan(score))
            continue;
        if (!found || score < bestError) {
            found = true;
            best = {x, y};
            bestError = score;
        }
    }
    if (!found) {
        diagnostics::reportf("Error in texture transfer, selected not found\n");
        error = QStringLiteral("No example block could be matched to the block at %1, %2.")
                    .arg(tiledPosition.x)
                    .arg(tiledPosition.y);
        return false;
    }
    chosen = best;
    return true;
}

float BlockMapper::blockError(BlockPosition tiledPosition, BlockPosition examplePosition, int blockWidth,
                              int blockHeight) const
{
    const FloatMatrix& example = exampleGrid->heights;
    const FloatMatrix& tiled = tiledGrid->heights;
    long double exampleSum = 0.0L;
    long double tiledSum = 0.0L;
    for (int i = 0; i < blockHeight; ++i) {
        const std::vector<float>& exampleRow = example[examplePosition.y + i];
        const std::vector<float>& tiledRow = tiled[tiledPosition.y + i];
        for (int j = 0; j < blockWidth; ++j) {
            exampleSum += exampleRow[examplePosition.x + j];
            tiledSum += tiledRow[tiledPosition.x + j];
        }
    }
    const float sampleCount = static_cast<float>(blockWidth * blockHeight);
    const float exampleMean = static_cast<float>(exampleSum / sampleCount);
    const float tiledMean = static_cast<float>(tiledSum / sampleCount);
    float error = 0.0f;
    for (int i = 0; i < blockHeight; ++i) {
        const std::vector<float>& exampleRow = example[examplePosition.y + i];
        const std::vector<float>& tiledRow = tiled[tiledPosition.y + i];
        for (int j = 0; j < blockWidth; ++j) {
            const float exampleShape = exampleRow[examplePosition.x + j] - exampleMean;
            const float tiledShape = tiledRow[tiledPosition.x + j] - tiledMean;
            const float difference = exampleShape - tiledShape;
            error += difference * difference;
        }
    }
    return error;
}
