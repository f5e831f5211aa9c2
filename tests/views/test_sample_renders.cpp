// The real sample DEM drawn by a GLGrid in each of the five render modes, saved as
// PNG images in the build folder (jacksboro_<mode>.png) for a person to look at,
// and checked for what each mode must show.

#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QOpenGLContext>
#include <QtTest>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

namespace {

struct ModeShot {
    int mode;
    const char* name;
};

constexpr std::array<ModeShot, 5> kModes{{{0, "plain"}, {1, "contours"}, {2, "height"}, {3, "curvature"}, {4, "slope"}}};

// Chromaticity of a colour: scaled so that its largest channel is 1. Lighting scales
// a material colour, so a lit pixel keeps the chromaticity of its material.
std::array<double, 3> chroma(double r, double g, double b)
{
    const double top = std::max({r, g, b, 1e-9});
    return {r / top, g / top, b / top};
}

struct NamedColour {
    const char* name;
    std::array<double, 3> rgb;
};

// The nearest named colour, by chromaticity.
const char* nearest(const QColor& pixel, const std::vector<NamedColour>& palette)
{
    const auto p = chroma(pixel.red(), pixel.green(), pixel.blue());
    const char* best = nullptr;
    double bestDistance = 1e9;
    for (const auto& colour : palette) {
        const auto c = chroma(colour.rgb[0], colour.rgb[1], colour.rgb[2]);
        const double d = (p[0] - c[0]) * (p[0] - c[0]) + (p[1] - c[1]) * (p[1] - c[1]) + (p[2] - c[2]) * (p[2] - c[2]);
        if (d < bestDistance) {
            bestDistance = d;
            best = colour.name;
        }
    }
    return best;
}

bool isBackground(const QColor& c)
{
    return c.red() == 255 && c.green() == 255 && c.blue() == 255;
}

struct Census {
    int terrainPixels = 0;
    std::map<std::string, int> counts;

    double share(const std::string& name) const
    {
        const auto found = counts.find(name);
        return terrainPixels == 0 || found == counts.end() ? 0.0 : double(found->second) / terrainPixels;
    }

    int bandsAbove(double minimumShare) const
    {
        int bands = 0;
        for (const auto& [name, count] : counts)
            if (terrainPixels > 0 && double(count) / terrainPixels > minimumShare)
                ++bands;
        return bands;
    }
};

Census census(const QImage& image, const std::vector<NamedColour>& palette)
{
    Census result;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (isBackground(pixel))
                continue;
            ++result.terrainPixels;
            ++result.counts[nearest(pixel, palette)];
        }
    return result;
}

void report(const char* mode, const Census& c)
{
    std::string line;
    for (const auto& [name, count] : c.counts)
        line += name + " " + std::to_string(100.0 * count / c.terrainPixels).substr(0, 5) + "%  ";
    qInfo("%s: %d terrain pixels; %s", mode, c.terrainPixels, line.c_str());
}

const std::vector<NamedColour> kHeightRamp{
    {"water", {0.2, 0.2, 0.8}},        {"brown", {0.6, 0.4, 0.0}},  {"dark green", {0.1, 0.5, 0.1}},
    {"green", {0.1, 0.8, 0.1}},        {"red", {0.9, 0.25, 0.25}}, {"orange", {1.0, 0.6, 0.1}},
    {"yellow", {1.0, 1.0, 0.1}},       {"snow", {0.95, 0.95, 0.95}}};

const std::vector<NamedColour> kCurvaturePalette{
    {"dark red", {0.6, 0.0, 0.0}}, {"light red", {1.0, 0.2, 0.2}}, {"flat", {0.9, 0.9, 0.9}},
    {"light blue", {0.2, 0.2, 0.9}}, {"dark blue", {0.0, 0.0, 0.6}}};

const std::vector<NamedColour> kSlopePalette{
    {"yellow", {1.0, 1.0, 0.0}}, {"light red", {1.0, 0.2, 0.2}}, {"green", {0.05, 0.95, 0.05}}, {"grey", {0.5, 0.5, 0.5}}};

const std::vector<NamedColour> kNeutral{{"neutral", {1.0, 1.0, 1.0}}, {"red", {1, 0, 0}}, {"green", {0, 1, 0}},
                                        {"blue", {0, 0, 1}}, {"yellow", {1, 1, 0}}};

} // namespace

class SampleRendersTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { installDefaultSurfaceFormat(); }

private:
    std::unique_ptr<GLGrid> view_;
    std::map<int, QImage> shots_;

    // An oblique view from the south that fits the whole terrain in the window.
    void frameTerrain(GLGrid& view)
    {
        const double extentX = view.grid.width * static_cast<double>(view.grid.cellSize) * 0.0005;
        const double extentY = view.grid.height * static_cast<double>(view.grid.cellSize) * 0.0005;
        view.setScale(0);
        view.setXRotation(-50);
        const double angle = -50.0 * M_PI / 180.0;
        const double centreY = extentY / 2 * std::cos(angle);
        const double centreZ = extentY / 2 * std::sin(angle);
        const double distance = 0.55 * std::max(extentX, extentY);
        view.xTrans = static_cast<float>(1.5 - extentX / 2);
        view.yTrans = static_cast<float>(3.0 - centreY);
        view.zTrans = static_cast<float>(5.0 - distance - centreZ);
    }

private slots:
    void initTestCase()
    {
        view_ = std::make_unique<GLGrid>(nullptr, "gLGrid1");
        view_->resize(800, 600);
        view_->show();
        QVERIFY2(QTest::qWaitForWindowExposed(view_.get()), "the view's window was never exposed");
        QVERIFY2(view_->context() != nullptr && view_->context()->isValid(), "no OpenGL context");
        QVERIFY(view_->grid.loadGRDFile(QStringLiteral(TALVANE_TEST_DATA "/jacksboro.grd")));
        QCOMPARE(view_->grid.width, 403);
        QCOMPARE(view_->grid.height, 344);
        qInfo("cell size %g, heights %g to %g", view_->grid.cellSize, view_->grid.minHeight, view_->grid.maxHeight);
        frameTerrain(*view_);
        view_->setContourSpacing(8);
        for (const ModeShot& shot : kModes) {
            view_->setRenderMethod(shot.mode);
            const QImage image = view_->grabFramebuffer();
            QVERIFY(!image.isNull());
            const QString path = QStringLiteral(TALVANE_TEST_OUTPUT "/jacksboro_%1.png").arg(QLatin1String(shot.name));
            QVERIFY2(image.save(path), qPrintable(path));
            shots_[shot.mode] = image;
        }
        std::fflush(stdout);
    }

    void everyModeShowsTheTerrainDifferently()
    {
        for (const ModeShot& shot : kModes) {
            if (shot.mode == 1)
                continue; // contours are lines on the background
            const QImage& image = shots_[shot.mode];
            int covered = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (!isBackground(image.pixelColor(x, y)))
                        ++covered;
            QVERIFY2(covered > image.width() * image.height() / 4,
                     qPrintable(QStringLiteral("%1 covers only %2 pixels").arg(shot.name).arg(covered)));
        }
        for (const ModeShot& a : kModes)
            for (const ModeShot& b : kModes)
                if (a.mode < b.mode)
                    QVERIFY2(shots_[a.mode] != shots_[b.mode], qPrintable(QStringLiteral("%1 = %2").arg(a.name, b.name)));
    }

    void plainSurfaceIsLitGrey()
    {
        const QImage& image = shots_[0];
        const Census c = census(image, kNeutral);
        report("plain", c);
        QVERIFY(c.share("neutral") > 0.99);
        QSet<int> levels;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!isBackground(image.pixelColor(x, y)))
                    levels.insert(image.pixelColor(x, y).green());
        qInfo("plain: %lld grey levels", static_cast<long long>(levels.size()));
        QVERIFY2(levels.size() > 30, "the surface is not shaded by the light");
    }

    void contoursAreBlackLines()
    {
        const QImage& image = shots_[1];
        int dark = 0;
        int coloured = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (isBackground(c))
                    continue;
                if (c.red() < 64 && c.green() < 64 && c.blue() < 64)
                    ++dark;
                if (std::abs(c.red() - c.green()) > 8 || std::abs(c.green() - c.blue()) > 8)
                    ++coloured;
            }
        qInfo("contours: %d dark pixels, %d coloured", dark, coloured);
        QVERIFY(dark > 5000);
        QCOMPARE(coloured, 0);
    }

    void heightColoursSpanTheRamp()
    {
        const Census c = census(shots_[2], kHeightRamp);
        report("height", c);
        QVERIFY2(c.bandsAbove(0.01) >= 5, "fewer than five bands of the height ramp are visible");
    }

    void curvatureShowsBothSigns()
    {
        const Census c = census(shots_[3], kCurvaturePalette);
        report("curvature", c);
        QVERIFY(c.share("dark red") + c.share("light red") > 0.02);
        QVERIFY(c.share("dark blue") + c.share("light blue") > 0.02);
    }

    void slopeShowsSteepAndGentleGround()
    {
        const Census c = census(shots_[4], kSlopePalette);
        report("slope", c);
        QVERIFY(c.share("grey") > 0.02);
        QVERIFY(c.bandsAbove(0.01) >= 2);
    }
};

QTEST_MAIN(SampleRendersTest)
#include "test_sample_renders.moc"
