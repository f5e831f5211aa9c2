// "Go" (detail quilting or multifractal mapping) and "Convert PNG", driven
// through the real window. Quilting draws from the process-wide generator, so
// each comparison replays it from the start for the reference and the window.

#include "AppTestSupport.h"

#include "multires/Chaikin.h"
#include "multires/NormalDeviatesState.h"
#include "png/PngToGrid.h"
#include "diagnostics/CollectingSink.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/SynthesisMethod.h"
#include "synthesis/MultifractalMapping.h"
#include "synthesis/RandomRange.h"
#include "views/GLGrid.h"
#include "views/SurfaceFormat.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QComboBox>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <string>

namespace {

const QString talvane = QStringLiteral("Talvane");

struct GeneratorStates {
    std::uint32_t normal = 0;
};

// Puts both random generators where a reference run starts, so the window's run
// that follows draws the very same numbers.
GeneratorStates rewindGenerators(const GeneratorStates* to = nullptr)
{
    resetRandomRangeGenerator();
    GeneratorStates states;
    if (to != nullptr)
        restoreNormalDeviateState(to->normal);
    states.normal = normalDeviateState();
    return states;
}

std::vector<int> marksOf(const QuiltMatches& matches, int first, int second)
{
    const QuiltRectangle& a = matches.rectangles[static_cast<std::size_t>(first)];
    const QuiltRectangle& b = matches.rectangles[static_cast<std::size_t>(second)];
    return {a.x, a.y, a.width, a.height, b.x, b.y, b.width, b.height};
}

// The window with the sample in both screens and the right one coarsened once.
void loadSamplesAndCoarsenRight(ScriptedWindow& scripted, const SampleFolder& sample)
{
    scripted.log.openAnswers << sample.grd() << sample.grd();
    scripted->fileLoadTerrainLeft_ScreenAction->trigger();
    scripted->fileLoadTerrainRight_ScreenAction->trigger();
    scripted->coarsenRightButton->click();
}

bool sameTerrain(const VeskGrid& a, const VeskGrid& b)
{
    return a.width == b.width && a.height == b.height && a.heights == b.heights && a.details == b.details;
}

} // namespace

class MainWindowSynthesisTest : public QObject {
    Q_OBJECT

private slots:
    void goWithChaikinQuiltsMarksAndRefinesTheLeftScreen()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        loadSamplesAndCoarsenRight(scripted, sample);
        QVERIFY(scripted.log.messages.isEmpty());
        QCOMPARE(window->gLGrid2->grid.width, 202);

        // Old marks are cleared before the new ones are made.
        window->gLGrid1->addMarked(1, 1, 3, 3);
        window->gLGrid2->addMarked(1, 1, 3, 3);

        // Reference: quilting with the block size the rule gives, then one Chaikin refinement.
        VeskGrid base = window->gLGrid1->grid;
        VeskGrid example = window->gLGrid2->grid;
        const VeskGrid exampleBefore = example;
        const GeneratorStates start = rewindGenerators();
        QuiltMatches matches;
        QString error;
        QVERIFY(quiltDetails(base, example, SynthesisOptions{.blockSize = (403 + 344) / 30, .rescaleBefore = true, .rescaleAfter = true, .search = {}}, matches, error));
        QVERIFY(subdivideChaikin(base));

        rewindGenerators(&start);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        window->pushButton6->click();
        const std::string printed = capture.take();

        QVERIFY(scripted.log.messages.isEmpty());
        QVERIFY(sameTerrain(window->gLGrid1->grid, base));
        QVERIFY(sameTerrain(window->gLGrid2->grid, exampleBefore));
        QCOMPARE(window->gLGrid1->grid.width, 2 * 403 - 2);
        QCOMPARE(window->grid1WidthSpinBox->value(), window->gLGrid1->grid.width);

        const auto& r = matches.rectangles;
        const std::string markpoints = QString::asprintf("markpoints are %i,%i %i,%i %i,%i %i,%i\n", r[0].x, r[0].y,
                                                         r[1].x, r[1].y, r[2].x, r[2].y, r[3].x, r[3].y)
                                           .toStdString();
        QVERIFY2(printed.find(markpoints) != std::string::npos, printed.substr(0, 2000).c_str());
        QVERIFY(printed.find("Marking ") != std::string::npos);
        QVERIFY(printed.find("*** CALLING CHAIKIN ***") != std::string::npos);

        // Both views show the matches; the left's marks were doubled by the refinement.
        QVERIFY(window->gLGrid1->marked);
        QVERIFY(window->gLGrid2->marked);
        QCOMPARE(window->gLGrid2->marks, marksOf(matches, QuiltMatches::middleExample, QuiltMatches::randomExample));
        const std::vector<int> leftBefore = marksOf(matches, QuiltMatches::middleBase, QuiltMatches::randomBase);
        QCOMPARE(window->gLGrid1->marks.size(), std::size_t{8});
        QCOMPARE(window->gLGrid1->marks[0], 2 * leftBefore[0]);
        QCOMPARE(window->gLGrid1->marks[1], 2 * leftBefore[1]);
        QCOMPARE(window->gLGrid1->marks[4], 2 * leftBefore[4]);
    }

    void coherentGoOverTwoLevelsAndErosionAreOneUndoStepEach()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        scripted.log.openAnswers << sample.grd() << sample.grd();
        window->fileLoadTerrainLeft_ScreenAction->trigger();
        window->fileLoadTerrainRight_ScreenAction->trigger();
        window->coarsenLeftButton->click();
        window->coarsenLeftButton->click();
        const VeskGrid base = window->gLGrid1->grid;
        window->synthesisMethodComboBox->setCurrentIndex(
            window->synthesisMethodComboBox->findData(static_cast<int>(SynthesisMethod::coherent)));
        window->goLevelsSpinBox->setValue(2);
        window->pushButton6->click();
        QVERIFY(scripted.log.messages.isEmpty());
        QCOMPARE(window->gLGrid1->grid.width, 2 * (2 * base.width - 2) - 2);
        QCOMPARE(window->gLGrid1->grid.height, 2 * (2 * base.height - 2) - 2);

        const VeskGrid synthesised = window->gLGrid1->grid;
        window->editErodeLeftAction->trigger();
        QVERIFY(scripted.log.messages.isEmpty());
        QVERIFY(window->gLGrid1->grid.heights != synthesised.heights);
        window->editUndoAction->trigger();
        QVERIFY(window->gLGrid1->grid.heights == synthesised.heights);
        window->editUndoAction->trigger();
        QVERIFY(sameTerrain(window->gLGrid1->grid, base));
    }

    void goWithRefineMatchesQuiltsWithTheRefinedSearch()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        loadSamplesAndCoarsenRight(scripted, sample);

        VeskGrid random = window->gLGrid1->grid;
        VeskGrid refined = window->gLGrid1->grid;
        const VeskGrid example = window->gLGrid2->grid;
        QuiltMatches matches;
        QString error;
        MatchSearch search;
        search.mode = MatchSearch::Mode::refined;
        const GeneratorStates start = rewindGenerators();
        QVERIFY(quiltDetails(random, example, SynthesisOptions{.blockSize = (403 + 344) / 30, .rescaleBefore = true, .rescaleAfter = true, .search = {}}, matches, error));
        rewindGenerators(&start);
        QVERIFY(quiltDetails(refined, example, SynthesisOptions{.blockSize = (403 + 344) / 30, .rescaleBefore = true, .rescaleAfter = true, .search = search}, matches, error));
        QVERIFY(subdivideChaikin(refined));
        QVERIFY(random.details != refined.details);

        window->refineMatchesCB->setChecked(true);
        rewindGenerators(&start);
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        window->pushButton6->click();
        QVERIFY(scripted.log.messages.isEmpty());
        QVERIFY(sameTerrain(window->gLGrid1->grid, refined));
    }

    void goWithTraditionalMapsWithoutRefiningAgain()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        loadSamplesAndCoarsenRight(scripted, sample);
        window->multiresolutionTraditionalAction->trigger();
        QCOMPARE(window->schemeNumber(), 2);
        window->gLGrid1->addMarked(1, 1, 3, 3);

        VeskGrid base = window->gLGrid1->grid;
        VeskGrid example = window->gLGrid2->grid;
        const GeneratorStates start = rewindGenerators();
        QString error;
        QVERIFY(multifractalMapping(base, example, SynthesisOptions{.blockSize = (403 + 344) / 30, .rescaleBefore = true, .rescaleAfter = true, .search = {}}, error));

        rewindGenerators(&start);
        diagnostics::CollectingSink capture;
        diagnostics::ScopedSink captureScope(capture);
        window->pushButton6->click();
        const std::string printed = capture.take();

        QVERIFY(scripted.log.messages.isEmpty());
        QVERIFY(sameTerrain(window->gLGrid1->grid, base));
        QVERIFY(sameTerrain(window->gLGrid2->grid, example));
        // Mapping refines once; no second refinement follows.
        QCOMPARE(window->gLGrid1->grid.width, 2 * 403 - 2);
        QCOMPARE(window->gLGrid1->grid.height, 2 * 344 - 2);
        QCOMPARE(window->grid1WidthSpinBox->value(), 2 * 403 - 2);
        QCOMPARE(window->grid1HeightSpinBox->value(), 2 * 344 - 2);
        QCOMPARE(window->grid2WidthspinBox->value(), window->gLGrid2->grid.width);
        QCOMPARE(window->grid2HeightSpinBox->value(), window->gLGrid2->grid.height);
        QVERIFY(printed.find("markpoints are") == std::string::npos);
        QVERIFY(printed.find("updateGUI") != std::string::npos);
        QVERIFY(!window->gLGrid1->marked);
        QVERIFY(window->gLGrid1->marks.empty());
        QVERIFY(window->gLGrid1->listDirty);
    }

    void blockSizeFollowsTheRuleForTheLeftGrid_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("expected");
        QTest::newRow("300 x 300 at the top of the slider") << 300 << 100 << 20;
        QTest::newRow("60 x 60 at the top of the slider") << 60 << 100 << 5;
        QTest::newRow("300 x 300 with 40 asked for") << 300 << 40 << 40;
    }

    void blockSizeFollowsTheRuleForTheLeftGrid()
    {
        QFETCH(int, side);
        QFETCH(int, requested);
        QFETCH(int, expected);
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        loadSamplesAndCoarsenRight(scripted, sample);
        window->grid1WidthSpinBox->setValue(side);
        window->grid1HeightSpinBox->setValue(side);
        QCOMPARE(window->gLGrid1->grid.width, side);
        window->blocksizeSlider->setValue(requested);

        VeskGrid base = window->gLGrid1->grid;
        VeskGrid example = window->gLGrid2->grid;
        const GeneratorStates start = rewindGenerators();
        QuiltMatches matches;
        QString error;
        QVERIFY2(quiltDetails(base, example, SynthesisOptions{.blockSize = expected, .rescaleBefore = true, .rescaleAfter = true, .search = {}}, matches, error), qPrintable(error));

        rewindGenerators(&start);
        window->pushButton6->click();
        QVERIFY(scripted.log.messages.isEmpty());
        QCOMPARE(window->gLGrid2->marks, marksOf(matches, QuiltMatches::middleExample, QuiltMatches::randomExample));
        QCOMPARE(window->gLGrid2->marks[2], expected - 1);
    }

    void refusedQuiltingIsShownAndLeavesBothScreens()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        // The right screen has not been coarsened: it has no detail to give.
        QVERIFY(window->openTerrainLeft(sample.grd()));
        QVERIFY(window->openTerrainRight(sample.grd()));
        window->gLGrid1->addMarked(2, 3, 4, 5);
        window->gLGrid1->setMarked(true);
        const VeskGrid left = window->gLGrid1->grid;
        const VeskGrid right = window->gLGrid2->grid;
        const std::vector<int> leftMarks = window->gLGrid1->marks;

        window->pushButton6->click();
        const ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY(!message.text.isEmpty());
        QVERIFY(sameTerrain(window->gLGrid1->grid, left));
        QVERIFY(sameTerrain(window->gLGrid2->grid, right));
        QCOMPARE(window->gLGrid1->marks, leftMarks);
        QVERIFY(window->gLGrid1->marked);
        QCOMPARE(window->grid1WidthSpinBox->value(), 403);

        // Empty screens are refused the same way.
        ScriptedWindow empty;
        empty->pushButton6->click();
        const ScriptedDialogs::Message emptyMessage = empty.takeOnlyMessage();
        QCOMPARE(emptyMessage.caption, talvane);
        QVERIFY(!emptyMessage.text.isEmpty());
        QVERIFY(!empty->gLGrid1->grid.hasData);
    }

    void goUnderAnotherSchemeThanTheExamplesGivesTheLeftScreenBack()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        QVERIFY(window->openTerrainRight(sample.grd()));
        // The left screen has a detail level of its own, which a refused "Go" must not cost it.
        window->coarsenLeftButton->click();
        window->coarsenRightButton->click(); // a Chaikin level on the right
        window->multiresolutionFaberAction->trigger();
        const VeskGrid left = window->gLGrid1->grid;
        const VeskGrid right = window->gLGrid2->grid;
        QCOMPARE(left.details.size(), std::size_t(2));

        window->pushButton6->click();
        const ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY(message.text.startsWith(QStringLiteral("The left terrain was not refined with the quilted details: ")));
        QVERIFY(message.text.contains(QStringLiteral("do not fit")));
        QVERIFY(sameTerrain(window->gLGrid1->grid, left));
        QVERIFY(sameTerrain(window->gLGrid2->grid, right));
        QCOMPARE(window->grid1WidthSpinBox->value(), left.width);
    }

    void refusedMappingIsShownAndLeavesBothScreens()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QVERIFY(window->openTerrainLeft(sample.grd()));
        window->multiresolutionTraditionalAction->trigger();
        const VeskGrid left = window->gLGrid1->grid;

        window->pushButton6->click(); // the right screen is empty
        const ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QVERIFY(message.text.contains(QStringLiteral("no data")));
        QVERIFY(sameTerrain(window->gLGrid1->grid, left));
        QVERIFY(!window->gLGrid2->grid.hasData);
        QCOMPARE(window->grid1WidthSpinBox->value(), 403);
    }

    // --- PNG conversion ---

    void aPngBecomesAnAsciiGrid()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QImage image(2, 1, QImage::Format_RGB32);
        image.setPixel(0, 0, qRgb(255, 255, 255));
        image.setPixel(1, 0, qRgb(0, 0, 0));
        const QString png = sample.path(QStringLiteral("two.png"));
        QVERIFY(image.save(png, "PNG"));

        scripted.log.openAnswers << png;
        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("two")),
                                                     QStringLiteral("Grid Ascii Format (*.grd)")};
        window->fileConvert_PNGAction->trigger();
        QVERIFY(scripted.log.messages.isEmpty());

        const FileDialogRequest& open = scripted.log.openRequests.first();
        QCOMPARE(open.dialogName, QStringLiteral("Select file for conversion"));
        QCOMPARE(open.caption, QStringLiteral("Select PNG file for conversion to GRD format."));
        QCOMPARE(open.filter, QStringLiteral("PNG Image Format (*.png)"));
        const FileDialogRequest& save = scripted.log.saveRequests.first();
        QCOMPARE(save.dialogName, QStringLiteral("Save File"));
        QCOMPARE(save.caption, QStringLiteral("Save File"));
        QCOMPARE(save.filter, QStringLiteral("Grid Ascii Format (*.grd)"));
        QCOMPARE(save.startPath, png);

        QCOMPARE(readWholeFile(sample.path(QStringLiteral("two.grd"))),
                 QByteArray("ncols\t2\nnrows\t1\nxllcorner\t0\nyllcorner\t0\n"
                            "xdim\t0.002700000070035458\nydim\t0.002700000070035458\nNODATA_value\t-9999\n"
                            "1000.00 0.00 \n"));
        // The views are not touched.
        QVERIFY(!window->gLGrid1->grid.hasData);
        QVERIFY(!window->gLGrid2->grid.hasData);

        // A name that holds ".grd" is used as it is; the grid reads back at 291 metres.
        scripted.log.openAnswers << png;
        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("again.grd")), QString()};
        window->fileConvert_PNGAction->trigger();
        QVERIFY(window->openTerrainLeft(sample.path(QStringLiteral("again.grd"))));
        QCOMPARE(window->gLGrid1->grid.width, 2);
        QCOMPARE(window->gLGrid1->grid.cellSize, 291.0f);
    }

    void conversionCancelledOrFailingIsHandled()
    {
        ScriptedWindow scripted;
        TalvaneMainWindow* window = scripted.window.get();
        SampleFolder sample;
        QVERIFY(sample.isValid());
        const int filesBefore = static_cast<int>(QDir(sample.directory.path()).count());

        window->fileConvert_PNGAction->trigger(); // first dialog cancelled
        QCOMPARE(scripted.log.saveRequests.size(), 0);
        const QString png = sample.path(QStringLiteral("grey.png"));
        QImage image(3, 2, QImage::Format_Grayscale8);
        image.fill(128);
        QVERIFY(image.save(png, "PNG"));
        scripted.log.openAnswers << png;
        window->fileConvert_PNGAction->trigger(); // second dialog cancelled
        QCOMPARE(scripted.log.saveRequests.size(), 1);
        QVERIFY(scripted.log.messages.isEmpty());
        QCOMPARE(static_cast<int>(QDir(sample.directory.path()).count()), filesBefore + 1);

        // A file that is no PNG is refused and makes no grid.
        const QString notPng = sample.path(QStringLiteral("fake.png"));
        QVERIFY(writeTextFile(notPng, "GIF89a definitely not a png"));
        scripted.log.openAnswers << notPng;
        scripted.log.saveAnswers << SaveDialogAnswer{sample.path(QStringLiteral("fake")), QString()};
        window->fileConvert_PNGAction->trigger();
        ScriptedDialogs::Message message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QCOMPARE(message.text, QStringLiteral("Could not decode the PNG file %1: The file does not have PNG signature.")
                                   .arg(notPng));
        QVERIFY(!QFile::exists(sample.path(QStringLiteral("fake.grd"))));

        // A grid that cannot be written.
        const QString nowhere = sample.path(QStringLiteral("no-such-folder/grey"));
        scripted.log.openAnswers << png;
        scripted.log.saveAnswers << SaveDialogAnswer{nowhere, QString()};
        window->fileConvert_PNGAction->trigger();
        message = scripted.takeOnlyMessage();
        QCOMPARE(message.caption, talvane);
        QCOMPARE(message.text, QStringLiteral("Error when attempting to write to ") + nowhere + QStringLiteral(".grd"));
    }
};

TALVANE_APP_TEST_MAIN(MainWindowSynthesisTest)

#include "test_main_window_synthesis.moc"
