#pragma once

#include <complex>
#include <cstddef>
#include <vector>

// The discrete Fourier transform by the iterative radix-2 algorithm (Cooley-Tukey,
// decimation in time): X[k] = sum over n of x[n] exp(-2 pi i k n / N).

bool isPowerOfTwo(std::size_t size);
std::size_t nextPowerOfTwo(std::size_t size);

// Transforms values in place; its size must be a power of two.
void fftInPlace(std::vector<std::complex<double>>& values);

// Transforms a rows x columns grid (row-major, both powers of two) in place: every row,
// then every column. Rows and columns are transformed on every core; each is computed
// alone and in the same order, so the result does not depend on the thread count.
void fft2dInPlace(std::vector<std::complex<double>>& grid, std::size_t rows, std::size_t columns);
