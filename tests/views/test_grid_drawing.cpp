// What the terrain drawing really emits, read back through OpenGL's feedback mode:
// primitives, vertex positions and vertex colours.

#include "grid/VeskGrid.h"
#include "views/GridDrawing.h"
#include "support/Feedback.h"
#include "support/GLTestContext.h"
#include "diagnostics/CollectingSink.h"
#include "support/TestGrids.h"
#include "views/SurfaceFormat.h"

#include <QtTest>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

using Colour = std::array<float, 4>;

const Colour kDefaultSurface{0.9f, 0.9f, 0.9f, 1.0f};
const Colour kDarkRed{0.6f, 0.0f, 0.0f, 1.0f};
const Colour kLightRed{1.0f, 0.2f, 0.2f, 1.0f};
const Colour kLightBlue{0.2f, 0.2f, 0.9f, 1.0f};
const Colour kDarkBlue{0.0f, 0.0f, 0.6f, 1.0f};
const Colour kYellow{1.0f, 1.0f, 0.0f, 1.0f};
const Colour kGreen{0.05f, 0.95f, 0.05f, 1.0f};
const Colour kGrey{0.5f, 0.5f, 0.5f, 1.0f};

const Colour kWater{0.2f, 0.2f, 0.8f, 1.0f};
const Colour kSnow{0.95f, 0.95f, 0.95f, 1.0f};

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A cell size of 2000 puts sample (row, column) of the surface at x = column, y = row.
constexpr float kUnitCellSize = 2000.0f;

struct Sample {
    int row;
    int column;
    bool operator==(const Sample&) const = default;
};

bool sameColour(const FeedbackVertex& v, const Colour& c)
{
    constexpr float tolerance = 1e-4f;
    return std::fabs(v.red - c[0]) < tolerance && std::fabs(v.green - c[1]) < tolerance
        && std::fabs(v.blue - c[2]) < tolerance && std::fabs(v.alpha - c[3]) < tolerance;
}

QString describe(const FeedbackVertex& v)
{
    return QStringLiteral("(%1, %2, %3) rgba %4 %5 %6 %7")
        .arg(v.x).arg(v.y).arg(v.z).arg(v.red).arg(v.green).arg(v.blue).arg(v.alpha);
}

// The grid sample a surface vertex stands for, if its position is exactly that of one
// (x, y on the sample, z its height above the minimum, plus a lift for outlines).
std::optional<Sample> surfaceSample(const VeskGrid& grid, const FeedbackVertex& v, double spacing,
                                    double lift = 0.0)
{
    const int column = static_cast<int>(std::lround(v.x / spacing));
    const int row = static_cast<int>(std::lround(v.y / spacing));
    if (row < 0 || row >= grid.height || column < 0 || column >= grid.width)
        return std::nullopt;
    const double expectedZ = (grid.heights[row][column] - grid.minHeight) * 0.000625 + lift;
    if (std::fabs(v.x - column * spacing) > 1e-4 || std::fabs(v.y - row * spacing) > 1e-4
        || std::fabs(v.z - expectedZ) > 1e-4)
        return std::nullopt;
    return Sample{row, column};
}

// The samples of each line strip, rebuilt from its segments.
std::vector<std::vector<Sample>> lineStrips(const VeskGrid& grid, const std::vector<FeedbackPrimitive>& primitives,
                                            double spacing, double lift, bool& allOnSamples)
{
    std::vector<std::vector<Sample>> strips;
    allOnSamples = true;
    for (const auto& primitive : primitives) {
        if (primitive.kind != FeedbackPrimitive::Line && primitive.kind != FeedbackPrimitive::LineReset) {
            allOnSamples = false;
            continue;
        }
        const auto first = surfaceSample(grid, primitive.vertices[0], spacing, lift);
        const auto second = surfaceSample(grid, primitive.vertices[1], spacing, lift);
        if (!first || !second) {
            allOnSamples = false;
            continue;
        }
        // Feedback marks only some strip starts with a reset token; a segment that does
        // not continue from the previous one starts a strip too.
        if (primitive.kind == FeedbackPrimitive::LineReset || strips.empty() || !(strips.back().back() == *first))
            strips.push_back({*first});
        strips.back().push_back(*second);
    }
    return strips;
}

std::vector<Sample> rowSamples(int row, int firstColumn, int endColumn)
{
    std::vector<Sample> samples;
    for (int column = firstColumn; column < endColumn; ++column)
        samples.push_back({row, column});
    return samples;
}

std::vector<Sample> columnSamples(int column, int firstRow, int endRow)
{
    std::vector<Sample> samples;
    for (int row = firstRow; row < endRow; ++row)
        samples.push_back({row, column});
    return samples;
}

// The surface as the view draws it: derived data brought up to date, then drawn.
void refreshAndDrawSurface(VeskGrid& grid, RenderMode mode)
{
    refreshSurfaceData(grid, mode);
    drawSurface(grid, mode);
}

constexpr RenderMode kSurfaceModes[] = {RenderMode::Plain, RenderMode::HeightColours, RenderMode::Curvature,
                                        RenderMode::Slope};

FeedbackFrame surfaceFrame()
{
    return FeedbackFrame{-1.0, 99.0, -1.0, 99.0, 10.0};
}

FeedbackFrame curveFrame()
{
    return FeedbackFrame{-0.1, 0.9, -0.1, 0.9, 10.0};
}

struct Drawn {
    std::vector<FeedbackPrimitive> primitives;
    std::string printed;
    bool captured = false;
};

Drawn drawCapturing(const FeedbackFrame& frame, const std::function<void()>& draw)
{
    Drawn drawn;
    diagnostics::CollectingSink output;
    diagnostics::ScopedSink outputScope(output);
    drawn.captured = captureFeedback(frame, draw, drawn.primitives);
    drawn.printed = output.take();
    return drawn;
}

Colour curvatureColour(float k)
{
    if (std::isnan(k))
        return kDefaultSurface;
    if (k > 0.1f)
        return kDarkRed;
    if (k > 0.00001f)
        return kLightRed;
    if (k >= -0.00001f)
        return kDefaultSurface;
    if (k >= -0.1f)
        return kLightBlue;
    return kDarkBlue;
}

Colour slopeColour(float s)
{
    if (s > 0.5f)
        return kYellow;
    if (s > 0.3f)
        return kLightRed;
    if (s > 0.075f)
        return kGreen;
    return kGrey;
}

Colour heightColour(const VeskGrid& grid, float h)
{
    const double d = static_cast<double>(h) - grid.minHeight;
    const double t = d / (static_cast<double>(grid.maxHeight) - grid.minHeight);
    if (d < 0.125)
        return kWater;
    if (t < 0.25)
        return {0.6f, 0.4f, 0.0f, 1.0f};
    if (t < 0.375)
        return {0.1f, 0.5f, 0.1f, 1.0f};
    if (t < 0.5)
        return {0.1f, 0.8f, 0.1f, 1.0f};
    if (t < 0.625)
        return {0.9f, 0.25f, 0.25f, 1.0f};
    if (t < 0.75)
        return {1.0f, 0.6f, 0.1f, 1.0f};
    if (t < 0.875)
        return {1.0f, 1.0f, 0.1f, 1.0f};
    return kSnow;
}

} // namespace

class GridDrawingTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { installDefaultSurfaceFormat(); }

private:
    GLTestContext context_;

    // Checks the surface triangles of a grid: one strip per pair of rows, in order,
    // every triangle made of three consecutive strip samples, every vertex exactly on
    // its sample and coloured by colourOf(strip row, sample).
    void checkSurface(const VeskGrid& grid, const Drawn& drawn,
                      const std::function<Colour(int stripRow, const Sample&)>& colourOf)
    {
        QVERIFY(drawn.captured);
        const std::size_t trianglesPerStrip = 2 * static_cast<std::size_t>(grid.width) - 2;
        QCOMPARE(drawn.primitives.size(), static_cast<std::size_t>(grid.height - 1) * trianglesPerStrip);
        std::size_t index = 0;
        for (int b = 0; b + 1 < grid.height; ++b) {
            std::vector<Sample> strip;
            for (int i = 0; i < grid.width; ++i) {
                strip.push_back({b, i});
                strip.push_back({b + 1, i});
            }
            for (std::size_t j = 0; j + 2 < strip.size(); ++j, ++index) {
                const FeedbackPrimitive& triangle = drawn.primitives[index];
                QCOMPARE(triangle.kind, FeedbackPrimitive::Polygon);
                QCOMPARE(triangle.vertices.size(), std::size_t{3});
                std::vector<Sample> expected{strip[j], strip[j + 1], strip[j + 2]};
                for (const FeedbackVertex& vertex : triangle.vertices) {
                    const auto sample = surfaceSample(grid, vertex, 1.0);
                    QVERIFY2(sample.has_value(), qPrintable(describe(vertex)));
                    const auto found = std::find(expected.begin(), expected.end(), *sample);
                    QVERIFY2(found != expected.end(), qPrintable(describe(vertex)));
                    expected.erase(found);
                    QVERIFY2(sameColour(vertex, colourOf(b, *sample)),
                             qPrintable(QStringLiteral("strip %1 sample %2,%3: %4")
                                            .arg(b).arg(sample->row).arg(sample->column).arg(describe(vertex))));
                }
            }
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(context_.create(), context_.error());
        qInfo("GL_RENDERER %s, GL_VERSION %s", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
              reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    }

    void gridWithoutDataDrawsAndPrintsNothing()
    {
        VeskGrid grid;
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] {
            for (const RenderMode mode : {RenderMode::Plain, RenderMode::Contours, RenderMode::HeightColours,
                                          RenderMode::Curvature, RenderMode::Slope})
                refreshAndDrawSurface(grid, mode);
            drawBlockOutline(grid, 0, 0, 2, 2, 1.0f, 0.0f, 0.0f);
            drawBlockOutline(grid, -1, -1, 0, 0, 1.0f, 0.0f, 0.0f);
            drawCurves(grid, true, 1);
            drawCurves(grid, false, 1);
        });
        QVERIFY(drawn.captured);
        QCOMPARE(drawn.primitives.size(), std::size_t{0});
        QCOMPARE(drawn.printed, std::string());
    }

    void plainSurfaceIsOneStripPerRowPair()
    {
        VeskGrid grid;
        fillTestGrid(grid, 4, 3, kUnitCellSize, [](int r, int c) { return 100.0f * r + 10.0f * c + 50.0f; });
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { refreshAndDrawSurface(grid, RenderMode::Plain); });
        QCOMPARE(drawn.printed, std::string());
        checkSurface(grid, drawn, [](int, const Sample&) { return kDefaultSurface; });
        // 2 strips of 6 triangles: the count that checkSurface just verified, stated for the record.
        QCOMPARE(drawn.primitives.size(), std::size_t{12});
    }

    void surfaceFollowsCellSizeAndMinimum()
    {
        VeskGrid grid;
        fillTestGrid(grid, 3, 2, 40.0f, [](int r, int c) { return -200.0f + 300.0f * r + 5.0f * c; });
        std::vector<FeedbackPrimitive> primitives;
        QVERIFY(captureFeedback(FeedbackFrame{-0.1, 0.9, -0.1, 0.9, 10.0}, [&] { refreshAndDrawSurface(grid, RenderMode::Plain); }, primitives));
        QCOMPARE(primitives.size(), std::size_t{4});
        // Sample (1, 2): x = 2 * 40 * 0.0005, y = 1 * 40 * 0.0005, z = (110 - -200) * 0.000625.
        bool seen = false;
        for (const auto& primitive : primitives)
            for (const auto& v : primitive.vertices)
                if (std::fabs(v.x - 0.04) < 1e-5 && std::fabs(v.y - 0.02) < 1e-5) {
                    QVERIFY(std::fabs(v.z - 310.0 * 0.000625) < 1e-5);
                    seen = true;
                }
        QVERIFY(seen);
    }

    void modesWithoutAColouringDrawPlain()
    {
        VeskGrid grid;
        fillTestGrid(
            grid, 3, 3, kUnitCellSize, [](int r, int c) { return 10.0f * r + c; }, [](int, int) { return 0.9f; },
            [](int, int) { return 0.9f; });
        // Contours has no surface colouring; a value outside the enumeration must not read one either.
        for (const RenderMode mode : {RenderMode::Contours, static_cast<RenderMode>(9)}) {
            const Drawn drawn = drawCapturing(surfaceFrame(), [&] { refreshAndDrawSurface(grid, mode); });
            checkSurface(grid, drawn, [](int, const Sample&) { return kDefaultSurface; });
        }
    }

    void heightColoursFollowTheRamp()
    {
        VeskGrid grid;
        // One sample in every band of the ramp; the minimum is 0 and the maximum 80.
        const float heights[3][3] = {{0.0f, 0.1f, 10.0f}, {25.0f, 35.0f, 45.0f}, {55.0f, 65.0f, 80.0f}};
        fillTestGrid(grid, 3, 3, kUnitCellSize, [&](int r, int c) { return heights[r][c]; });
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { refreshAndDrawSurface(grid, RenderMode::HeightColours); });
        checkSurface(grid, drawn, [&](int, const Sample& s) { return heightColour(grid, heights[s.row][s.column]); });

        // Spot checks against the table itself.
        QVERIFY(heightColour(grid, 0.1f) == kWater);
        QVERIFY(heightColour(grid, 80.0f) == kSnow);
    }

    void lowSamplesAreBlueWhateverTheRelief()
    {
        VeskGrid grid;
        // A relief of 0.2: the sample 0.1 above the minimum is half-way up, yet still water.
        const float heights[2][2] = {{0.0f, 0.1f}, {0.05f, 0.2f}};
        fillTestGrid(grid, 2, 2, kUnitCellSize, [&](int r, int c) { return heights[r][c]; });
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { refreshAndDrawSurface(grid, RenderMode::HeightColours); });
        checkSurface(grid, drawn, [&](int, const Sample& s) {
            return (s.row == 1 && s.column == 1) ? kSnow : kWater;
        });
    }

    void curvatureColoursIncludingLastColumnAndNaN()
    {
        VeskGrid grid;
        // Cells (2 rows of 5): every band and both edges of the flat band; the last
        // column of cells is distinctive so that the sample column with no cell of
        // its own shows which cell it borrowed from.
        const float cells[2][5] = {{0.0f, 0.1f, 0.05f, 0.00001f, 0.5f}, {-0.00001f, -0.05f, -0.1f, kNaN, -0.5f}};
        fillTestGrid(
            grid, 6, 3, kUnitCellSize, [](int r, int c) { return 3.0f * r + c; },
            [&](int r, int c) { return cells[r][c]; });
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { refreshAndDrawSurface(grid, RenderMode::Curvature); });
        checkSurface(grid, drawn, [&](int b, const Sample& s) { return curvatureColour(cells[b][std::min(s.column, 4)]); });

        // The expectations above, pinned for the cells that carry the faults.
        QVERIFY(curvatureColour(cells[1][3]) == kDefaultSurface); // not a number
        QVERIFY(curvatureColour(cells[0][4]) == kDarkRed);        // last column, first strip
        QVERIFY(curvatureColour(cells[1][4]) == kDarkBlue);       // last column, second strip
        QVERIFY(curvatureColour(cells[0][1]) == kLightRed);
        QVERIFY(curvatureColour(cells[1][2]) == kLightBlue);
    }

    void slopeColoursIncludingLastColumn()
    {
        VeskGrid grid;
        const float cells[2][5] = {{0.6f, 0.5f, 0.3f, 0.075f, 0.9f}, {0.31f, 0.076f, 0.0f, kNaN, 0.4f}};
        fillTestGrid(
            grid, 6, 3, kUnitCellSize, [](int r, int c) { return 3.0f * r + c; }, {},
            [&](int r, int c) { return cells[r][c]; });
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { refreshAndDrawSurface(grid, RenderMode::Slope); });
        checkSurface(grid, drawn, [&](int b, const Sample& s) { return slopeColour(cells[b][std::min(s.column, 4)]); });
        QVERIFY(slopeColour(cells[0][4]) == kYellow);
        QVERIFY(slopeColour(cells[1][4]) == kLightRed);
    }

    void gridsNarrowerThanTwoSamplesDrawNothing_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("1 x 5") << 1 << 5;
        QTest::newRow("5 x 1") << 5 << 1;
        QTest::newRow("1 x 1") << 1 << 1;
    }

    void gridsNarrowerThanTwoSamplesDrawNothing()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        VeskGrid grid;
        fillTestGrid(grid, width, height, kUnitCellSize, [](int r, int c) { return 1.0f * r + c; });
        for (const RenderMode mode : kSurfaceModes) {
            const Drawn drawn = drawCapturing(surfaceFrame(), [&] { refreshAndDrawSurface(grid, mode); });
            QVERIFY(drawn.captured);
            QCOMPARE(drawn.primitives.size(), std::size_t{0});
        }
    }

    void gridWithDataButNoSamplesDrawsNothing()
    {
        VeskGrid grid;
        grid.resize(0, 5);
        grid.hasData = true;
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] {
            for (const RenderMode mode : kSurfaceModes)
                refreshAndDrawSurface(grid, mode);
        });
        QVERIFY(drawn.captured);
        QCOMPARE(drawn.primitives.size(), std::size_t{0});
    }

    void blockOutlineInside()
    {
        VeskGrid grid;
        fillTestGrid(grid, 6, 5, kUnitCellSize, [](int r, int c) { return 7.0f * r - 2.0f * c; });
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { drawBlockOutline(grid, 1, 1, 3, 2, 0.3f, 0.6f, 0.9f); });
        QVERIFY(drawn.captured);
        QCOMPARE(drawn.printed, std::string());
        bool onSamples = false;
        const auto strips = lineStrips(grid, drawn.primitives, 1.0, 0.01, onSamples);
        QVERIFY(onSamples);
        QCOMPARE(strips.size(), std::size_t{4});
        QVERIFY(strips[0] == rowSamples(1, 1, 4));
        QVERIFY(strips[1] == rowSamples(2, 1, 4));
        QVERIFY(strips[2] == columnSamples(1, 1, 3));
        QVERIFY(strips[3] == columnSamples(3, 1, 3));
        for (const auto& primitive : drawn.primitives)
            for (const auto& vertex : primitive.vertices)
                QVERIFY2(sameColour(vertex, {0.3f, 0.6f, 0.9f, 1.0f}), qPrintable(describe(vertex)));
    }

    void blockOutlineIsCutAtTheGridEdge()
    {
        VeskGrid grid;
        fillTestGrid(grid, 6, 5, kUnitCellSize, [](int r, int c) { return 7.0f * r - 2.0f * c; });
        // x0 = width - 2 with w = 10: columns 4 and 5, right edge on column 5;
        // y0 = 3 with h = 9: rows 3 and 4, top edge on row 4.
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { drawBlockOutline(grid, 4, 3, 10, 9, 1.0f, 0.2f, 0.2f); });
        QVERIFY(drawn.captured);
        QCOMPARE(drawn.printed, std::string());
        bool onSamples = false;
        const auto strips = lineStrips(grid, drawn.primitives, 1.0, 0.01, onSamples);
        QVERIFY(onSamples);
        QCOMPARE(strips.size(), std::size_t{4});
        QVERIFY(strips[0] == rowSamples(3, 4, 6));
        QVERIFY(strips[1] == rowSamples(4, 4, 6));
        QVERIFY(strips[2] == columnSamples(4, 3, 5));
        QVERIFY(strips[3] == columnSamples(5, 3, 5));
    }

    void blockOutlineOfOneSampleHasNoExtent()
    {
        VeskGrid grid;
        fillTestGrid(grid, 6, 5, kUnitCellSize, [](int r, int c) { return 1.0f * r + c; });
        // Four one-vertex strips: valid, but nothing reaches the rasteriser.
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { drawBlockOutline(grid, 2, 2, 1, 1, 1.0f, 0.2f, 0.2f); });
        QVERIFY(drawn.captured);
        QCOMPARE(drawn.printed, std::string());
        QCOMPARE(drawn.primitives.size(), std::size_t{0});
        QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    }

    void blockOutlineBadParameters_data()
    {
        QTest::addColumn<int>("x0");
        QTest::addColumn<int>("y0");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::newRow("negative x0") << -1 << 0 << 2 << 2;
        QTest::newRow("negative y0") << 0 << -3 << 2 << 2;
        QTest::newRow("x0 at width") << 6 << 0 << 1 << 1;
        QTest::newRow("y0 at height") << 0 << 5 << 1 << 1;
        QTest::newRow("zero width") << 0 << 0 << 0 << 1;
        QTest::newRow("zero height") << 0 << 0 << 1 << 0;
    }

    void blockOutlineBadParameters()
    {
        QFETCH(int, x0);
        QFETCH(int, y0);
        QFETCH(int, w);
        QFETCH(int, h);
        VeskGrid grid;
        fillTestGrid(grid, 6, 5, kUnitCellSize, [](int r, int c) { return 1.0f * r + c; });
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { drawBlockOutline(grid, x0, y0, w, h, 1.0f, 0.2f, 0.2f); });
        QVERIFY(drawn.captured);
        QCOMPARE(drawn.primitives.size(), std::size_t{0});
        QCOMPARE(QString::fromStdString(drawn.printed),
                 QStringLiteral("Bad parameters to render(%1,%2,%3,%4)\n").arg(x0).arg(y0).arg(w).arg(h));
    }

    void hugeBlockDoesNotWrapAround()
    {
        VeskGrid grid;
        fillTestGrid(grid, 6, 5, kUnitCellSize, [](int r, int c) { return 1.0f * r + c; });
        const int huge = std::numeric_limits<int>::max();
        const Drawn drawn = drawCapturing(surfaceFrame(), [&] { drawBlockOutline(grid, 1, 1, huge, huge, 1.0f, 0.2f, 0.2f); });
        bool onSamples = false;
        const auto strips = lineStrips(grid, drawn.primitives, 1.0, 0.01, onSamples);
        QVERIFY(onSamples);
        QCOMPARE(strips.size(), std::size_t{4});
        QVERIFY(strips[0] == rowSamples(1, 1, 6));
        QVERIFY(strips[3] == columnSamples(5, 1, 5));
    }

    void curves_data()
    {
        QTest::addColumn<bool>("uCurves");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("u, spacing 1") << true << 1 << QList<int>{0, 1, 2, 3};
        QTest::newRow("u, spacing 2") << true << 2 << QList<int>{0, 2};
        QTest::newRow("u, spacing 3") << true << 3 << QList<int>{0, 3};
        QTest::newRow("u, spacing past the grid") << true << 100 << QList<int>{0};
        QTest::newRow("u, spacing 0 counts as 1") << true << 0 << QList<int>{0, 1, 2, 3};
        QTest::newRow("u, negative spacing counts as 1") << true << -4 << QList<int>{0, 1, 2, 3};
        QTest::newRow("u, largest spacing") << true << std::numeric_limits<int>::max() << QList<int>{0};
        QTest::newRow("v, spacing 1") << false << 1 << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("v, spacing 3") << false << 3 << QList<int>{0, 3};
        QTest::newRow("v, spacing past the grid") << false << 100 << QList<int>{0};
        QTest::newRow("v, spacing 0 counts as 1") << false << 0 << QList<int>{0, 1, 2, 3, 4};
    }

    void curves()
    {
        QFETCH(bool, uCurves);
        QFETCH(int, spacing);
        QFETCH(QList<int>, lines);
        VeskGrid grid;
        // 5 columns by 4 rows; a cell size of 40 so the curve layout (0.02 per sample)
        // would coincide with the surface.
        fillTestGrid(grid, 5, 4, 40.0f, [](int r, int c) { return 20.0f * r * c - 30.0f; });
        const Drawn drawn = drawCapturing(curveFrame(), [&] {
            glDisable(GL_LIGHTING);
            glColor3f(0.0f, 0.0f, 0.0f);
            drawCurves(grid, uCurves, spacing);
        });
        QVERIFY(drawn.captured);
        QCOMPARE(drawn.printed, std::string(uCurves ? "Rendering u-curves\n" : "rendering v-curves\n"));
        bool onSamples = false;
        const auto strips = lineStrips(grid, drawn.primitives, 0.02, 0.0, onSamples);
        QVERIFY(onSamples);
        QCOMPARE(strips.size(), static_cast<std::size_t>(lines.size()));
        for (qsizetype k = 0; k < lines.size(); ++k) {
            const auto expected = uCurves ? rowSamples(lines[k], 0, grid.width) : columnSamples(lines[k], 0, grid.height);
            QVERIFY2(strips[k] == expected, qPrintable(QStringLiteral("line %1").arg(lines[k])));
        }
        for (const auto& primitive : drawn.primitives)
            for (const auto& vertex : primitive.vertices)
                QVERIFY(sameColour(vertex, {0.0f, 0.0f, 0.0f, 1.0f}));
    }
};

QTEST_MAIN(GridDrawingTest)
#include "test_grid_drawing.moc"
