#include "tools/fbm/FbmTerrain.h"

#include "grid/GridExport.h"

#include <cmath>
#include <vector>

namespace {

constexpr int kOctaves = 9;

std::uint32_t hashLattice(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8da6b343u ^ static_cast<std::uint32_t>(y) * 0xd8163841u
        ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

// A lattice value in [-1, 1].
double latticeValue(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    return static_cast<double>(hashLattice(x, y, seed) & 0xffffu) / 32767.5 - 1.0;
}

double smoothstep(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

// Bilinear value noise at (x, y) in lattice units, smoothed between the lattice points.
double valueNoise(double x, double y, std::uint32_t seed)
{
    const double cellX = std::floor(x);
    const double cellY = std::floor(y);
    const auto x0 = static_cast<std::int32_t>(cellX);
    const auto y0 = static_cast<std::int32_t>(cellY);
    const double tx = smoothstep(x - cellX);
    const double ty = smoothstep(y - cellY);
    const double top = latticeValue(x0, y0, seed) * (1.0 - tx) + latticeValue(x0 + 1, y0, seed) * tx;
    const double bottom = latticeValue(x0, y0 + 1, seed) * (1.0 - tx) + latticeValue(x0 + 1, y0 + 1, seed) * tx;
    return top * (1.0 - ty) + bottom * ty;
}

} // namespace

VeskGrid makeFbmTerrain(int side, std::uint32_t seed)
{
    FloatMatrix heights = FloatMatrix::uninitialized(side > 0 ? side : 0, side > 0 ? side : 0);
    // The coarsest octave spans a quarter of the terrain whatever its side, so terrains
    // of different sides look alike; each finer octave has twice the frequency and
    // half the amplitude.
    const double baseFrequency = 4.0 / static_cast<double>(side);
    for (int row = 0; row < side; ++row) {
        FloatRow& line = heights[static_cast<std::size_t>(row)];
        for (int col = 0; col < side; ++col) {
            double sum = 0.0;
            double frequency = baseFrequency;
            double amplitude = 1.0;
            for (int octave = 0; octave < kOctaves; ++octave) {
                sum += amplitude * valueNoise(col * frequency, row * frequency, seed + static_cast<std::uint32_t>(octave));
                frequency *= 2.0;
                amplitude *= 0.5;
            }
            // The octaves add up to less than 2 in magnitude.
            const double metres = 700.0 + 250.0 * sum;
            line[static_cast<std::size_t>(col)] = static_cast<float>(std::round(metres * 100.0) / 100.0);
        }
    }
    VeskGrid grid;
    grid.heights = std::move(heights);
    grid.width = side;
    grid.height = side;
    grid.cellSize = 30.0f;
    grid.hasData = side > 0;
    grid.computeStatistics();
    return grid;
}

bool writeFbmTerrain(int side, std::uint32_t seed, const QString& dataFileName, QString& errorText)
{
    const VeskGrid grid = makeFbmTerrain(side, seed);
    return writeGridFloat(grid, dataFileName, errorText);
}
