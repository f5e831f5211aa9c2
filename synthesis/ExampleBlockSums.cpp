#include "synthesis/ExampleBlockSums.h"

#include "grid/HugePageAdvice.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int floatMantissaBits = 24;
constexpr int safeMagnitudeBits = 63;
constexpr int doubleSignificandBits = 53;

// The exponent of the lowest set bit of a finite nonzero float, and of its magnitude.
struct FloatBits {
    int lowestBit = 0;
    int highestBit = 0;
};

FloatBits floatBits(float value)
{
    int exponent = 0;
    const float fraction = std::frexp(std::fabs(value), &exponent); // value = fraction 2^exponent
    auto mantissa = static_cast<std::uint32_t>(std::ldexp(fraction, floatMantissaBits));
    int lowest = exponent - floatMantissaBits;
    while ((mantissa & 1u) == 0u) {
        mantissa >>= 1;
        ++lowest;
    }
    return {lowest, exponent};
}

} // namespace

long double runningBlockSum(const FloatMatrix& heights, int x, int y, int width, int height)
{
    long double sum = 0.0L;
    for (int i = 0; i < height; ++i) {
        const FloatRow& row = heights[y + i];
        for (int j = 0; j < width; ++j)
            sum += row[x + j];
    }
    return sum;
}

ExampleBlockSums::ExampleBlockSums(const FloatMatrix& heights, int largestBlockArea) : heights_(&heights)
{
    if (heights.empty())
        return;
    columns_ = static_cast<int>(heights.front().size());
    int lowestBit = INT_MAX;
    int highestBit = INT_MIN;
    for (const FloatRow& row : heights) {
        if (static_cast<int>(row.size()) != columns_)
            return;
        for (const float value : row) {
            if (!std::isfinite(value))
                return;
            if (value == 0.0f)
                continue;
            const FloatBits bits = floatBits(value);
            lowestBit = std::min(lowestBit, bits.lowestBit);
            highestBit = std::max(highestBit, bits.highestBit);
        }
    }
    if (lowestBit == INT_MAX)
        lowestBit = highestBit = 0; // all zero
    // |height| < 2^highestBit, so a block's magnitude sum stays below area 2^highestBit.
    const int areaBits = static_cast<int>(std::ceil(std::log2(std::max(largestBlockArea, 1))));
    if (highestBit - lowestBit + areaBits >= safeMagnitudeBits)
        return;
    if (highestBit - lowestBit + areaBits < doubleSignificandBits) {
        sumsInDouble_ = true;
        return;
    }
    quantumExponent_ = lowestBit;
    const std::size_t stride = static_cast<std::size_t>(columns_) + 1;
    table_.reserve((heights.size() + 1) * stride);
    adviseHugePages(table_.data(), table_.capacity() * sizeof(std::uint64_t));
    table_.assign((heights.size() + 1) * stride, 0u);
    for (std::size_t i = 0; i < heights.size(); ++i) {
        std::uint64_t rowSum = 0;
        for (std::size_t j = 0; j < heights[i].size(); ++j) {
            const auto units = static_cast<std::int64_t>(std::ldexp(heights[i][j], -quantumExponent_));
            rowSum += static_cast<std::uint64_t>(units);
            table_[(i + 1) * stride + j + 1] = table_[i * stride + j + 1] + rowSum;
        }
    }
}

ExampleBlockSums ExampleBlockSums::withoutTable(const FloatMatrix& heights)
{
    return ExampleBlockSums(heights);
}

long double ExampleBlockSums::sum(int x, int y, int width, int height) const
{
    if (sumsInDouble_)
        return doubleSum(x, y, width, height);
    if (table_.empty())
        return runningSum(x, y, width, height);
    const std::size_t stride = static_cast<std::size_t>(columns_) + 1;
    const std::size_t top = static_cast<std::size_t>(y) * stride;
    const std::size_t bottom = static_cast<std::size_t>(y + height) * stride;
    const std::uint64_t units = table_[bottom + x + width] - table_[bottom + x] - table_[top + x + width] + table_[top + x];
    return std::ldexp(static_cast<long double>(static_cast<std::int64_t>(units)), quantumExponent_);
}

void ExampleBlockSums::prefetch(int x, int y, int width, int height) const
{
    if (table_.empty())
        return;
    const std::size_t stride = static_cast<std::size_t>(columns_) + 1;
    const std::uint64_t* top = table_.data() + static_cast<std::size_t>(y) * stride + x;
    const std::uint64_t* bottom = table_.data() + static_cast<std::size_t>(y + height) * stride + x;
    __builtin_prefetch(top);
    __builtin_prefetch(top + width);
    __builtin_prefetch(bottom);
    __builtin_prefetch(bottom + width);
}

// Four rows of partial sums at a time; every partial sum is exact, so the order is free.
long double ExampleBlockSums::doubleSum(int x, int y, int width, int height) const
{
    double partial[4] = {};
    for (int i = 0; i < height; ++i) {
        const float* row = (*heights_)[y + i].data() + x;
        int j = 0;
        for (; j + 4 <= width; j += 4)
            for (int k = 0; k < 4; ++k)
                partial[k] += static_cast<double>(row[j + k]);
        for (; j < width; ++j)
            partial[0] += static_cast<double>(row[j]);
    }
    return static_cast<long double>((partial[0] + partial[1]) + (partial[2] + partial[3]));
}

long double ExampleBlockSums::runningSum(int x, int y, int width, int height) const
{
    return runningBlockSum(*heights_, x, y, width, height);
}
