// Faber levels through details files: written with their own fine size, read back
// as Faber by that size alone, and refined to the heights they came from.
#include "multires/Faber.h"

#include "MultiresTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace multirestest;

namespace {

QStringList headerLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    for (int i = 0; i < 5; ++i)
        lines << QString::fromLatin1(file.readLine()).trimmed();
    return lines;
}

} // namespace

TEST(FaberDetailsFile, HeaderHoldsTheFaberFineSizeAndMatricesReadBackWithTheirShapes)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    // 41 x 31 coarsens to 21 x 16: row details 16 x 20, column details 15 x 41.
    VeskGrid grid = makeGrid(roughHeights(41, 31, 7));
    runQuietly(reverseFaber, grid);
    ASSERT_EQ(grid.width, 21);
    ASSERT_EQ(grid.height, 16);
    const FloatMatrix rowDetails = grid.details[1];
    const FloatMatrix columnDetails = grid.details[0];
    ASSERT_EQ(shapeOf(rowDetails), "16 X 20");
    ASSERT_EQ(shapeOf(columnDetails), "15 X 41");

    const QString path = directory.filePath(QStringLiteral("faber.dtl"));
    testing::internal::CaptureStdout();
    ASSERT_TRUE(grid.writeDetail(rowDetails, columnDetails, path, 15.0f, QStringLiteral("null")));
    const QStringList lines = headerLines(path);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[1], QStringLiteral("21\tnum_cols"));
    EXPECT_EQ(lines[2], QStringLiteral("16\tnum_rows"));
    EXPECT_EQ(lines[3], QStringLiteral("41\tresulting_num_cols"));
    EXPECT_EQ(lines[4], QStringLiteral("31\tresulting_num_rows"));

    ASSERT_TRUE(grid.loadDetail(path));
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(grid.details.size(), 2u);
    EXPECT_EQ(shapeOf(grid.details[1]), "16 X 20");
    EXPECT_EQ(shapeOf(grid.details[0]), "15 X 41");
    EXPECT_LE(largestDifference(grid.details[1], rowDetails), 1e-5);
    EXPECT_LE(largestDifference(grid.details[0], columnDetails), 1e-5);
}

TEST(FaberDetailsFile, TwoLevelsOfTheRealDemRefineBackThroughTheirFiles)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    VeskGrid fine = makeGrid(realDemHeights(401, 337));
    fine.name = directory.filePath(QStringLiteral("dem"));
    const FloatMatrix start = fine.heights;
    runQuietly(reverseFaber, fine);
    runQuietly(reverseFaber, fine);
    ASSERT_EQ(fine.width, 101);
    ASSERT_EQ(fine.height, 85);

    QString lastName;
    int count = 0;
    testing::internal::CaptureStdout();
    fine.writeDetails(lastName, count);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(count, 2);
    const QStringList files = QDir(directory.path()).entryList({QStringLiteral("*.dtl")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 2);
    // The files are named by the pair's place in the stack: the top pair (coarse 101 x 85)
    // "_for_60.00_to_30.00", the bottom pair "_for_120.00_to_60.00".
    const QString topLevel = directory.filePath(files.filter(QStringLiteral("_for_60.00_")).value(0));
    const QString bottomLevel = directory.filePath(files.filter(QStringLiteral("_for_120.00_")).value(0));

    VeskGrid coarse = makeGrid(fine.heights, fine.cellSize);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(coarse.loadDetail(topLevel));
    testing::internal::GetCapturedStdout();
    runQuietly(subdivideFaber, coarse);
    ASSERT_EQ(coarse.width, 201);
    ASSERT_EQ(coarse.height, 169);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(coarse.loadDetail(bottomLevel));
    testing::internal::GetCapturedStdout();
    runQuietly(subdivideFaber, coarse);
    ASSERT_EQ(coarse.width, 401);
    ASSERT_EQ(coarse.height, 337);
    // Five decimals per detail, two levels of midpoints on top.
    EXPECT_LE(largestDifference(coarse.heights, start), 2e-5);
}
