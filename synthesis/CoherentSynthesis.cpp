// oneTBB first: Qt's "emit" keyword macro, which the grid headers bring, breaks its headers.
#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "synthesis/CoherentSynthesis.h"

#include "diagnostics/Diagnostics.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/MatchThreads.h"
#include "synthesis/Orientation.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace {

constexpr int smallestBlockSize = 4;
// Blocks are scored on at most about this many samples a side: the guide is the
// smooth part of the terrain, so a sparser look at a large block tells the candidates
// apart as well, and the time per candidate stops growing with the block's area.
constexpr int scoredSamplesPerSide = 32;

int scoringStride(int side)
{
    return std::max(1, (side + scoredSamplesPerSide - 1) / scoredSamplesPerSide);
}

// SplitMix64: a block's generator depends on nothing but its seed, so the draws are
// the same whatever thread runs the block and in whatever order.
class BlockGenerator {
public:
    explicit BlockGenerator(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, count).
    int below(int count) { return count <= 1 ? 0 : static_cast<int>(next() % std::uint64_t(count)); }
    // Uniform in [-reach, reach].
    int within(int reach) { return below(2 * reach + 1) - reach; }

private:
    std::uint64_t state_;
};

std::uint64_t blockSeed(std::uint64_t levelSeed, int pass, int block)
{
    BlockGenerator mixer(levelSeed ^ (std::uint64_t(pass + 1) << 40) ^ std::uint64_t(block) * 0x2545f4914f6cdd1dULL);
    return mixer.next();
}

// The example samples a block of side `side` covers when laid with orientation o at
// corner (0, 0): offsets from minX to maxX and minY to maxY.
struct Footprint {
    int minX = 0;
    int maxX = 0;
    int minY = 0;
    int maxY = 0;
};

Footprint footprintOf(const Orientation& o, int side)
{
    const int last = side - 1;
    Footprint footprint;
    for (const int u : {0, last}) {
        for (const int v : {0, last}) {
            footprint.minX = std::min(footprint.minX, o.mapX(u, v));
            footprint.maxX = std::max(footprint.maxX, o.mapX(u, v));
            footprint.minY = std::min(footprint.minY, o.mapY(u, v));
            footprint.maxY = std::max(footprint.maxY, o.mapY(u, v));
        }
    }
    return footprint;
}

// The example coordinate `start` that output coordinate `first` maps to, moved by one
// within [lowest, highest] where needed so that the offset between them has the parity
// the scheme's lattice asks for (`sign` is +1 where the block runs the same way).
int onLattice(int start, int first, int sign, int mirrorParity, int lowest, int highest)
{
    const int wanted = sign > 0 ? 0 : mirrorParity;
    if (((start - sign * first) & 1) == wanted)
        return start;
    return start + 1 <= highest ? start + 1 : std::max(lowest, start - 1);
}

// The same orientation moved the least distance so that the whole block lies in the
// example and on the scheme's lattice; the block's output corner is (ox, oy).
CoherentMatch keptInside(CoherentMatch match, int side, int exampleWidth, int exampleHeight, int ox, int oy,
                         int mirrorParity)
{
    const Orientation& o = orientations[std::size_t(match.orientation)];
    const Footprint f = footprintOf(o, side);
    const int lowestX = -f.minX;
    const int highestX = exampleWidth - 1 - f.maxX;
    const int lowestY = -f.minY;
    const int highestY = exampleHeight - 1 - f.maxY;
    match.x = std::clamp(match.x, lowestX, highestX);
    match.y = std::clamp(match.y, lowestY, highestY);
    // Example x follows output x (xFromU) or output y (xFromV), one of them +-1.
    match.x = o.xFromU != 0 ? onLattice(match.x, ox, o.xFromU, mirrorParity, lowestX, highestX)
                            : onLattice(match.x, oy, o.xFromV, mirrorParity, lowestX, highestX);
    match.y = o.yFromU != 0 ? onLattice(match.y, ox, o.yFromU, mirrorParity, lowestY, highestY)
                            : onLattice(match.y, oy, o.yFromV, mirrorParity, lowestY, highestY);
    return match;
}

class LevelSearch {
public:
    LevelSearch(const SampleRaster& guide, const ExampleLayer& example, int side, const CoherentSearch& search)
        : guide_(guide), example_(example), side_(side), stride_(scoringStride(side)), search_(search),
          originsX_(blockOrigins(guide.width, side)),
          originsY_(blockOrigins(guide.height, side)), across_(int(originsX_.size())), down_(int(originsY_.size())),
          matches_(std::size_t(across_) * std::size_t(down_))
    {
        centreGuideBlocks();
        const double spread = spreadOf(example_.detail);
        exampleDetailVariance_ = spread * spread;
    }

    int blockCount() const { return across_ * down_; }

    // Each block's best of its random candidates and the coarser level's match under it.
    void start(const CoherentMatches* coarser)
    {
        forBlocks([&](int block) {
            BlockGenerator generator(blockSeed(search_.seed, 0, block));
            std::vector<CoherentMatch> candidates;
            if (coarser != nullptr && !coarser->matches.empty())
                candidates.push_back(fromCoarser(block, *coarser));
            for (int i = 0; i < search_.randomCandidates; ++i)
                candidates.push_back(randomMatch(block, generator));
            matches_[std::size_t(block)] = best(block, candidates, false);
        });
    }

    // One pass: the four sets of blocks that never touch, one after the other.
    void pass(int passNumber)
    {
        for (int set = 0; set < 4; ++set) {
            forBlocks([&](int block) {
                if ((block % across_) % 2 != set % 2 || (block / across_) % 2 != set / 2)
                    return;
                BlockGenerator generator(blockSeed(search_.seed, passNumber, block));
                matches_[std::size_t(block)] = best(block, refinementCandidates(block, generator), true);
            });
        }
    }

    // The detail of every block, blended where blocks overlap by weights that fall
    // off towards each block's sides (except at the terrain's own borders). The sum
    // is divided by the weights' root sum of squares rather than their sum, so that
    // where unrelated details meet their blend keeps the detail's spread instead of
    // flattening it (where neighbours continue each other it is a little stronger).
    SampleRaster composedDetail() const
    {
        SampleRaster detail(guide_.width, guide_.height);
        const std::vector<std::vector<float>> weightsX = sideWeights(originsX_);
        const std::vector<std::vector<float>> weightsY = sideWeights(originsY_);
        runWithThreads(search_.threads, [&] { tbb::parallel_for(0, guide_.height, [&](int y) {
            std::vector<double> sum(std::size_t(guide_.width), 0.0);
            std::vector<double> squares(std::size_t(guide_.width), 0.0);
            for (int by = 0; by < down_; ++by) {
                const int v = y - originsY_[std::size_t(by)];
                if (v < 0 || v >= side_)
                    continue;
                const float wy = weightsY[std::size_t(by)][std::size_t(v)];
                for (int bx = 0; bx < across_; ++bx) {
                    const CoherentMatch& match = matches_[std::size_t(by * across_ + bx)];
                    const Orientation& o = orientations[std::size_t(match.orientation)];
                    const int ox = originsX_[std::size_t(bx)];
                    for (int u = 0; u < side_; ++u) {
                        const double w = double(wy) * double(weightsX[std::size_t(bx)][std::size_t(u)]);
                        const float value = example_.detail.at(match.x + o.mapX(u, v), match.y + o.mapY(u, v));
                        sum[std::size_t(ox + u)] += w * double(value);
                        squares[std::size_t(ox + u)] += w * w;
                    }
                }
            }
            for (int x = 0; x < guide_.width; ++x)
                detail.at(x, y) = float(sum[std::size_t(x)] / std::sqrt(squares[std::size_t(x)]));
        }); });
        return detail;
    }

    CoherentMatches result() const { return {side_, originsX_, originsY_, matches_}; }

    bool cancelled() const { return search_.progress.cancelled(); }

    void reportVisits(std::int64_t done, std::int64_t total) const { search_.progress.advance(done, total); }

private:
    template <typename Work>
    void forBlocks(const Work& work) const
    {
        runWithThreads(search_.threads, [&] {
            tbb::parallel_for(tbb::blocked_range<int>(0, blockCount(), 16), [&](const tbb::blocked_range<int>& range) {
                if (cancelled())
                    return;
                for (int block = range.begin(); block != range.end(); ++block)
                    work(block);
            });
        });
    }

    // The guide's mean and centred sum of squares over each block's scored samples.
    void centreGuideBlocks()
    {
        blockMeans_.resize(std::size_t(blockCount()));
        blockSquares_.resize(std::size_t(blockCount()));
        for (int block = 0; block < blockCount(); ++block) {
            const int ox = originX(block);
            const int oy = originY(block);
            double sum = 0.0;
            double count = 0.0;
            for (int v = 0; v < side_; v += stride_)
                for (int u = 0; u < side_; u += stride_) {
                    sum += guide_.at(ox + u, oy + v);
                    count += 1.0;
                }
            const double mean = sum / count;
            double squares = 0.0;
            for (int v = 0; v < side_; v += stride_)
                for (int u = 0; u < side_; u += stride_) {
                    const double centred = guide_.at(ox + u, oy + v) - mean;
                    squares += centred * centred;
                }
            blockMeans_[std::size_t(block)] = mean;
            blockSquares_[std::size_t(block)] = squares;
        }
    }

    CoherentMatch placed(int block, const CoherentMatch& match) const
    {
        return keptInside(match, side_, example_.guide.width, example_.guide.height, originX(block), originY(block),
                          search_.mirrorParity);
    }

    int originX(int block) const { return originsX_[std::size_t(block % across_)]; }
    int originY(int block) const { return originsY_[std::size_t(block / across_)]; }

    CoherentMatch randomMatch(int block, BlockGenerator& generator) const
    {
        CoherentMatch match;
        match.orientation = generator.below(orientationCount);
        const Footprint f = footprintOf(orientations[std::size_t(match.orientation)], side_);
        match.x = generator.below(example_.guide.width - side_ + 1) - f.minX;
        match.y = generator.below(example_.guide.height - side_ + 1) - f.minY;
        return placed(block, match);
    }

    // The coarser level's mapping at this block's centre, doubled to this level.
    CoherentMatch fromCoarser(int block, const CoherentMatches& coarser) const
    {
        const double centreX = originX(block) + 0.5 * side_;
        const double centreY = originY(block) + 0.5 * side_;
        const int cx = nearestBlock(coarser.originsX, coarser.blockSize, centreX / 2.0);
        const int cy = nearestBlock(coarser.originsY, coarser.blockSize, centreY / 2.0);
        const CoherentMatch& parent = coarser.matches[std::size_t(cy) * coarser.originsX.size() + std::size_t(cx)];
        const Orientation& o = orientations[std::size_t(parent.orientation)];
        const int du = int(std::lround(centreX / 2.0)) - coarser.originsX[std::size_t(cx)];
        const int dv = int(std::lround(centreY / 2.0)) - coarser.originsY[std::size_t(cy)];
        const int exampleX = 2 * (parent.x + o.mapX(du, dv));
        const int exampleY = 2 * (parent.y + o.mapY(du, dv));
        const int half = side_ / 2;
        return placed(block, {exampleX - o.mapX(half, half), exampleY - o.mapY(half, half), parent.orientation});
    }

    static int nearestBlock(const std::vector<int>& origins, int side, double position)
    {
        int nearest = 0;
        double distance = std::numeric_limits<double>::max();
        for (std::size_t i = 0; i < origins.size(); ++i) {
            const double d = std::abs(origins[i] + 0.5 * side - position);
            if (d < distance) {
                distance = d;
                nearest = int(i);
            }
        }
        return nearest;
    }

    std::vector<CoherentMatch> refinementCandidates(int block, BlockGenerator& generator) const
    {
        const CoherentMatch current = matches_[std::size_t(block)];
        std::vector<CoherentMatch> candidates{current};
        // Each neighbour's mapping carried on to this block.
        for (const int other : neighboursOf(block)) {
            const CoherentMatch& neighbour = matches_[std::size_t(other)];
            const Orientation& o = orientations[std::size_t(neighbour.orientation)];
            const int du = originX(block) - originX(other);
            const int dv = originY(block) - originY(other);
            candidates.push_back(
                placed(block, {neighbour.x + o.mapX(du, dv), neighbour.y + o.mapY(du, dv), neighbour.orientation}));
        }
        // A shrinking random search around the current match, and other orientations about its centre.
        for (int reach = std::max(example_.guide.width, example_.guide.height) / 4; reach >= 1; reach /= 2)
            candidates.push_back(placed(
                block, {current.x + generator.within(reach), current.y + generator.within(reach), current.orientation}));
        const int half = side_ / 2;
        const Orientation& o = orientations[std::size_t(current.orientation)];
        const int centreX = current.x + o.mapX(half, half);
        const int centreY = current.y + o.mapY(half, half);
        for (int i = 0; i < 2; ++i) {
            const int turned = generator.below(orientationCount);
            const Orientation& t = orientations[std::size_t(turned)];
            candidates.push_back(placed(block, {centreX - t.mapX(half, half), centreY - t.mapY(half, half), turned}));
        }
        candidates.push_back(randomMatch(block, generator));
        return candidates;
    }

    // The candidate of least error; the first of equals. Where neighbours continue one
    // another, several propose the same match: it is scored once.
    CoherentMatch best(int block, const std::vector<CoherentMatch>& candidates, bool withOverlap) const
    {
        const std::vector<OverlapSample> overlap = withOverlap ? overlapOf(block) : std::vector<OverlapSample>{};
        CoherentMatch chosen = candidates.front();
        double least = std::numeric_limits<double>::infinity();
        for (auto candidate = candidates.begin(); candidate != candidates.end(); ++candidate) {
            if (std::find(candidates.begin(), candidate, *candidate) != candidate)
                continue;
            double error = shapeError(block, *candidate);
            if (withOverlap)
                error += search_.overlapWeight * overlapError(overlap, *candidate);
            if (error < least) {
                least = error;
                chosen = *candidate;
            }
        }
        return chosen;
    }

    // Mean square difference of the guide block and the example's smooth block, both
    // reduced to zero mean, over the block's scored samples.
    double shapeError(int block, const CoherentMatch& match) const
    {
        const Orientation& o = orientations[std::size_t(match.orientation)];
        const int ox = originX(block);
        const int oy = originY(block);
        const double mean = blockMeans_[std::size_t(block)];
        const std::ptrdiff_t width = example_.guide.width;
        const std::ptrdiff_t stepU = (o.xFromU + o.yFromU * width) * stride_;
        double sum = 0.0;
        double squares = 0.0;
        double products = 0.0;
        double n = 0.0;
        for (int v = 0; v < side_; v += stride_) {
            const float* exampleRow = &example_.guide.values[std::size_t((match.y + o.mapY(0, v)) * width + match.x
                                                                         + o.mapX(0, v))];
            const float* guideRow = &guide_.values[std::size_t(std::ptrdiff_t(oy + v) * guide_.width + ox)];
            int k = 0;
            for (int u = 0; u < side_; u += stride_, ++k) {
                const double g = exampleRow[k * stepU];
                sum += g;
                squares += g * g;
                products += g * (double(guideRow[u]) - mean);
            }
            n += double(k);
        }
        return (squares - sum * sum / n - 2.0 * products + blockSquares_[std::size_t(block)]) / n;
    }

    // A scored sample where a block overlaps a neighbour: its offset in the block and
    // the neighbour's detail there, which every candidate for the block is set against.
    struct OverlapSample {
        int u;
        int v;
        double neighbour;
        double neighbourSquared;
    };

    // The block's scored samples that its neighbours overlap, neighbour by neighbour, row by row.
    std::vector<OverlapSample> overlapOf(int block) const
    {
        const int ox = originX(block);
        const int oy = originY(block);
        std::vector<OverlapSample> samples;
        for (const int other : neighboursOf(block)) {
            const CoherentMatch& neighbour = matches_[std::size_t(other)];
            const Orientation& n = orientations[std::size_t(neighbour.orientation)];
            const int nox = originX(other);
            const int noy = originY(other);
            for (int y = firstScored(std::max(oy, noy), oy); y < std::min(oy, noy) + side_; y += stride_) {
                for (int x = firstScored(std::max(ox, nox), ox); x < std::min(ox, nox) + side_; x += stride_) {
                    const int nu = x - nox;
                    const int nv = y - noy;
                    const double b = double(example_.detail.at(neighbour.x + n.mapX(nu, nv), neighbour.y + n.mapY(nu, nv)));
                    samples.push_back({x - ox, y - oy, b, b * b});
                }
            }
        }
        return samples;
    }

    // Disagreement of the candidate's detail with each neighbour's where their blocks
    // overlap: the sum of squared differences over the two details' own sum of squares
    // there (0 where they agree, 1 where unrelated), times what a plain mean square gives
    // for unrelated details of the example's usual strength. A plain mean square favoured the example's quietest places, whose weak
    // detail disagrees least with anything, and left every level with too little relief.
    double overlapError(const std::vector<OverlapSample>& overlap, const CoherentMatch& match) const
    {
        const Orientation& o = orientations[std::size_t(match.orientation)];
        const std::ptrdiff_t width = example_.detail.width;
        const float* const corner = &example_.detail.values[std::size_t(match.y * width + match.x)];
        const std::ptrdiff_t stepU = o.xFromU + o.yFromU * width;
        const std::ptrdiff_t stepV = o.xFromV + o.yFromV * width;
        double squares = 0.0;
        double energy = 0.0;
        for (const OverlapSample& sample : overlap) {
            const double a = double(corner[sample.u * stepU + sample.v * stepV]);
            const double difference = a - sample.neighbour;
            squares += difference * difference;
            energy += a * a + sample.neighbourSquared;
        }
        return energy > 0.0 ? 2.0 * exampleDetailVariance_ * squares / energy : 0.0;
    }

    // The first of the block's scored samples (origin plus a multiple of the stride) at or after `from`.
    int firstScored(int from, int origin) const { return origin + (from - origin + stride_ - 1) / stride_ * stride_; }

    // The up to eight blocks around a block, row by row.
    std::vector<int> neighboursOf(int block) const
    {
        std::vector<int> neighbours;
        const int bx = block % across_;
        const int by = block / across_;
        for (int ny = std::max(0, by - 1); ny <= std::min(down_ - 1, by + 1); ++ny)
            for (int nx = std::max(0, bx - 1); nx <= std::min(across_ - 1, bx + 1); ++nx)
                if (nx != bx || ny != by)
                    neighbours.push_back(ny * across_ + nx);
        return neighbours;
    }

    std::vector<std::vector<float>> sideWeights(const std::vector<int>& origins) const
    {
        std::vector<std::vector<float>> weights;
        for (std::size_t i = 0; i < origins.size(); ++i) {
            const int before = i > 0 ? origins[i - 1] + side_ - origins[i] : 0;
            const int after = i + 1 < origins.size() ? origins[i] + side_ - origins[i + 1] : 0;
            std::vector<float> w(std::size_t(side_), 1.0f);
            for (int u = 0; u < side_; ++u) {
                if (before > 0)
                    w[std::size_t(u)] = std::min(w[std::size_t(u)], (float(u) + 0.5f) / float(before));
                if (after > 0)
                    w[std::size_t(u)] = std::min(w[std::size_t(u)], (float(side_ - u) - 0.5f) / float(after));
            }
            weights.push_back(std::move(w));
        }
        return weights;
    }

    const SampleRaster& guide_;
    const ExampleLayer& example_;
    int side_;
    int stride_;
    const CoherentSearch& search_;
    std::vector<int> originsX_;
    std::vector<int> originsY_;
    int across_;
    int down_;
    std::vector<CoherentMatch> matches_;
    std::vector<double> blockMeans_;
    std::vector<double> blockSquares_;
    double exampleDetailVariance_ = 0.0;
};

int fittingBlockSize(int blockSize, const SampleRaster& guide, const ExampleLayer& example)
{
    int side = blockSize;
    for (const int limit : {guide.width, guide.height, example.guide.width, example.guide.height}) {
        while (side > limit)
            side /= 2;
    }
    return side;
}

} // namespace

std::vector<int> blockOrigins(int length, int blockSize)
{
    const int step = std::max(1, blockSize * 3 / 4);
    const int room = length - blockSize;
    if (room <= 0)
        return {0};
    const int gaps = (room + step - 1) / step;
    std::vector<int> origins;
    for (int i = 0; i <= gaps; ++i)
        origins.push_back(int(std::int64_t(room) * i / gaps));
    return origins;
}

bool synthesiseCoherentDetail(const SampleRaster& guide, const ExampleLayer& example, int blockSize,
                              const CoherentMatches* coarser, const CoherentSearch& search, SampleRaster& detail,
                              CoherentMatches& matches, QString& error)
{
    const int side = fittingBlockSize(blockSize, guide, example);
    if (side < smallestBlockSize) {
        diagnostics::reportf("Error, coherent synthesis needs blocks of 4 samples: base %i X %i, example %i X %i\n",
                             guide.width, guide.height, example.guide.width, example.guide.height);
        error = QStringLiteral("The terrains are too small for coherent synthesis (base %1 x %2, example %3 x %4 at "
                               "this level).")
                    .arg(guide.width)
                    .arg(guide.height)
                    .arg(example.guide.width)
                    .arg(example.guide.height);
        return false;
    }
    LevelSearch level(guide, example, side, search);
    diagnostics::reportf("Coherent synthesis: %i blocks of %i, %i passes, example %i X %i\n", level.blockCount(), side,
                         search.passes, example.guide.width, example.guide.height);
    const std::int64_t visits = std::int64_t(level.blockCount()) * (search.passes + 1);
    level.start(coarser);
    for (int pass = 1; pass <= search.passes && !level.cancelled(); ++pass) {
        level.reportVisits(std::int64_t(level.blockCount()) * pass, visits);
        level.pass(pass);
    }
    if (level.cancelled()) {
        error = BlockMapper::cancelledText();
        return false;
    }
    level.reportVisits(visits, visits);
    detail = level.composedDetail();
    matches = level.result();
    return true;
}
