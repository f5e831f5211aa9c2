#include "synthesis/CandidateScorer.h"

#include <algorithm>

#include <immintrin.h>

namespace {

constexpr int lanes = 8;
using FloatLanes = float __attribute__((vector_size(lanes * sizeof(float))));

bool haveAvx2()
{
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

// The error pass of eight candidates whose blocks start at samples[starts[k]]:
// each lane subtracts, squares and adds in the order and types of blockError.
__attribute__((target("avx2"))) void gatherErrors(const float* samples, int stride, const int* starts,
                                                  const float* means, const float* shape, int blockWidth,
                                                  int blockHeight, float* errors)
{
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(starts));
    const __m256 mean = _mm256_loadu_ps(means);
    __m256 error = _mm256_setzero_ps();
    for (int i = 0; i < blockHeight; ++i) {
        const __m256i rowStart = _mm256_add_epi32(first, _mm256_set1_epi32(i * stride));
        for (int j = 0; j < blockWidth; ++j) {
            const __m256 heights = _mm256_i32gather_ps(samples, _mm256_add_epi32(rowStart, _mm256_set1_epi32(j)), 4);
            const __m256 difference = _mm256_sub_ps(_mm256_sub_ps(heights, mean), _mm256_set1_ps(*shape++));
            error = _mm256_add_ps(error, _mm256_mul_ps(difference, difference));
        }
    }
    _mm256_storeu_ps(errors, error);
}

// The heights' sums of eight candidate blocks, for a grid whose block sums are exact in
// double (ExampleBlockSums::sumsInDouble): with every partial sum exact, four terms at
// a time in two accumulators give the very sum the running sum gives.
__attribute__((target("avx2"))) void blockSumsInDouble(const float* samples, int stride, const int* starts,
                                                       int blockWidth, int blockHeight, double* sums)
{
    for (int k = 0; k < lanes; ++k) {
        __m256d even = _mm256_setzero_pd();
        __m256d odd = _mm256_setzero_pd();
        double rest = 0.0;
        const float* row = samples + starts[k];
        for (int i = 0; i < blockHeight; ++i, row += stride) {
            int j = 0;
            for (; j + 8 <= blockWidth; j += 8) {
                even = _mm256_add_pd(even, _mm256_cvtps_pd(_mm_loadu_ps(row + j)));
                odd = _mm256_add_pd(odd, _mm256_cvtps_pd(_mm_loadu_ps(row + j + 4)));
            }
            if (j + 4 <= blockWidth) {
                even = _mm256_add_pd(even, _mm256_cvtps_pd(_mm_loadu_ps(row + j)));
                j += 4;
            }
            for (; j < blockWidth; ++j)
                rest += static_cast<double>(row[j]);
        }
        const __m256d both = _mm256_add_pd(even, odd);
        const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(both), _mm256_extractf128_pd(both, 1));
        sums[k] = (_mm_cvtsd_f64(pair) + _mm_cvtsd_f64(_mm_unpackhi_pd(pair, pair))) + rest;
    }
}

} // namespace

CandidateScorer::CandidateScorer(const FloatMatrix& tiled, BlockPosition tiledPosition, int blockWidth,
                                 int blockHeight, const FloatMatrix& example, const ExampleBlockSums& exampleSums,
                                 const PackedExample* packed)
    : example_(&example),
      exampleSums_(&exampleSums),
      packed_(packed != nullptr && !packed->empty() && haveAvx2() ? packed : nullptr),
      blockWidth_(blockWidth),
      blockHeight_(blockHeight),
      sampleCount_(static_cast<float>(blockWidth * blockHeight))
{
    const float tiledMean =
        static_cast<float>(runningBlockSum(tiled, tiledPosition.x, tiledPosition.y, blockWidth, blockHeight) / sampleCount_);
    tiledShape_.reserve(static_cast<std::size_t>(blockWidth) * blockHeight);
    for (int i = 0; i < blockHeight; ++i) {
        const FloatRow& row = tiled[tiledPosition.y + i];
        for (int j = 0; j < blockWidth; ++j)
            tiledShape_.push_back(row[tiledPosition.x + j] - tiledMean);
    }
}

float CandidateScorer::exampleMean(BlockPosition candidate) const
{
    return static_cast<float>(exampleSums_->sum(candidate.x, candidate.y, blockWidth_, blockHeight_) / sampleCount_);
}

float CandidateScorer::score(BlockPosition candidate) const
{
    const float mean = exampleMean(candidate);
    float error = 0.0f;
    const float* shape = tiledShape_.data();
    for (int i = 0; i < blockHeight_; ++i) {
        const float* row = (*example_)[candidate.y + i].data() + candidate.x;
        for (int j = 0; j < blockWidth_; ++j) {
            const float difference = (row[j] - mean) - *shape++;
            error += difference * difference;
        }
    }
    return error;
}

void CandidateScorer::scoreAll(const BlockPosition* candidates, int count, float* scores) const
{
    for (int first = 0; first < count; first += lanes) {
        // A short last group repeats its last candidate in the spare lanes.
        const int used = std::min(lanes, count - first);
        BlockPosition group[lanes];
        for (int k = 0; k < lanes; ++k)
            group[k] = candidates[first + std::min(k, used - 1)];
        // Candidates lie anywhere in the example: fetch the next group's rows while this one is scored.
        if (packed_ != nullptr)
            for (int k = first + lanes; k < std::min(count, first + 2 * lanes); ++k)
                prefetchBlock(candidates[k]);
        float errors[lanes];
        scoreGroup(group, errors);
        std::copy(errors, errors + used, scores + first);
    }
}

void CandidateScorer::prefetchBlock(BlockPosition candidate) const
{
    const float* start = packed_->samples.data() + static_cast<std::size_t>(candidate.y) * packed_->width + candidate.x;
    for (int i = 0; i < blockHeight_; ++i) {
        __builtin_prefetch(start);
        __builtin_prefetch(start + blockWidth_ - 1);
        start += packed_->width;
    }
    exampleSums_->prefetch(candidate.x, candidate.y, blockWidth_, blockHeight_);
}

void CandidateScorer::scoreGroup(const BlockPosition* group, float* errors) const
{
    float means[lanes];
    if (packed_ != nullptr) {
        int starts[lanes];
        for (int k = 0; k < lanes; ++k)
            starts[k] = group[k].y * packed_->width + group[k].x;
        if (exampleSums_->sumsInDouble()) {
            double sums[lanes];
            blockSumsInDouble(packed_->samples.data(), packed_->width, starts, blockWidth_, blockHeight_, sums);
            // As exampleMean divides the extended sum.
            for (int k = 0; k < lanes; ++k)
                means[k] = static_cast<float>(static_cast<long double>(sums[k]) / sampleCount_);
        } else {
            for (int k = 0; k < lanes; ++k)
                means[k] = exampleMean(group[k]);
        }
        gatherErrors(packed_->samples.data(), packed_->width, starts, means, tiledShape_.data(), blockWidth_,
                     blockHeight_, errors);
        return;
    }
    for (int k = 0; k < lanes; ++k)
        means[k] = exampleMean(group[k]);
    FloatLanes mean;
    for (int k = 0; k < lanes; ++k)
        mean[k] = means[k];
    FloatLanes error = {};
    const float* shape = tiledShape_.data();
    for (int i = 0; i < blockHeight_; ++i) {
        const float* rows[lanes];
        for (int k = 0; k < lanes; ++k)
            rows[k] = (*example_)[group[k].y + i].data() + group[k].x;
        for (int j = 0; j < blockWidth_; ++j) {
            FloatLanes heights;
            for (int k = 0; k < lanes; ++k)
                heights[k] = rows[k][j];
            const FloatLanes difference = (heights - mean) - *shape++;
            error += difference * difference;
        }
    }
    for (int k = 0; k < lanes; ++k)
        errors[k] = error[k];
}
