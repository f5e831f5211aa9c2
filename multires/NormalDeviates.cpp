#include "multires/NormalDeviates.h"
#include "multires/NormalDeviatesState.h"

#include <array>
#include <cmath>
#include <cstdint>

// Standard normal deviates by the ziggurat method of Marsaglia and Tsang (2000).
//
// Method notes. The density's right half is covered by 128 horizontal strips of equal
// area v: strip 0 is the base (a rectangle plus the tail beyond r), strips 1..127 are
// rectangles stacked up to the peak. A 32-bit signed draw picks a strip from its low seven
// bits and a signed abscissa from the whole value. Most draws fall inside the part of a
// strip that lies wholly under the curve and are accepted with one comparison; the rest
// go to the slow path (tail sampling for strip 0, a wedge test otherwise).
namespace {

constexpr int kStripCount = 128;
constexpr double kTailStart = 3.442619855899;      // r, where the tail strip begins
constexpr double kStripArea = 9.91256303526217e-3; // v, the area of every strip
constexpr double kTailStartInSampler = 3.442620;   // r as the tail sampler uses it
constexpr double kUniformScale = 2.328306e-10;     // maps a signed 32-bit draw into (0, 1)
constexpr double kTwoToThe31 = 2147483648.0;

struct ZigguratTables {
    std::array<std::uint32_t, kStripCount> acceptBound{}; // |draw| below this: accept at once
    std::array<float, kStripCount> scale{};               // draw -> abscissa
    std::array<float, kStripCount> density{};             // exp(-x^2/2) at each strip edge
};

// The one process-wide generator: a three-shift register with a fixed starting state.
struct GeneratorState {
    std::uint32_t shiftRegister = 123456789u;
    ZigguratTables tables;
    bool tablesBuilt = false;
};

GeneratorState& generator()
{
    static GeneratorState state;
    return state;
}

// Shifts 13 left, 17 right, 5 left; the output is the old state plus the new one.
std::uint32_t nextDraw()
{
    std::uint32_t& state = generator().shiftRegister;
    const std::uint32_t previous = state;
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return previous + state;
}

// The draw read as a signed 32-bit value (two's complement).
std::int32_t asSigned(std::uint32_t draw)
{
    return static_cast<std::int32_t>(draw);
}

double uniformDeviate()
{
    return 0.5 + asSigned(nextDraw()) * kUniformScale;
}

void buildTables(ZigguratTables& tables)
{
    double edge = kTailStart;
    double previousEdge = edge;
    const double q = kStripArea / std::exp(-0.5 * edge * edge);

    tables.acceptBound[0] = static_cast<std::uint32_t>((edge / q) * kTwoToThe31);
    tables.acceptBound[1] = 0;
    tables.scale[0] = static_cast<float>(q / kTwoToThe31);
    tables.scale[kStripCount - 1] = static_cast<float>(edge / kTwoToThe31);
    tables.density[0] = 1.0f;
    tables.density[kStripCount - 1] = static_cast<float>(std::exp(-0.5 * edge * edge));

    // Each strip's lower edge follows from the one above it and the equal-area condition.
    for (int i = kStripCount - 2; i >= 1; --i) {
        edge = std::sqrt(-2.0 * std::log(kStripArea / edge + std::exp(-0.5 * edge * edge)));
        tables.acceptBound[i + 1] = static_cast<std::uint32_t>((edge / previousEdge) * kTwoToThe31);
        previousEdge = edge;
        tables.density[i] = static_cast<float>(std::exp(-0.5 * edge * edge));
        tables.scale[i] = static_cast<float>(edge / kTwoToThe31);
    }
}

const ZigguratTables& tables()
{
    GeneratorState& state = generator();
    if (!state.tablesBuilt) {
        buildTables(state.tables);
        state.tablesBuilt = true;
    }
    return state.tables;
}

// |draw| without overflow for the most negative value.
std::int64_t magnitude(std::int32_t draw)
{
    const std::int64_t wide = draw;
    return wide < 0 ? -wide : wide;
}

// The slow path: strip 0 samples the tail beyond r; the other strips test the wedge
// between their rectangle and the curve, and on rejection draw again.
float slowPath(std::int32_t draw, int strip)
{
    const ZigguratTables& t = tables();
    for (;;) {
        float x = static_cast<float>(draw) * t.scale[strip];
        if (strip == 0) {
            double tailX = 0.0;
            double tailY = 0.0;
            do {
                tailX = -std::log(uniformDeviate()) / kTailStartInSampler;
                tailY = -std::log(uniformDeviate());
            } while (tailY + tailY < tailX * tailX);
            return static_cast<float>(draw > 0 ? kTailStartInSampler + tailX : -kTailStartInSampler - tailX);
        }
        if (t.density[strip] + uniformDeviate() * (t.density[strip - 1] - t.density[strip]) <
            std::exp(-0.5 * x * x))
            return x;

        draw = asSigned(nextDraw());
        strip = draw & (kStripCount - 1);
        if (magnitude(draw) < t.acceptBound[strip])
            return static_cast<float>(draw) * t.scale[strip];
    }
}

} // namespace

void seedNormalDeviates(std::uint32_t seed)
{
    GeneratorState& state = generator();
    state.shiftRegister ^= seed;
    buildTables(state.tables);
    state.tablesBuilt = true;
}

float normalDeviate()
{
    const ZigguratTables& t = tables();
    const std::int32_t draw = asSigned(nextDraw());
    const int strip = draw & (kStripCount - 1);
    if (magnitude(draw) < t.acceptBound[strip])
        return static_cast<float>(draw) * t.scale[strip];
    return slowPath(draw, strip);
}

std::uint32_t normalDeviateState()
{
    return generator().shiftRegister;
}

void restoreNormalDeviateState(std::uint32_t state)
{
    generator().shiftRegister = state;
}
