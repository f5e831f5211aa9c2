#include "diagnostics/CollectingSink.h"
#include "synthesis/DetailQuilting.h"
#include "synthesis/QuiltLayout.h"

#include "multires/Chaikin.h"
#include "multires/Faber.h"
#include "synthesis/RandomRange.h"

#include "SynthesisTestGrids.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

// Quilting from an example coarsened by the Faber scheme: the base's new level
// must have the Faber shapes so that the Faber refinement can use it. Tests
// reset the process-wide uniform generator first.

namespace {

// Coefficient codes that tell where a pasted value came from: 1 + 1000 row + column.
float coded(int column, int row)
{
    return static_cast<float>(1 + 1000 * row + column);
}

int codedRow(float value)
{
    return (static_cast<int>(value) - 1) / 1000;
}

int codedColumn(float value)
{
    return (static_cast<int>(value) - 1) % 1000;
}

VeskGrid noisyTerrain(int width, int height, unsigned salt)
{
    return makeTerrain(width, height, [=](int x, int y) { return 60.0f * hashedNoise(x, y, salt) + 0.3f * y; });
}

// An example of width x height carrying one coded level of the given kind's shapes.
VeskGrid codedExample(int width, int height, DetailLevelKind kind)
{
    VeskGrid example = noisyTerrain(width, height, 11);
    const DetailLevelShape shape = detailLevelShape(kind, width, height);
    example.details.push_back(filledMatrix(shape.columnDetailRows, shape.columnDetailColumns, coded));
    example.details.push_back(filledMatrix(shape.rowDetailRows, shape.rowDetailColumns, coded));
    return example;
}

void expectShape(const FloatMatrix& matrix, int rows, int columns)
{
    ASSERT_EQ(matrix.size(), static_cast<std::size_t>(rows));
    for (const auto& row : matrix)
        ASSERT_EQ(row.size(), static_cast<std::size_t>(columns));
}

void expectEveryCellPasted(const FloatMatrix& matrix)
{
    for (const auto& row : matrix)
        for (const float value : row)
            ASSERT_NE(value, 0.0f) << "a coefficient was never pasted";
}

// The value at (row, column) continues the block of its neighbour at
// (row - rowStep, column - columnStep): same source, shifted by the same step.
void expectContinues(const FloatMatrix& matrix, int row, int column, int rowStep, int columnStep)
{
    const float value = matrix[row][column];
    const float neighbour = matrix[row - rowStep][column - columnStep];
    EXPECT_EQ(codedRow(value), codedRow(neighbour) + rowStep) << "at " << row << ", " << column;
    EXPECT_EQ(codedColumn(value), codedColumn(neighbour) + columnStep) << "at " << row << ", " << column;
}

struct QuiltRun {
    bool succeeded = false;
    QString error;
    std::string output;
};

QuiltRun runQuilt(VeskGrid& base, const VeskGrid& example, int requested, bool before = false, bool after = false)
{
    QuiltRun run;
    QuiltMatches matches;
    resetRandomRangeGenerator();
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    run.succeeded = quiltDetails(base, example, SynthesisOptions{.blockSize = requested, .rescaleBefore = before, .rescaleAfter = after, .search = {}}, matches, run.error);
    run.output = messages.take();
    return run;
}

// Spread of the Faber detail coefficients of one coarsening: how far the samples
// a Faber coarsening drops lie from their neighbours' midpoints. (The Chaikin
// estimate suits Chaikin refinements; it also counts the kinks that linear
// interpolation leaves, which quilted detail does not cancel the way a real
// terrain's own detail does.)
float faberDetailDeviationOf(VeskGrid grid)
{
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    const bool coarsened = reverseFaber(grid);
    EXPECT_TRUE(coarsened);
    double sum = 0.0;
    double squares = 0.0;
    long long count = 0;
    for (const FloatMatrix& level : grid.details)
        for (const auto& row : level)
            for (const float value : row) {
                sum += value;
                squares += static_cast<double>(value) * value;
                ++count;
            }
    if (count == 0)
        return 0.0f;
    const double mean = sum / static_cast<double>(count);
    return static_cast<float>(std::sqrt(squares / static_cast<double>(count) - mean * mean));
}

} // namespace

TEST(FaberLevelShape, ChaikinAndFaberShapesOfACoarseGrid)
{
    const DetailLevelShape chaikin = detailLevelShape(DetailLevelKind::chaikin, 64, 50);
    EXPECT_EQ(chaikin.rowDetailRows, 50);
    EXPECT_EQ(chaikin.rowDetailColumns, 62);
    EXPECT_EQ(chaikin.columnDetailRows, 48);
    EXPECT_EQ(chaikin.columnDetailColumns, 126);
    const DetailLevelShape faber = detailLevelShape(DetailLevelKind::faber, 64, 50);
    EXPECT_EQ(faber.rowDetailRows, 50);
    EXPECT_EQ(faber.rowDetailColumns, 63);
    EXPECT_EQ(faber.columnDetailRows, 49);
    EXPECT_EQ(faber.columnDetailColumns, 127);
}

TEST(FaberLevelShape, ShapesAreWhatEachCoarseningPushes)
{
    for (const DetailLevelKind kind : {DetailLevelKind::chaikin, DetailLevelKind::faber}) {
        VeskGrid grid = noisyTerrain(41, 36, 5);
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        ASSERT_TRUE(kind == DetailLevelKind::faber ? reverseFaber(grid) : reverseChaikin(grid));
        const DetailLevelShape shape = detailLevelShape(kind, grid.width, grid.height);
        expectShape(grid.details[0], shape.columnDetailRows, shape.columnDetailColumns);
        expectShape(grid.details[1], shape.rowDetailRows, shape.rowDetailColumns);
    }
}

// Every Faber paste stays inside the base's level and the example's level, even
// for candidates at the far edges of their range, and together they cover it.
TEST(FaberLayout, PastesCoverTheFaberLevelAndStayInsideTheExample)
{
    const int exampleWidth = 61;
    const int exampleHeight = 57;
    const DetailLevelShape source = detailLevelShape(DetailLevelKind::faber, exampleWidth, exampleHeight);
    for (int requested = 2; requested <= 100; requested += 7) {
        for (int baseSize = 9; baseSize <= 70; baseSize += 5) {
            const int baseWidth = baseSize;
            const int baseHeight = baseSize + 1;
            QuiltLayout layout;
            QString error;
            diagnostics::SilentSink silence;
            diagnostics::ScopedSink silenced(silence);
            const bool planned =
                planQuiltLayout(requested, baseWidth, baseHeight, exampleWidth, exampleHeight, layout, error);
            if (!planned)
                continue;
            const DetailLevelShape target = detailLevelShape(DetailLevelKind::faber, baseWidth, baseHeight);
            std::vector<std::vector<int>> columnCoverage(target.columnDetailRows,
                                                         std::vector<int>(target.columnDetailColumns, 0));
            std::vector<std::vector<int>> rowCoverage(target.rowDetailRows, std::vector<int>(target.rowDetailColumns, 0));
            for (const TiledBlock& block : layout.tiling.blocks) {
                // The candidate range of a block of this size: 1 .. side - extent - 2.
                const int lastX = exampleWidth - block.width - 2;
                const int lastY = exampleHeight - block.height - 2;
                for (const BlockPosition example : {BlockPosition{1, 1}, BlockPosition{lastX, lastY}}) {
                    const DetailPaste columnPaste =
                        columnDetailsPaste(block, example, layout.tiling, DetailLevelKind::faber);
                    ASSERT_GE(columnPaste.sourceColumn, 0);
                    ASSERT_LE(columnPaste.sourceColumn + columnPaste.width, source.columnDetailColumns);
                    ASSERT_LE(columnPaste.sourceRow + columnPaste.height, source.columnDetailRows);
                    ASSERT_LE(columnPaste.destinationColumn + columnPaste.width, target.columnDetailColumns)
                        << requested << " on " << baseSize;
                    ASSERT_LE(columnPaste.destinationRow + columnPaste.height, target.columnDetailRows);
                    const DetailPaste rowPaste = rowDetailsPaste(block, example, layout.tiling, DetailLevelKind::faber);
                    ASSERT_GE(rowPaste.sourceColumn, 0);
                    ASSERT_LE(rowPaste.sourceColumn + rowPaste.width, source.rowDetailColumns);
                    ASSERT_LE(rowPaste.sourceRow + rowPaste.height, source.rowDetailRows);
                    ASSERT_LE(rowPaste.destinationColumn + rowPaste.width, target.rowDetailColumns);
                    ASSERT_LE(rowPaste.destinationRow + rowPaste.height, target.rowDetailRows);
                    for (int i = 0; i < columnPaste.height; ++i)
                        for (int j = 0; j < columnPaste.width; ++j)
                            ++columnCoverage[columnPaste.destinationRow + i][columnPaste.destinationColumn + j];
                    for (int i = 0; i < rowPaste.height; ++i)
                        for (int j = 0; j < rowPaste.width; ++j)
                            ++rowCoverage[rowPaste.destinationRow + i][rowPaste.destinationColumn + j];
                }
            }
            for (const auto& row : columnCoverage)
                for (const int count : row)
                    ASSERT_GT(count, 0) << "a column detail is never pasted: " << requested << " on " << baseSize;
            for (const auto& row : rowCoverage)
                for (const int count : row)
                    ASSERT_GT(count, 0) << "a row detail is never pasted: " << requested << " on " << baseSize;
        }
    }
}

TEST(FaberQuilting, CodedFaberLevelFillsTheExtraColumnAndRowFromTheLastBlocks)
{
    for (const int requested : {20, 100, 13}) {
        VeskGrid base = noisyTerrain(64, 50, 2);
        const VeskGrid example = codedExample(101, 93, DetailLevelKind::faber);
        const QuiltRun run = runQuilt(base, example, requested);
        ASSERT_TRUE(run.succeeded) << run.error.toStdString();
        EXPECT_FALSE(contains(run.output, "error in")) << requested;
        ASSERT_EQ(base.details.size(), 2u);
        const FloatMatrix& columnDetails = base.details[0];
        const FloatMatrix& rowDetails = base.details[1];
        expectShape(columnDetails, 49, 127);
        expectShape(rowDetails, 50, 63);
        expectEveryCellPasted(columnDetails);
        expectEveryCellPasted(rowDetails);
        // The extra column of the row details and the extra row and fine column of
        // the column details continue the last blocks' source, one step on.
        for (int row = 0; row < 50; ++row)
            expectContinues(rowDetails, row, 62, 0, 1);
        for (int column = 0; column < 127; ++column)
            expectContinues(columnDetails, 48, column, 1, 0);
        for (int row = 0; row < 49; ++row)
            expectContinues(columnDetails, row, 126, 0, 1);
    }
}

TEST(FaberQuilting, FaberCoarsenedExampleLetsTheFaberRefinementRefineTheBase)
{
    VeskGrid example = noisyTerrain(129, 121, 7);
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(reverseFaber(example));
    ASSERT_EQ(example.width, 65);
    ASSERT_EQ(example.height, 61);

    VeskGrid base = noisyTerrain(40, 33, 3);
    base.details.push_back(filledMatrix(3, 3, coded)); // an old stack is replaced
    base.details.push_back(filledMatrix(3, 3, coded));
    base.details.push_back(filledMatrix(3, 3, coded));
    const QuiltRun run = runQuilt(base, example, 20);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_FALSE(contains(run.output, "error in"));
    ASSERT_EQ(base.details.size(), 2u);
    expectShape(base.details[0], 32, 79);
    expectShape(base.details[1], 33, 39);

    const float oldCellSize = base.cellSize;
    messages.clear();
    const bool refined = subdivideFaber(base);
    const std::string output = messages.take();
    ASSERT_TRUE(refined) << base.lastError.toStdString();
    EXPECT_TRUE(contains(output, "Performing one level of FABER subdivision with details\n"));
    EXPECT_EQ(base.width, 2 * 40 - 1);
    EXPECT_EQ(base.height, 2 * 33 - 1);
    EXPECT_EQ(base.cellSize, 0.5f * oldCellSize);
    EXPECT_TRUE(base.details.empty());
}

TEST(FaberQuilting, RescaledCoefficientsOfAFaberLevelAreScaledBack)
{
    VeskGrid base = makeTerrain(48, 40, [](int x, int y) { return 10.0f * hashedNoise(x, y, 4); });
    base.heights[0][0] = 0.0f;
    base.heights[3][3] = 10.0f;
    base.computeStatistics();
    VeskGrid example = makeTerrain(90, 80, [](int x, int y) { return 100.0f + 200.0f * hashedNoise(x, y, 8); });
    example.heights[1][1] = 100.0f;
    example.heights[2][2] = 300.0f;
    example.computeStatistics();
    const DetailLevelShape shape = detailLevelShape(DetailLevelKind::faber, 90, 80);
    example.details.push_back(filledMatrix(shape.columnDetailRows, shape.columnDetailColumns, [](int, int) { return 4.0f; }));
    example.details.push_back(filledMatrix(shape.rowDetailRows, shape.rowDetailColumns, [](int, int) { return 4.0f; }));
    const QuiltRun run = runQuilt(base, example, 20, true, true);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    expectShape(base.details[0], 39, 95);
    expectShape(base.details[1], 40, 47);
    for (const FloatMatrix& level : base.details)
        for (const auto& row : level)
            for (const float value : row)
                ASSERT_FLOAT_EQ(value, 4.0f * 10.0f / 200.0f);
}

// The sample DEM quilted onto its own Faber-coarsened terrain: the refined base
// must carry detail as strong as the terrain it came from, where plain
// refinement carries none.
TEST(FaberQuilting, SampleTerrainQuiltedOntoItsOwnCoarseningRefinesToItsRoughness)
{
    VeskGrid terrain;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(terrain.loadGRDFile(QString::fromStdString(testDataPath("jacksboro.grd"))));
    VeskGrid example = terrain;
    ASSERT_TRUE(reverseFaber(example));
    ASSERT_EQ(example.width, 202);
    ASSERT_EQ(example.height, 172);
    const float exampleDeviation = faberDetailDeviationOf(terrain);
    ASSERT_GT(exampleDeviation, 0.0f);

    VeskGrid base = example;
    base.clearDetails();
    VeskGrid smoothOnly = base;
    const QuiltRun run = runQuilt(base, example, 20);
    ASSERT_TRUE(run.succeeded) << run.error.toStdString();
    EXPECT_FALSE(contains(run.output, "error in"));
    ASSERT_TRUE(subdivideFaber(base)) << base.lastError.toStdString();
    ASSERT_TRUE(subdivideFaberWithoutDetails(smoothOnly));
    // reverseFaber dropped the even last row for good: 344 -> 343.
    ASSERT_EQ(base.width, 403);
    ASSERT_EQ(base.height, 343);
    EXPECT_EQ(base.cellSize, terrain.cellSize);

    const float transferredDeviation = faberDetailDeviationOf(base);
    const float smoothDeviation = faberDetailDeviationOf(smoothOnly);
    EXPECT_NEAR(transferredDeviation, exampleDeviation, 0.25f * exampleDeviation)
        << "example " << exampleDeviation << ", transferred " << transferredDeviation;
    EXPECT_LT(smoothDeviation, 0.01f * exampleDeviation) << "plain refinement " << smoothDeviation;
    // The Faber refinement keeps the coarse samples: every second sample is the base's own.
    for (int y = 0; y < example.height; ++y)
        for (int x = 0; x < example.width; ++x)
            ASSERT_EQ(base.heights[2 * y][2 * x], example.heights[y][x]);
}

// A top level of neither scheme's shapes is refused before anything changes.
class FaberQuiltingRefusal : public testing::Test {
protected:
    void SetUp() override
    {
        base = noisyTerrain(64, 50, 2);
        base.details.push_back(filledMatrix(48, 126, [](int, int) { return 0.25f; }));
        base.details.push_back(filledMatrix(50, 62, [](int, int) { return 0.5f; }));
        example = codedExample(101, 93, DetailLevelKind::faber);
    }

    void expectRefused()
    {
        const VeskGrid baseBefore = base;
        const VeskGrid exampleBefore = example;
        QuiltMatches matches;
        matches.rectangles[1] = {4, 3, 2, 1};
        const QuiltMatches matchesBefore = matches;
        QString error;
        resetRandomRangeGenerator();
        diagnostics::CollectingSink messages;
        diagnostics::ScopedSink collecting(messages);
        const bool quilted = quiltDetails(base, example, SynthesisOptions{.blockSize = 20, .rescaleBefore = true, .rescaleAfter = true, .search = {}}, matches, error);
        const std::string output = messages.take();
        EXPECT_FALSE(quilted);
        EXPECT_TRUE(contains(output, "Error in makeDetails - the target's top detail level")) << output;
        EXPECT_TRUE(contains(output, "is neither a Chaikin nor a Faber level of a 101 X 93 terrain\n")) << output;
        EXPECT_FALSE(contains(output, "Starting texture transfer"));
        EXPECT_TRUE(error.contains(QStringLiteral("top detail level"))) << error.toStdString();
        expectSameGrid(base, baseBefore);
        expectSameGrid(example, exampleBefore);
        EXPECT_EQ(matches, matchesBefore);
    }

    VeskGrid base;
    VeskGrid example;
};

TEST_F(FaberQuiltingRefusal, FaberRowDetailsOverChaikinColumnDetails)
{
    const DetailLevelShape chaikin = detailLevelShape(DetailLevelKind::chaikin, 101, 93);
    example.details[0] = filledMatrix(chaikin.columnDetailRows, chaikin.columnDetailColumns, coded);
    expectRefused();
}

TEST_F(FaberQuiltingRefusal, LevelOfAnotherTerrainSize)
{
    example.clearDetails();
    const DetailLevelShape other = detailLevelShape(DetailLevelKind::faber, 80, 93);
    example.details.push_back(filledMatrix(other.columnDetailRows, other.columnDetailColumns, coded));
    example.details.push_back(filledMatrix(other.rowDetailRows, other.rowDetailColumns, coded));
    expectRefused();
}

TEST_F(FaberQuiltingRefusal, LevelLargerThanEitherShape)
{
    example.details[1] = FloatMatrix(example.details[1].rows(), example.details[1].columns() + 1, 1.0f);
    expectRefused();
}
