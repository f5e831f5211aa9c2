#include "analysis/OctavePower.h"

#include "analysis/Fft.h"
#include "analysis/PlaneRemoval.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

// Elliptical Hann window: 1 at the centre, falling as 0.5 (1 + cos(pi r)) to 0 on the
// ellipse through the middles of the edges, 0 beyond it (the corners).
double hannWeight(int row, int column, int width, int height)
{
    const double x = (column - (width - 1) / 2.0) / (width / 2.0);
    const double y = (row - (height - 1) / 2.0) / (height / 2.0);
    const double radius = std::sqrt(x * x + y * y);
    return radius < 1.0 ? 0.5 * (1.0 + std::cos(std::numbers::pi * radius)) : 0.0;
}

// Signed frequency index of transform sample i of n: 0, 1, ..., n/2, -(n/2 - 1), ..., -1.
double signedIndex(std::size_t i, std::size_t n)
{
    return i <= n / 2 ? static_cast<double>(i) : static_cast<double>(i) - static_cast<double>(n);
}

} // namespace

double nyquistFrequency(double cellSize)
{
    return 1.0 / (2.0 * cellSize);
}

std::vector<SpectrumOctave> octaveSpectrum(const HeightField& field, double topFrequency)
{
    const std::vector<double> relief = heightsLessPlane(field);
    const std::size_t paddedColumns = nextPowerOfTwo(static_cast<std::size_t>(field.width));
    const std::size_t paddedRows = nextPowerOfTwo(static_cast<std::size_t>(field.height));
    std::vector<std::complex<double>> transform(paddedRows * paddedColumns);
    double windowSquares = 0.0;
    for (int row = 0; row < field.height; ++row) {
        for (int column = 0; column < field.width; ++column) {
            const double weight = hannWeight(row, column, field.width, field.height);
            windowSquares += weight * weight;
            transform[row * paddedColumns + column] = weight * relief[field.indexOf(row, column)];
        }
    }
    fft2dInPlace(transform, paddedRows, paddedColumns);

    const double shorterSide = std::min(field.width, field.height) * field.cellSize;
    std::vector<SpectrumOctave> octaves;
    // A relative margin, so that a wavelength equal to the side counts as fitting.
    for (int j = 0; std::ldexp(1.0, j + 1) / topFrequency <= shorterSide * (1.0 + 1e-9); ++j) {
        SpectrumOctave octave;
        octave.shortestWavelength = std::ldexp(1.0, j) / topFrequency;
        octave.longestWavelength = std::ldexp(1.0, j + 1) / topFrequency;
        octaves.push_back(octave);
    }
    if (octaves.empty())
        return octaves;

    const double density = field.cellSize * field.cellSize / windowSquares;
    const double columnStep = 1.0 / (static_cast<double>(paddedColumns) * field.cellSize);
    const double rowStep = 1.0 / (static_cast<double>(paddedRows) * field.cellSize);
    std::vector<double> powerSums(octaves.size(), 0.0);
    for (std::size_t row = 0; row < paddedRows; ++row) {
        const double rowFrequency = signedIndex(row, paddedRows) * rowStep;
        for (std::size_t column = 0; column < paddedColumns; ++column) {
            const double columnFrequency = signedIndex(column, paddedColumns) * columnStep;
            const double frequency = std::hypot(rowFrequency, columnFrequency);
            if (frequency <= 0.0 || frequency > topFrequency)
                continue;
            // The octave whose band (top / 2^(j+1), top / 2^j] holds the frequency.
            const int octave = static_cast<int>(std::floor(std::log2(topFrequency / frequency)));
            if (octave >= static_cast<int>(octaves.size()))
                continue;
            powerSums[octave] += std::norm(transform[row * paddedColumns + column]) * density;
            ++octaves[octave].frequencyCount;
        }
    }
    for (std::size_t j = 0; j < octaves.size(); ++j)
        octaves[j].meanPower = octaves[j].frequencyCount > 0 ? powerSums[j] / octaves[j].frequencyCount : 0.0;
    return octaves;
}
