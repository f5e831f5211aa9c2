#include "diagnostics/CollectingSink.h"
#include "grid/DetailSplicing.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

namespace {

FloatMatrix randomMatrix(int rows, int columns, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> value(-20.0f, 20.0f);
    FloatMatrix matrix(rows, std::vector<float>(columns));
    for (auto& row : matrix)
        for (float& entry : row)
            entry = value(generator);
    return matrix;
}

// Numbers printed after the "Differences were . . ." prefix.
int countSeamNumbers(const std::string& output)
{
    const std::string prefix = "Differences were . . .";
    const auto start = output.find(prefix);
    if (start == std::string::npos)
        return -1;
    const auto end = output.find('\n', start);
    std::istringstream numbers(output.substr(start + prefix.size(), end - start - prefix.size()));
    int count = 0;
    double number;
    while (numbers >> number)
        ++count;
    return count;
}

// Every candidate pair in search order: first 0..4, second n-1 down to n-5.
template <typename Difference>
void expectFirstSmallest(const SpliceChoice& choice, int length, Difference difference)
{
    bool beforeChoice = true;
    for (int first = 0; first < 5; ++first) {
        for (int second = length - 1; second >= length - 5; --second) {
            if (first == choice.first && second == choice.second) {
                beforeChoice = false;
                EXPECT_EQ(difference(first, second), choice.difference);
                continue;
            }
            if (beforeChoice)
                EXPECT_GT(difference(first, second), choice.difference) << first << ", " << second;
            else
                EXPECT_GE(difference(first, second), choice.difference) << first << ", " << second;
        }
    }
}

} // namespace

// ------------------------------------------------------------ columns

TEST(DetailColumnSplicing, DifferenceIsTheSumOfSquaresOverRows)
{
    FloatMatrix matrix(2, std::vector<float>(10, 0.0f));
    matrix[0][0] = 1.0f;
    matrix[0][9] = 4.0f;
    matrix[1][0] = 2.0f;
    matrix[1][9] = 6.0f;
    EXPECT_FLOAT_EQ(columnDifference(matrix, 0, 9), 9.0f + 16.0f);
    EXPECT_FLOAT_EQ(columnDifference(matrix, 9, 0), 25.0f);
    EXPECT_FLOAT_EQ(columnDifference(matrix, 1, 8), 0.0f);
}

TEST(DetailColumnSplicing, TailRepeatsTheChosenStretch)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const int width = 10 + static_cast<int>(seed % 7);
        const FloatMatrix original = randomMatrix(6, width, seed);
        FloatMatrix matrix = original;
        SpliceChoice choice;
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        ASSERT_TRUE(spliceColumns(matrix, 3 * width + 1, &choice));

        const int period = choice.second - choice.first;
        ASSERT_GT(period, 0);
        ASSERT_EQ(matrix.size(), original.size());
        for (std::size_t r = 0; r < matrix.size(); ++r) {
            ASSERT_EQ(matrix[r].size(), static_cast<std::size_t>(3 * width + 1));
            for (int c = 0; c < choice.second; ++c)
                EXPECT_EQ(matrix[r][c], original[r][c]);
            for (int c = choice.second; c < 3 * width + 1; ++c)
                EXPECT_EQ(matrix[r][c], matrix[r][c - period]) << "seed " << seed << " column " << c;
        }
        expectFirstSmallest(choice, width, [&](int a, int b) { return columnDifference(original, a, b); });
    }
}

TEST(DetailColumnSplicing, PlantedMatchIsFoundAndPrinted)
{
    FloatMatrix matrix = randomMatrix(4, 14, 7);
    for (auto& row : matrix)
        row[3] = row[11];
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    SpliceChoice choice;
    ASSERT_TRUE(spliceColumns(matrix, 40, &choice));
    const std::string output = messages.take();
    EXPECT_EQ(choice.first, 3);
    EXPECT_EQ(choice.second, 11);
    EXPECT_EQ(choice.difference, 0.0f);
    EXPECT_NE(output.find("\nThe closest two columns were 3 and 11 with a difference of 0.000\n"),
              std::string::npos)
        << output;
    EXPECT_EQ(countSeamNumbers(output), 6);
}

TEST(DetailColumnSplicing, TiesKeepTheFirstPair)
{
    FloatMatrix matrix(3, std::vector<float>(12, 2.5f));
    SpliceChoice choice;
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(spliceColumns(matrix, 20, &choice));
    EXPECT_EQ(choice.first, 0);
    EXPECT_EQ(choice.second, 11);
    for (const auto& row : matrix)
        EXPECT_EQ(row, std::vector<float>(20, 2.5f));
}

TEST(DetailColumnSplicing, SeamDifferencesStopAtTheEndOfTheRow)
{
    // Columns 0 and 9 match, so the seam sits at the last column; a target of
    // 11 leaves room for only the differences up to columns 9 | 10.
    FloatMatrix matrix = randomMatrix(5, 10, 3);
    for (auto& row : matrix)
        row[9] = row[0];
    SpliceChoice choice;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(spliceColumns(matrix, 11, &choice));
    const std::string output = messages.take();
    ASSERT_EQ(choice.second, 9);
    const std::vector<float> differences = seamDifferences(matrix, 9);
    ASSERT_EQ(differences.size(), 3u); // t = -2, -1, 0
    EXPECT_FLOAT_EQ(differences[2], columnDifference(matrix, 9, 10));
    EXPECT_EQ(countSeamNumbers(output), 3);
    EXPECT_TRUE(seamDifferences(matrix, 40).empty());
    EXPECT_EQ(seamDifferences(matrix, 0).size(), 4u); // t = 0 .. 3
}

TEST(DetailColumnSplicing, TargetNotAboveWidthChangesNothing)
{
    const FloatMatrix original = randomMatrix(3, 12, 5);
    FloatMatrix matrix = original;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_TRUE(spliceColumns(matrix, 12));
    EXPECT_TRUE(spliceColumns(matrix, 4));
    EXPECT_EQ(messages.take(), "");
    EXPECT_EQ(matrix, original);
}

TEST(DetailColumnSplicing, UnspliceableMatricesAreRefusedUnchanged)
{
    FloatMatrix narrow = randomMatrix(12, 9, 1);
    FloatMatrix empty;
    const FloatMatrix narrowBefore = narrow;

    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_FALSE(spliceColumns(narrow, 20));
    EXPECT_FALSE(spliceColumns(empty, 20));
    const std::string output = messages.take();
    EXPECT_NE(output.find("cannot splice the columns of a 9 by 12 matrix"), std::string::npos) << output;
    EXPECT_EQ(narrow, narrowBefore);
    EXPECT_TRUE(empty.empty());
}

// ------------------------------------------------------------ rows

TEST(DetailRowSplicing, TailRepeatsTheChosenStretchAndPrintsNothing)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const int rows = 10 + static_cast<int>(seed % 5);
        const FloatMatrix original = randomMatrix(rows, 7, 100 + seed);
        FloatMatrix matrix = original;
        SpliceChoice choice;
        diagnostics::CollectingSink messages;
        diagnostics::ScopedSink collecting(messages);
        ASSERT_TRUE(spliceRows(matrix, 2 * rows + 3, &choice));
        EXPECT_EQ(messages.take(), "");

        const int period = choice.second - choice.first;
        ASSERT_GT(period, 0);
        ASSERT_EQ(matrix.size(), static_cast<std::size_t>(2 * rows + 3));
        for (int r = 0; r < choice.second; ++r)
            EXPECT_EQ(matrix[r], original[r]);
        for (int r = choice.second; r < 2 * rows + 3; ++r)
            EXPECT_EQ(matrix[r], matrix[r - period]) << "seed " << seed << " row " << r;
        expectFirstSmallest(choice, rows, [&](int a, int b) { return rowDifference(original, a, b); });
    }
}

TEST(DetailRowSplicing, PlantedMatchIsFound)
{
    FloatMatrix matrix = randomMatrix(15, 6, 9);
    matrix[4] = matrix[10];
    SpliceChoice choice;
    ASSERT_TRUE(spliceRows(matrix, 30, &choice));
    EXPECT_EQ(choice.first, 4);
    EXPECT_EQ(choice.second, 10);
    EXPECT_EQ(choice.difference, 0.0f);
}

TEST(DetailRowSplicing, UnspliceableMatricesAreRefusedUnchanged)
{
    FloatMatrix shallow = randomMatrix(9, 12, 1);
    const FloatMatrix shallowBefore = shallow;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_FALSE(spliceRows(shallow, 20));
    const std::string output = messages.take();
    EXPECT_NE(output.find("cannot splice the rows of a 12 by 9 matrix"), std::string::npos) << output;
    EXPECT_EQ(shallow, shallowBefore);
}
