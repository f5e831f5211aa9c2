// The profile plot: its value scale and what a painted plot shows, read back from
// the framebuffer.

#include "views/GLProfile.h"
#include "views/ProfileReduction.h"
#include "views/SurfaceFormat.h"

#include <QOpenGLContext>
#include <QtTest>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr int kPlotWidth = 400;
constexpr int kPlotHeight = 300;

std::unique_ptr<GLProfile> shownPlot()
{
    auto plot = std::make_unique<GLProfile>(nullptr, "gLProfileTest");
    plot->resize(kPlotWidth, kPlotHeight);
    plot->show();
    if (!QTest::qWaitForWindowExposed(plot.get()))
        return nullptr;
    return plot;
}

// Where a plot coordinate lands in the image (row 0 at the top). The box runs from
// -0.01 to 1.01 across and from -0.1 to 1.0 up; curve values sit 0.05 below their
// scaled height.
int columnOf(double x, const QImage& image)
{
    return static_cast<int>(std::lround((x + 0.01) / 1.02 * image.width()));
}

int rowOfScaled(double scaled, const QImage& image)
{
    const double screenY = scaled - 0.05;
    return static_cast<int>(std::lround(image.height() - (screenY + 0.1) / 1.1 * image.height()));
}

bool isRed(QColor c)
{
    return c.red() > 180 && c.green() < 90 && c.blue() < 90;
}

bool isGreen(QColor c)
{
    return c.green() > 100 && c.red() < 60 && c.blue() < 60;
}

bool isBlue(QColor c)
{
    return c.blue() > 150 && c.red() < 60 && c.green() < 60;
}

// Whether a pixel of the kind is within `reach` rows of the given row in that column.
bool foundNear(const QImage& image, int column, int row, int reach, bool (*kind)(QColor))
{
    for (int y = row - reach; y <= row + reach; ++y)
        for (int x = column - 1; x <= column + 1; ++x)
            if (x >= 0 && y >= 0 && x < image.width() && y < image.height() && kind(image.pixelColor(x, y)))
                return true;
    return false;
}

int countKind(const QImage& image, bool (*kind)(QColor))
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (kind(image.pixelColor(x, y)))
                ++count;
    return count;
}

} // namespace

class GLProfileTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { installDefaultSurfaceFormat(); }

private slots:
    void initTestCase()
    {
        auto plot = shownPlot();
        QVERIFY2(plot != nullptr, "the plot's window was never exposed");
        QVERIFY2(plot->context() != nullptr && plot->context()->isValid(), "no OpenGL context for the plot");
        QCOMPARE(plot->objectName(), QStringLiteral("gLProfileTest"));
        const int slot = plot->metaObject()->indexOfSlot("setCurve(std::vector<float>)");
        QVERIFY(slot >= 0);
        QCOMPARE(plot->metaObject()->method(slot).parameterNames().value(0), QByteArray("curve"));
    }

    void initialScale()
    {
        GLProfile plot;
        QVERIFY(plot.curve.empty());
        QCOMPARE(plot.maxValue, 1.0f);
        QCOMPARE(plot.minValue, 0.0f);
    }

    void scale_data()
    {
        QTest::addColumn<QList<float>>("values");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<float>("maximum");
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float infinity = std::numeric_limits<float>::infinity();
        QTest::newRow("empty") << QList<float>{} << 0.0f << 1.0f;
        QTest::newRow("constant 5") << QList<float>{5, 5, 5} << 5.0f << 6.0f;
        QTest::newRow("-2 to 2") << QList<float>{-2, 0, 2, 1} << -2.0f << 2.0f;
        QTest::newRow("unordered") << QList<float>{3, 1, 4, 1, 5, 9, 2, 6} << 1.0f << 9.0f;
        QTest::newRow("single value") << QList<float>{-7} << -7.0f << -6.0f;
        QTest::newRow("not-a-number values left out") << QList<float>{nan, 1, 3, nan} << 1.0f << 3.0f;
        QTest::newRow("infinities left out") << QList<float>{-infinity, 2, 4, infinity} << 2.0f << 4.0f;
        QTest::newRow("nothing finite") << QList<float>{nan, infinity} << 0.0f << 1.0f;
    }

    void scale()
    {
        QFETCH(QList<float>, values);
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        GLProfile plot;
        plot.setCurve({10.0f, 20.0f}); // a previous curve must not leak into the next scale
        plot.setCurve(std::vector<float>(values.begin(), values.end()));
        QCOMPARE(plot.curve.size(), static_cast<std::size_t>(values.size()));
        QCOMPARE(plot.minValue, minimum);
        QCOMPARE(plot.maxValue, maximum);
        QVERIFY(plot.maxValue > plot.minValue);
    }

    void scaleStaysOpenFarFromZero()
    {
        GLProfile plot;
        plot.setCurve({1e9f, 1e9f});
        QCOMPARE(plot.minValue, 1e9f);
        QVERIFY(plot.maxValue > plot.minValue); // 1e9 + 1 is 1e9 in single precision
    }

    void paintedCurveAndZeroLine()
    {
        auto plot = shownPlot();
        QVERIFY(plot != nullptr);
        plot->setCurve({-2.0f, 2.0f});
        const QImage image = plot->grabFramebuffer();
        QVERIFY(!image.isNull());

        // The zero line lies at mid-height, across the plot.
        const int zeroRow = rowOfScaled(0.5, image);
        QCOMPARE(zeroRow, image.height() / 2);
        for (const double x : {0.05, 0.2, 0.8, 0.95})
            QVERIFY2(foundNear(image, columnOf(x, image), zeroRow, 1, isGreen),
                     qPrintable(QStringLiteral("no zero line at x = %1").arg(x)));
        QVERIFY2(!foundNear(image, columnOf(0.5, image), rowOfScaled(0.9, image), 3, isGreen),
                 "green where no zero line should be");

        // The curve rises from the bottom left to the top right: at x the scaled value is x.
        for (const double x : {0.1, 0.25, 0.7, 0.9})
            QVERIFY2(foundNear(image, columnOf(x, image), rowOfScaled(x, image), 2, isRed),
                     qPrintable(QStringLiteral("no curve at x = %1").arg(x)));
        QVERIFY2(!foundNear(image, columnOf(0.25, image), rowOfScaled(0.75, image), 3, isRed),
                 "red where the curve is not");

        // Its two values are drawn as points at the ends.
        QVERIFY(foundNear(image, columnOf(0.0, image), rowOfScaled(0.0, image), 3, isBlue));
        QVERIFY(foundNear(image, columnOf(1.0, image), rowOfScaled(1.0, image), 3, isBlue));
    }

    void constantCurveLiesAlongTheBottomWithoutZeroLine()
    {
        auto plot = shownPlot();
        QVERIFY(plot != nullptr);
        plot->setCurve(std::vector<float>(20, 5.0f));
        const QImage image = plot->grabFramebuffer();
        for (const double x : {0.1, 0.5, 0.9})
            QVERIFY(foundNear(image, columnOf(x, image), rowOfScaled(0.0, image), 2, isRed) ||
                    foundNear(image, columnOf(x, image), rowOfScaled(0.0, image), 3, isBlue));
        QCOMPARE(countKind(image, isGreen), 0); // the value 0 is far below the box
        QVERIFY(countKind(image, isRed) + countKind(image, isBlue) > 200);
    }

    void emptyCurveShowsOnlyTheZeroLineAtTheBottom()
    {
        auto plot = shownPlot();
        QVERIFY(plot != nullptr);
        plot->setCurve({1.0f, -3.0f, 8.0f});
        plot->grabFramebuffer();
        plot->setCurve({});
        const QImage image = plot->grabFramebuffer();
        QCOMPARE(countKind(image, isRed), 0);
        QCOMPARE(countKind(image, isBlue), 0);
        QVERIFY(foundNear(image, columnOf(0.5, image), rowOfScaled(0.0, image), 1, isGreen));
        QVERIFY(countKind(image, isGreen) > kPlotWidth / 2);
    }

    void singleValueSitsAtTheLeftEdge()
    {
        auto plot = shownPlot();
        QVERIFY(plot != nullptr);
        plot->setCurve({4.0f});
        const QImage image = plot->grabFramebuffer();
        QVERIFY(foundNear(image, columnOf(0.0, image), rowOfScaled(0.0, image), 3, isBlue));
        QCOMPARE(countKind(image, isBlue), countKind(image.copy(0, 0, 12, image.height()), isBlue));
    }

    void longCurveLooksAsIfEveryValueWereDrawn()
    {
        auto plot = shownPlot();
        QVERIFY(plot != nullptr);
        // A rough row of a 16,385² terrain: a random walk, in a 400-pixel plot.
        std::vector<float> curve(16385);
        std::uint32_t state = 12345u;
        for (std::size_t i = 1; i < curve.size(); ++i) {
            state = state * 1664525u + 1013904223u;
            curve[i] = curve[i - 1] + (static_cast<float>(state >> 8) / 16777216.0f - 0.5f);
        }
        plot->setCurve(curve);
        const QImage reduced = plot->grabFramebuffer();
        plot->drawsEveryValue = true;
        const QImage every = plot->grabFramebuffer();
        QCOMPARE(reduced.size(), every.size());

        const ProfileVertices kept =
            profileVerticesDrawn(curve, plot->minValue, plot->maxValue, every.width(), every.height());
        QVERIFY2(kept.line.size() < curve.size() / 4 && kept.points.size() < curve.size() / 2,
                 qPrintable(QStringLiteral("%1 line and %2 point vertices").arg(kept.line.size()).arg(kept.points.size())));
        int differing = 0;
        for (int y = 0; y < every.height(); ++y)
            for (int x = 0; x < every.width(); ++x) {
                const QColor a = reduced.pixelColor(x, y);
                const QColor b = every.pixelColor(x, y);
                if (std::abs(a.red() - b.red()) > 8 || std::abs(a.green() - b.green()) > 8 || std::abs(a.blue() - b.blue()) > 8)
                    ++differing;
            }
        // Points a pixel apart within a column may rasterise a row apart: the same yardstick as the
        // terrain's levels of detail, at most 1 % of the pixels more than 8 levels off.
        QVERIFY2(differing <= every.width() * every.height() / 100,
                 qPrintable(QStringLiteral("%1 pixels differ").arg(differing)));
    }
};

QTEST_MAIN(GLProfileTest)
#include "test_glprofile.moc"
