#pragma once

#include "grid/FloatMatrix.h"

#include <cstdint>
#include <vector>

// Sums of the heights of rectangular blocks of one grid, each bit-identical to
// the extended-precision running sum, row by row, that the block error takes.
//
// When every height is a whole multiple of one power of two q and no block of up
// to largestBlockArea samples can sum (in magnitude) to 2^63 q, every partial sum
// of that running sum is an integer times q that the 64-bit significand holds, so
// it is exact and equals the same sum taken in any order. Below 2^53 q a double
// holds every partial sum too: the block is summed in double, several terms at a
// time, straight from the rows the error pass reads anyway (real terrains meet
// this by far). Between the two, an integer summed-area table gives the sum in four
// look-ups. A grid that meets neither (heights of very different magnitudes, values
// that are not finite) gets the running sum itself.
class ExampleBlockSums {
public:
    // The heights must stay alive and unchanged while this is used.
    ExampleBlockSums(const FloatMatrix& heights, int largestBlockArea);
    // Always the running sum: for a few blocks, where the table would cost more than it saves.
    static ExampleBlockSums withoutTable(const FloatMatrix& heights);

    // Sum of the width x height block whose first column is x and first row is y.
    long double sum(int x, int y, int width, int height) const;

    bool usesTable() const { return !table_.empty(); }
    bool sumsInDouble() const { return sumsInDouble_; }
    // Asks the processor to fetch the table entries sum() will read for this block.
    void prefetch(int x, int y, int width, int height) const;

private:
    explicit ExampleBlockSums(const FloatMatrix& heights) : heights_(&heights) {}
    long double runningSum(int x, int y, int width, int height) const;
    long double doubleSum(int x, int y, int width, int height) const;

    const FloatMatrix* heights_;
    int columns_ = 0;
    bool sumsInDouble_ = false;
    int quantumExponent_ = 0; // q = 2^quantumExponent_
    // (rows + 1) x (columns + 1) prefix sums of height / q, modulo 2^64: block sums
    // of the true size come out right whatever the wrapping of the corners.
    std::vector<std::uint64_t> table_;
};

// The running sum the block error defines, the yardstick for the table.
long double runningBlockSum(const FloatMatrix& heights, int x, int y, int width, int height);
