#include "analysis/Fft.h"

#include <tbb/parallel_for.h>

#include <cmath>
#include <numbers>
#include <utility>

bool isPowerOfTwo(std::size_t size)
{
    return size != 0 && (size & (size - 1)) == 0;
}

std::size_t nextPowerOfTwo(std::size_t size)
{
    std::size_t power = 1;
    while (power < size)
        power *= 2;
    return power;
}

void fftInPlace(std::vector<std::complex<double>>& values)
{
    const std::size_t size = values.size();
    // Bit-reversed order first, so that each pass combines neighbouring halves.
    for (std::size_t i = 1, j = 0; i < size; ++i) {
        std::size_t bit = size >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(values[i], values[j]);
    }
    // Each twiddle from its own angle: no drift from repeated products.
    std::vector<std::complex<double>> twiddles(size / 2);
    for (std::size_t k = 0; k < size / 2; ++k)
        twiddles[k] = std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(size));
    for (std::size_t span = 2; span <= size; span *= 2) {
        const std::size_t stride = size / span;
        for (std::size_t start = 0; start < size; start += span) {
            for (std::size_t k = 0; k < span / 2; ++k) {
                const std::complex<double> odd = twiddles[k * stride] * values[start + k + span / 2];
                const std::complex<double> even = values[start + k];
                values[start + k] = even + odd;
                values[start + k + span / 2] = even - odd;
            }
        }
    }
}

void fft2dInPlace(std::vector<std::complex<double>>& grid, std::size_t rows, std::size_t columns)
{
    tbb::parallel_for(std::size_t{0}, rows, [&](std::size_t row) {
        std::vector<std::complex<double>> line(grid.begin() + row * columns, grid.begin() + (row + 1) * columns);
        fftInPlace(line);
        std::copy(line.begin(), line.end(), grid.begin() + row * columns);
    });
    tbb::parallel_for(std::size_t{0}, columns, [&](std::size_t column) {
        std::vector<std::complex<double>> line(rows);
        for (std::size_t row = 0; row < rows; ++row)
            line[row] = grid[row * columns + column];
        fftInPlace(line);
        for (std::size_t row = 0; row < rows; ++row)
            grid[row * columns + column] = line[row];
    });
}
