// The spectrum: the transform against the plain sum, on any thread count, and white
// noise's flat spectrum.

#include "AnalysisTestGrids.h"

#include "analysis/Fft.h"
#include "analysis/OctavePower.h"

#include <gtest/gtest.h>
#include <tbb/global_control.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

namespace {

// Uniform noise in [-0.5, 0.5) from the raw words of a fixed-seed generator (the
// same numbers on every platform).
VeskGrid whiteNoise(int width, int height, unsigned seed)
{
    std::mt19937 words(seed);
    return gridOf(width, height, 1.0f, [&](int, int) { return words() / 4294967296.0 - 0.5; });
}

} // namespace

TEST(Spectrum, TransformIsTheDiscreteFourierSum)
{
    std::vector<std::complex<double>> values(16);
    for (std::size_t n = 0; n < values.size(); ++n)
        values[n] = {std::sin(0.7 * n) + 0.1 * n, std::cos(1.3 * n)};
    std::vector<std::complex<double>> transformed = values;
    fftInPlace(transformed);
    for (std::size_t k = 0; k < values.size(); ++k) {
        std::complex<double> sum = 0.0;
        for (std::size_t n = 0; n < values.size(); ++n)
            sum += values[n] * std::polar(1.0, -2.0 * std::numbers::pi * k * n / values.size());
        EXPECT_NEAR(std::abs(transformed[k] - sum), 0.0, 1e-12) << k;
    }
}

TEST(Spectrum, OneThreadGivesTheSameBytesAsAll)
{
    const HeightField field = heightFieldOf(whiteNoise(300, 200, 7));
    std::vector<SpectrumOctave> alone;
    {
        tbb::global_control oneThread(tbb::global_control::max_allowed_parallelism, 1);
        alone = octaveSpectrum(field, nyquistFrequency(field.cellSize));
    }
    const std::vector<SpectrumOctave> together = octaveSpectrum(field, nyquistFrequency(field.cellSize));
    ASSERT_EQ(alone.size(), together.size());
    for (std::size_t j = 0; j < alone.size(); ++j)
        EXPECT_EQ(std::memcmp(&alone[j].meanPower, &together[j].meanPower, sizeof(double)), 0) << j;
}

TEST(Spectrum, WhiteNoiseIsFlatAtItsVariance)
{
    // Variance 1/12 spread evenly over the frequency square of side 1 (cell size 1 m).
    const HeightField field = heightFieldOf(whiteNoise(256, 256, 11));
    const std::vector<SpectrumOctave> octaves = octaveSpectrum(field, nyquistFrequency(field.cellSize));
    ASSERT_EQ(octaves.size(), 7u); // 2^(j+2) <= 256
    EXPECT_EQ(octaves[0].shortestWavelength, 2.0);
    // The coarser octaves average too few frequencies (148 and fewer, neighbours
    // correlated by the window) to tell flat from chance.
    for (std::size_t j = 0; j < 4; ++j)
        EXPECT_NEAR(std::log10(octaves[j].meanPower / (1.0 / 12.0)), 0.0, 0.05) << j;
}
