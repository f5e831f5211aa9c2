#include "synthesis/BlockMapper.h"
#include "diagnostics/Diagnostics.h"

#include "synthesis/BlockProgress.h"
#include "synthesis/BlockTiling.h"
#include "synthesis/CandidateRange.h"
#include "synthesis/CandidateScorer.h"
#include "synthesis/ExampleBlockSums.h"
#include "synthesis/MatchThreads.h"
#include "synthesis/RandomBlockSearch.h"
#include "synthesis/RandomRange.h"
#include "synthesis/RefinedBlockSearch.h"

#include <cmath>
#include <cstdio>

namespace {

QString candidateRangeError(int exampleWidth, int exampleHeight, int blockWidth, int blockHeight)
{
    // The message getRand gives for the empty range that would have been drawn from.
    const CandidateRange range = candidateRange(exampleWidth, exampleHeight, blockWidth, blockHeight);
    const int emptyExtent = range.lastY >= 1 ? range.lastX : range.lastY;
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
    if (candidateRange(exampleWidth, exampleHeight, blockSize, blockSize).empty()) {
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

bool BlockMapper::mapBlocks(int candidateCount, std::vector<BlockPosition>& positions, QString& error,
                            const MatchSearch& search, std::vector<float>* blockErrors)
{
    if (!canMap(candidateCount, error))
        return false;
    diagnostics::reportf("Performing mapping (bheight = %i, bs=%i, ol=%i, #cand=%i) ...\n", tiledHeight, blockSize,
                overlap, candidateCount);
    const BlockTiling tiling = tileGrid(tiledWidth, tiledHeight, blockSize, overlap);
    // The refined search visits every block once more per sweep; its sweeps are most of the work.
    const std::int64_t passes = search.mode == MatchSearch::Mode::refined ? 1 + refinementSweeps : 1;
    BlockProgress progress(search.progress, passes * static_cast<std::int64_t>(tiling.blocks.size()));
    BlockMatches matches;
    RandomRangeStream end = RandomRangeStream::current();
    BlockSearchOutcome outcome;
    bool refined = true;
    runWithThreads(search.threads, [&] {
        outcome = searchRandomBlocks(tiledGrid->heights, exampleGrid->heights, tiling, candidateCount,
                                     RandomRangeStream::current(), progress, matches, end);
        if (outcome.kind == BlockSearchOutcome::Kind::matched && search.mode == MatchSearch::Mode::refined)
            refined = refineBlockMatches(tiledGrid->heights, exampleGrid->heights, tiling, progress, matches);
    });
    if (outcome.kind == BlockSearchOutcome::Kind::cancelled || !refined) {
        diagnostics::reportf("Block feature mapping cancelled.\n");
        error = cancelledText();
        return false;
    }
    if (outcome.kind == BlockSearchOutcome::Kind::unscorable) {
        const TiledBlock& block = tiling.blocks[outcome.firstUnscorableBlock];
        diagnostics::reportf("Error in texture transfer, selected not found\n");
        error = QStringLiteral("No example block could be matched to the block at %1, %2.").arg(block.x).arg(block.y);
        return false;
    }
    end.makeCurrent();
    progress.finish();
    diagnostics::reportf("Block feature mapping completed, return mapping for %i blocks.\n",
                static_cast<int>(matches.positions.size()));
    positions = std::move(matches.positions);
    if (blockErrors)
        *blockErrors = std::move(matches.errors);
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
    const CandidateRange range = candidateRange(exampleWidth, exampleHeight, blockWidth, blockHeight);
    if (range.empty()) {
        error = candidateRangeError(exampleWidth, exampleHeight, blockWidth, blockHeight);
        return false;
    }
    const ExampleBlockSums sums = ExampleBlockSums::withoutTable(exampleGrid->heights);
    const CandidateScorer scorer(tiledGrid->heights, tiledPosition, blockWidth, blockHeight, exampleGrid->heights, sums);
    bool found = false;
    BlockPosition best;
    float bestError = 0.0f;
    for (int candidate = 0; candidate < candidateCount; ++candidate) {
        // The range was checked above, so the draws always give a value.
        const int y = static_cast<int>(*getRand(1.0f, static_cast<float>(range.lastY)));
        const int x = static_cast<int>(*getRand(1.0f, static_cast<float>(range.lastX)));
        const float score = scorer.score({x, y});
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

QString BlockMapper::cancelledText()
{
    return QStringLiteral("Block matching was cancelled; nothing was changed.");
}

float BlockMapper::blockError(BlockPosition tiledPosition, BlockPosition examplePosition, int blockWidth,
                              int blockHeight) const
{
    const FloatMatrix& example = exampleGrid->heights;
    const FloatMatrix& tiled = tiledGrid->heights;
    long double exampleSum = 0.0L;
    long double tiledSum = 0.0L;
    for (int i = 0; i < blockHeight; ++i) {
        const FloatRow& exampleRow = example[examplePosition.y + i];
        const FloatRow& tiledRow = tiled[tiledPosition.y + i];
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
        const FloatRow& exampleRow = example[examplePosition.y + i];
        const FloatRow& tiledRow = tiled[tiledPosition.y + i];
        for (int j = 0; j < blockWidth; ++j) {
            const float exampleShape = exampleRow[examplePosition.x + j] - exampleMean;
            const float tiledShape = tiledRow[tiledPosition.x + j] - tiledMean;
            const float difference = exampleShape - tiledShape;
            error += difference * difference;
        }
    }
    return error;
}
