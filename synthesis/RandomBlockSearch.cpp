// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "synthesis/RandomBlockSearch.h"

#include "synthesis/CandidateRange.h"
#include "synthesis/CandidateScorer.h"
#include "synthesis/ExampleBlockSums.h"
#include "synthesis/PackedExample.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <map>

namespace {

// Candidates scored at a time: small enough to stay in cache and to look at the
// cancel request often.
constexpr int candidatesPerBatch = 512;

int exampleWidthOf(const FloatMatrix& example)
{
    return example.empty() ? 0 : static_cast<int>(example.front().size());
}

int drawsPerCandidate(const CandidateRange& range)
{
    // getRand draws nothing from a range of one value.
    return (range.lastY > 1 ? 1 : 0) + (range.lastX > 1 ? 1 : 0);
}

// Where each block's draws start, counted from block 0's.
std::vector<std::uint64_t> drawOffsets(const std::vector<TiledBlock>& blocks, int exampleWidth, int exampleHeight,
                                       int candidateCount, std::uint64_t& totalDraws)
{
    std::vector<std::uint64_t> offsets;
    offsets.reserve(blocks.size());
    std::uint64_t draws = 0;
    for (const TiledBlock& block : blocks) {
        offsets.push_back(draws);
        const CandidateRange range = candidateRange(exampleWidth, exampleHeight, block.width, block.height);
        draws += static_cast<std::uint64_t>(candidateCount) * drawsPerCandidate(range);
    }
    totalDraws = draws;
    return offsets;
}

// For each last candidate start the blocks use, the truncated value getRand(1, last)
// gives for every raw value: a look-up instead of the double arithmetic per draw.
class DrawTables {
public:
    DrawTables(const std::vector<TiledBlock>& blocks, int exampleWidth, int exampleHeight)
    {
        for (const TiledBlock& block : blocks) {
            const CandidateRange range = candidateRange(exampleWidth, exampleHeight, block.width, block.height);
            add(range.lastX);
            add(range.lastY);
        }
    }

    // The table for getRand(1, last), last > 1.
    const std::vector<int>& of(int last) const { return tables_.at(last); }

private:
    static constexpr int rawValues = 32768;

    void add(int last)
    {
        if (last <= 1 || tables_.count(last) != 0)
            return;
        std::vector<int>& table = tables_[last];
        table.resize(rawValues);
        for (int raw = 0; raw < rawValues; ++raw)
            table[raw] = static_cast<int>(rawToRange(raw, 1.0f, static_cast<float>(last)));
    }

    std::map<int, std::vector<int>> tables_;
};

// The candidates' indices sorted by their first row (a counting sort; equal rows keep
// the draw order).
std::vector<int> rowOrder(const std::vector<BlockPosition>& candidates, int rows)
{
    std::vector<int> next(static_cast<std::size_t>(rows) + 1, 0);
    for (const BlockPosition& candidate : candidates)
        ++next[static_cast<std::size_t>(candidate.y) + 1];
    for (std::size_t y = 1; y < next.size(); ++y)
        next[y] += next[y - 1];
    std::vector<int> order(candidates.size());
    for (std::size_t k = 0; k < candidates.size(); ++k)
        order[static_cast<std::size_t>(next[static_cast<std::size_t>(candidates[k].y)]++)] = static_cast<int>(k);
    return order;
}

// One coordinate of a candidate: a range of one value draws nothing and gives 1.
int drawStart(RandomRangeStream& stream, const std::vector<int>* table)
{
    return table == nullptr ? 1 : (*table)[stream.nextRaw()];
}

struct BlockWinner {
    bool found = false;
    bool cancelled = false;
    BlockPosition position;
    float error = 0.0f;
};

struct SearchData {
    const FloatMatrix& tiled;
    const FloatMatrix& example;
    const ExampleBlockSums& sums;
    const PackedExample& packed;
    const DrawTables& tables;
};

BlockWinner searchBlock(const SearchData& data, const TiledBlock& block, int candidateCount, RandomRangeStream stream,
                        const BlockProgress& progress)
{
    const CandidateRange range = candidateRange(exampleWidthOf(data.example), static_cast<int>(data.example.size()),
                                                block.width, block.height);
    const std::vector<int>* rowTable = range.lastY > 1 ? &data.tables.of(range.lastY) : nullptr;
    const std::vector<int>* columnTable = range.lastX > 1 ? &data.tables.of(range.lastX) : nullptr;
    const CandidateScorer scorer(data.tiled, {block.x, block.y}, block.width, block.height, data.example, data.sums,
                                 &data.packed);
    // Every candidate is drawn first, in the order of the draws. They are scored row by
    // row of the example instead, so that the many candidates that share rows find them
    // in the cache; the winner is still the first of the smallest in draw order.
    std::vector<BlockPosition> candidates(static_cast<std::size_t>(candidateCount));
    for (BlockPosition& candidate : candidates) {
        const int y = drawStart(stream, rowTable);
        const int x = drawStart(stream, columnTable);
        candidate = {x, y};
    }
    const std::vector<int> order = rowOrder(candidates, static_cast<int>(data.example.size()));
    std::vector<float> scores(candidates.size());
    BlockPosition batch[candidatesPerBatch];
    float batchScores[candidatesPerBatch];
    BlockWinner winner;
    for (int first = 0; first < candidateCount; first += candidatesPerBatch) {
        if (progress.cancelled()) {
            winner.cancelled = true;
            return winner;
        }
        const int count = std::min(candidatesPerBatch, candidateCount - first);
        for (int k = 0; k < count; ++k)
            batch[k] = candidates[static_cast<std::size_t>(order[static_cast<std::size_t>(first + k)])];
        scorer.scoreAll(batch, count, batchScores);
        for (int k = 0; k < count; ++k)
            scores[static_cast<std::size_t>(order[static_cast<std::size_t>(first + k)])] = batchScores[k];
    }
    for (std::size_t k = 0; k < candidates.size(); ++k) {
        // A score that is not a number never wins; strictly smaller keeps the first of equals.
        if (std::isnan(scores[k]))
            continue;
        if (!winner.found || scores[k] < winner.error) {
            winner.found = true;
            winner.position = candidates[k];
            winner.error = scores[k];
        }
    }
    return winner;
}

} // namespace

BlockSearchOutcome searchRandomBlocks(const FloatMatrix& tiled, const FloatMatrix& example, const BlockTiling& tiling,
                                      int candidateCount, RandomRangeStream from, BlockProgress& progress,
                                      BlockMatches& matches, RandomRangeStream& end)
{
    const std::vector<TiledBlock>& blocks = tiling.blocks;
    const int blockCount = static_cast<int>(blocks.size());
    std::uint64_t totalDraws = 0;
    const std::vector<std::uint64_t> offsets =
        drawOffsets(blocks, exampleWidthOf(example), static_cast<int>(example.size()), candidateCount, totalDraws);
    const ExampleBlockSums sums(example, tiling.blockSize * tiling.blockSize);
    const PackedExample packed(example);
    const DrawTables tables(blocks, exampleWidthOf(example), static_cast<int>(example.size()));
    const SearchData data{tiled, example, sums, packed, tables};

    std::vector<BlockPosition> positions(blocks.size());
    std::vector<float> errors(blocks.size(), 0.0f);
    std::atomic<int> firstUnscorable{blockCount};
    std::atomic<bool> cancelled{false};
    tbb::parallel_for(tbb::blocked_range<int>(0, blockCount, 1), [&](const tbb::blocked_range<int>& range) {
        for (int index = range.begin(); index != range.end(); ++index) {
            if (cancelled.load(std::memory_order_relaxed))
                return;
            const BlockWinner winner =
                searchBlock(data, blocks[index], candidateCount, from.skipped(offsets[index]), progress);
            if (winner.cancelled) {
                cancelled = true;
                return;
            }
            if (!winner.found) {
                int known = firstUnscorable.load();
                while (index < known && !firstUnscorable.compare_exchange_weak(known, index)) {
                }
            } else {
                positions[index] = winner.position;
                errors[index] = winner.error;
            }
            progress.blockDone();
        }
    });
    if (cancelled)
        return {BlockSearchOutcome::Kind::cancelled};
    if (firstUnscorable < blockCount)
        return {BlockSearchOutcome::Kind::unscorable, firstUnscorable.load()};
    matches.positions = std::move(positions);
    matches.errors = std::move(errors);
    end = from.skipped(totalDraws);
    return {};
}
