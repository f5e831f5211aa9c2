#include "diagnostics/CollectingSink.h"
#include "grid/VeskGrid.h"
#include "io/SampleLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

struct DetailLevel {
    FloatMatrix rowDetails;    // M rows of N-2 values
    FloatMatrix columnDetails; // M-2 rows of 2N-2 values
};

// One level as coarsening leaves it for a coarse grid of N columns and M rows.
DetailLevel randomLevel(int coarseWidth, int coarseHeight, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> value(-40.0f, 40.0f);
    DetailLevel level;
    level.rowDetails.assign(coarseHeight, std::vector<float>(coarseWidth - 2));
    level.columnDetails.assign(coarseHeight - 2, std::vector<float>(2 * coarseWidth - 2));
    for (auto* matrix : {&level.rowDetails, &level.columnDetails})
        for (auto& row : *matrix)
            for (float& entry : row)
                entry = value(generator);
    return level;
}

// A flat terrain of the given size, built in place.
void makeTerrain(VeskGrid& grid, int width, int height)
{
    grid.width = width;
    grid.height = height;
    grid.heights.assign(height, std::vector<float>(width, 100.0f));
    grid.hasData = true;
}

std::string readText(const QString& path)
{
    std::ifstream file(QFile::encodeName(path).constData(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeText(const QString& path, const std::string& text)
{
    std::ofstream file(QFile::encodeName(path).constData(), std::ios::binary);
    file << text;
}

// The seven header lines of a details file, with sizes given as text so that
// hostile values can be written.
std::string headerText(const std::string& columns, const std::string& rows,
                       const std::string& source = "terrain", const std::string& cellSize = "30.000000",
                       const std::string& resultingColumns = "0", const std::string& resultingRows = "0")
{
    return source + "\tsource\n" + columns + "\tnum_cols\n" + rows + "\tnum_rows\n" + resultingColumns +
           "\tresulting_num_cols\n" + resultingRows + "\tresulting_num_rows\n" + cellSize + "\tcellsize(m)\n" +
           "null\tnext_file\n\n\n";
}

// Values of a whole matrix in the file's format.
std::string matrixText(const FloatMatrix& matrix)
{
    std::string text;
    char value[64];
    for (const auto& row : matrix) {
        for (const float entry : row) {
            std::snprintf(value, sizeof value, "%1.5f ", static_cast<double>(entry));
            text += value;
        }
        text += "\n";
    }
    return text;
}

std::string fileText(const DetailLevel& level, int coarseWidth, int coarseHeight, const std::string& source,
                     const std::string& cellSize = "30.000000")
{
    return headerText(std::to_string(coarseWidth), std::to_string(coarseHeight), source, cellSize,
                      std::to_string(2 * coarseWidth - 2), std::to_string(2 * coarseHeight - 2)) +
           "width_details\n" +
           matrixText(level.rowDetails) + "\nheight_details\n" + matrixText(level.columnDetails) + "\n";
}

bool contains(const std::string& text, const std::string& piece)
{
    return text.find(piece) != std::string::npos;
}

float fiveDecimals(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%1.5f", static_cast<double>(value));
    return static_cast<float>(std::strtod(text, nullptr));
}

void expectSameToFiveDecimals(const FloatMatrix& actual, const FloatMatrix& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t r = 0; r < actual.size(); ++r) {
        ASSERT_EQ(actual[r].size(), expected[r].size()) << "row " << r;
        for (std::size_t c = 0; c < actual[r].size(); ++c) {
            // What the file holds is the value printed to five decimals; reading
            // it gives back exactly the float nearest to that text.
            ASSERT_EQ(actual[r][c], fiveDecimals(expected[r][c])) << "row " << r << " column " << c;
            ASSERT_NEAR(actual[r][c], expected[r][c], 1e-5) << "row " << r << " column " << c;
        }
    }
}

class DetailsFileTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(directory.isValid()); }

    QString path(const QString& fileName) const { return directory.filePath(fileName); }

    // Loads with standard output captured; returns what was printed.
    std::string load(VeskGrid& grid, const QString& fileName, bool& loaded)
    {
        diagnostics::CollectingSink messages;
        diagnostics::ScopedSink collecting(messages);
        loaded = grid.loadDetail(fileName);
        return messages.take();
    }

    // Writes a level with the grid's own writer.
    QString writeLevel(const DetailLevel& level, const QString& fileName)
    {
        VeskGrid writer;
        writer.name = QStringLiteral("terrain");
        diagnostics::SilentSink silence;
        diagnostics::ScopedSink silenced(silence);
        const bool written = writer.writeDetail(level.rowDetails, level.columnDetails, fileName, 30.0f,
                                                QStringLiteral("null"));
        EXPECT_TRUE(written);
        return fileName;
    }

    QTemporaryDir directory;
};

} // namespace

// ------------------------------------------------------------ writing

TEST_F(DetailsFileTest, TwoLevelsWriteTwoFilesNamedByCellSize)
{
    // A 30 m terrain coarsened twice: 16 x 14 -> 9 x 8 -> 5 x 5 (N x M per level).
    const DetailLevel fine = randomLevel(9, 8, 1);   // level 0: for the 9 x 8 grid
    const DetailLevel coarse = randomLevel(5, 5, 2); // level 1: for the 5 x 5 grid
    VeskGrid grid;
    grid.name = path(QStringLiteral("terraingrd"));
    grid.cellSize = 120.0f;
    grid.details = {fine.columnDetails, fine.rowDetails, coarse.columnDetails, coarse.rowDetails};
    const auto stackBefore = grid.details;

    QString fileName;
    int count = 0;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.writeDetails(fileName, count);
    const std::string output = messages.take();

    const QString top = grid.name + QStringLiteral("_for_60.00_to_30.00_m_data.dtl");
    const QString bottom = grid.name + QStringLiteral("_for_120.00_to_60.00_m_data.dtl");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(fileName, bottom);
    EXPECT_TRUE(grid.lastError.isEmpty());
    EXPECT_EQ(grid.cellSize, 120.0f);
    EXPECT_EQ(grid.details, stackBefore);

    const std::string topText = readText(top);
    const std::string bottomText = readText(bottom);
    EXPECT_TRUE(contains(topText, "\n5\tnum_cols\n5\tnum_rows\n8\tresulting_num_cols\n8\tresulting_num_rows\n"
                                  "60.000000\tcellsize(m)\nnull\tnext_file\n\n\nwidth_details\n"));
    EXPECT_TRUE(contains(bottomText, "\n9\tnum_cols\n8\tnum_rows\n16\tresulting_num_cols\n14\tresulting_num_rows\n"
                                     "30.000000\tcellsize(m)\n"));
    const std::string source = QFile::encodeName(grid.name).toStdString();
    EXPECT_EQ(topText, fileText(coarse, 5, 5, source, "60.000000"));
    EXPECT_EQ(bottomText, fileText(fine, 9, 8, source, "30.000000"));
    EXPECT_TRUE(contains(output, "has been written successfully\n"));
}

TEST_F(DetailsFileTest, WrittenFileIsByteExact)
{
    VeskGrid grid;
    grid.name = QStringLiteral("terrain");
    const FloatMatrix rowDetails = {{1.5f, -0.25f}, {0.0f, 3.141592f}};
    const FloatMatrix columnDetails = {{1.0f, 2.0f, 3.0f, 4.0f}};
    const QString fileName = path(QStringLiteral("exact.dtl"));

    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    ASSERT_TRUE(grid.writeDetail(rowDetails, columnDetails, fileName, 30.0f, QStringLiteral("null")));
    const std::string output = messages.take();

    EXPECT_EQ(readText(fileName), "terrain\tsource\n"
                                  "4\tnum_cols\n"
                                  "2\tnum_rows\n"
                                  "4\tresulting_num_cols\n"
                                  "4\tresulting_num_rows\n"
                                  "30.000000\tcellsize(m)\n"
                                  "null\tnext_file\n\n\n"
                                  "width_details\n"
                                  "1.50000 -0.25000 \n"
                                  "0.00000 3.14159 \n"
                                  "\nheight_details\n"
                                  "1.00000 2.00000 3.00000 4.00000 \n"
                                  "\n");
    // Row details: largest 3.142, smallest -0.250, mean 4.391592 / 4.
    EXPECT_TRUE(contains(output, "max = 3.142\tmin=-0.250\tave=1.098\n")) << output;
    // Column details: mean 2.5, deviation sqrt(1.25).
    EXPECT_TRUE(contains(output, "max = 4.000\tmin=1.000\tave=2.500\tstd deviation=1.118\n")) << output;
    EXPECT_TRUE(contains(output, "Details file " + QFile::encodeName(fileName).toStdString() +
                                     " has been written successfully\n"));
}

TEST_F(DetailsFileTest, CellSizeNotAboveZeroIsWrittenAsMinusOne)
{
    VeskGrid grid;
    const DetailLevel level = randomLevel(12, 12, 3);
    const QString fileName = path(QStringLiteral("unset.dtl"));
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(grid.writeDetail(level.rowDetails, level.columnDetails, fileName, -1.0f, QStringLiteral("null")));
    EXPECT_TRUE(contains(readText(fileName), "\n-1\tcellsize(m)\n"));
}

TEST_F(DetailsFileTest, ValuesArePrintedExactlyAsPrintfPrintsThem)
{
    std::mt19937 generator(11);
    std::vector<float> values = {0.0f, -0.0f, 0.000005f, -0.000005f, 0.125f, 2.5e-6f, 7.5e-6f, 1e10f,
                                 -123.456785f, 99999.99999f, 3.4e38f, -1.17549435e-38f};
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-12, 12);
    for (int i = 0; i < 5000; ++i)
        values.push_back(std::ldexp(mantissa(generator), exponent(generator)));

    VeskGrid grid;
    const FloatMatrix rowDetails = {values};
    const FloatMatrix columnDetails = {{1.0f}};
    const QString fileName = path(QStringLiteral("format.dtl"));
    diagnostics::SilentSink silence;
    diagnostics::ScopedSink silenced(silence);
    ASSERT_TRUE(grid.writeDetail(rowDetails, columnDetails, fileName, 1.0f, QStringLiteral("null")));

    const std::string expectedLine = "width_details\n" + matrixText(rowDetails);
    EXPECT_TRUE(contains(readText(fileName), expectedLine));
}

TEST_F(DetailsFileTest, EmptyStackWritesNothing)
{
    VeskGrid grid;
    grid.name = path(QStringLiteral("empty"));
    grid.cellSize = 30.0f;
    QString fileName = QStringLiteral("previous");
    int count = 5;
    grid.writeDetails(fileName, count);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(fileName.isEmpty());
    EXPECT_TRUE(QDir(directory.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(DetailsFileTest, OddStackWritesItsPairsAndNeverReadsBelowTheBottom)
{
    const DetailLevel level = randomLevel(12, 12, 4);
    VeskGrid grid;
    grid.name = path(QStringLiteral("odd"));
    grid.cellSize = 60.0f;
    grid.details = {level.rowDetails, level.columnDetails, level.rowDetails};

    QString fileName;
    int count = 0;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.writeDetails(fileName, count);
    const std::string output = messages.take();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(fileName, grid.name + QStringLiteral("_for_30.00_to_15.00_m_data.dtl"));
    EXPECT_TRUE(contains(output, "bottom detail matrix has no column details below it"));
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(DetailsFileTest, WriteFailuresReportMinusOneAndTheName)
{
    const DetailLevel level = randomLevel(12, 12, 5);
    VeskGrid grid;
    grid.name = path(QStringLiteral("missing-folder/terrain"));
    grid.cellSize = 60.0f;
    grid.details = {level.columnDetails, level.rowDetails};
    QString fileName;
    int count = 0;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    grid.writeDetails(fileName, count);
    const std::string output = messages.take();
    EXPECT_EQ(count, -1);
    EXPECT_EQ(fileName, QStringLiteral("Failed to write file ") + grid.name +
                            QStringLiteral("_for_60.00_to_30.00_m_data.dtl"));
    EXPECT_FALSE(grid.lastError.isEmpty());
    EXPECT_TRUE(contains(output, "*** Error *** fopen returned NULL when writing detail for file "));
}

TEST_F(DetailsFileTest, MatricesWithoutValuesAreNotWritten)
{
    VeskGrid grid;
    const DetailLevel level = randomLevel(12, 12, 6);
    const QString fileName = path(QStringLiteral("refused.dtl"));

    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    EXPECT_FALSE(grid.writeDetail({}, level.columnDetails, fileName, 30.0f, QStringLiteral("null")));
    EXPECT_FALSE(grid.writeDetail(level.rowDetails, {{}}, fileName, 30.0f, QStringLiteral("null")));
    const std::string emptyOutput = messages.take();
    EXPECT_TRUE(contains(emptyOutput, "*** Error *** details passed to writeDetail have 0 size for file "));
    EXPECT_FALSE(grid.lastError.isEmpty());
    EXPECT_FALSE(QFile::exists(fileName));
}

// ------------------------------------------------------------ loading

TEST_F(DetailsFileTest, RoundTripGivesTheSameMatricesToFiveDecimals)
{
    const DetailLevel level = randomLevel(14, 13, 7);
    const QString fileName = writeLevel(level, path(QStringLiteral("round.dtl")));

    VeskGrid grid;
    makeTerrain(grid, 14, 13);
    grid.details = {level.columnDetails, level.rowDetails, level.columnDetails, level.rowDetails};
    bool loaded = false;
    const std::string output = load(grid, fileName, loaded);
    ASSERT_TRUE(loaded) << output;
    EXPECT_TRUE(grid.lastError.isEmpty());
    ASSERT_EQ(grid.details.size(), 2u);
    expectSameToFiveDecimals(grid.details[0], level.columnDetails);
    expectSameToFiveDecimals(grid.details[1], level.rowDetails);
    EXPECT_TRUE(contains(output, "Loading details file "));
    EXPECT_TRUE(contains(output, "Width and height of current grid are 14 X 13\n"));
    EXPECT_FALSE(contains(output, "Size of newdetails"));
}

TEST_F(DetailsFileTest, LargerDetailsStayAsRead)
{
    const DetailLevel level = randomLevel(16, 15, 8);
    const QString fileName = writeLevel(level, path(QStringLiteral("large.dtl")));
    VeskGrid grid;
    makeTerrain(grid, 8, 6);
    bool loaded = false;
    load(grid, fileName, loaded);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(grid.details.size(), 2u);
    expectSameToFiveDecimals(grid.details[0], level.columnDetails);
    expectSameToFiveDecimals(grid.details[1], level.rowDetails);
}

TEST_F(DetailsFileTest, NarrowDetailsAreSplicedToTheGridWidth)
{
    const DetailLevel level = randomLevel(12, 12, 9);
    const QString fileName = writeLevel(level, path(QStringLiteral("narrow.dtl")));
    VeskGrid grid;
    makeTerrain(grid, 20, 12);
    bool loaded = false;
    const std::string output = load(grid, fileName, loaded);
    ASSERT_TRUE(loaded) << output;
    ASSERT_EQ(grid.details.size(), 2u);
    const FloatMatrix& columnDetails = grid.details[0];
    const FloatMatrix& rowDetails = grid.details[1];
    ASSERT_EQ(rowDetails.size(), 12u);
    ASSERT_EQ(columnDetails.size(), 10u);
    for (const auto& row : rowDetails)
        EXPECT_EQ(row.size(), 18u);
    for (const auto& row : columnDetails)
        EXPECT_EQ(row.size(), 38u);
    // The first five columns are never overwritten by the splice.
    for (std::size_t r = 0; r < rowDetails.size(); ++r)
        for (std::size_t c = 0; c < 5; ++c)
            EXPECT_EQ(rowDetails[r][c], fiveDecimals(level.rowDetails[r][c]));

    EXPECT_TRUE(contains(output, "Width and height of current grid are 20 X 12\n"
                                 "Size of newdetails1 was 10 by 12\n"
                                 "Size of newdetails2 was 22 by 10\n"
                                 "\nThe closest two columns were "));
    EXPECT_TRUE(contains(output, "Size of newdetails1 is 18 by 12\nSize of newdetails2 is 38 by 10\n"));
    EXPECT_FALSE(contains(output, "Splicing the details' rows"));
}

TEST_F(DetailsFileTest, ShallowDetailsAreSplicedToTheGridHeight)
{
    const DetailLevel level = randomLevel(12, 12, 10);
    const QString fileName = writeLevel(level, path(QStringLiteral("shallow.dtl")));
    VeskGrid grid;
    makeTerrain(grid, 12, 20);
    bool loaded = false;
    const std::string output = load(grid, fileName, loaded);
    ASSERT_TRUE(loaded) << output;
    ASSERT_EQ(grid.details.size(), 2u);
    EXPECT_EQ(grid.details[1].size(), 20u);
    EXPECT_EQ(grid.details[0].size(), 18u);
    for (const auto& row : grid.details[1])
        EXPECT_EQ(row.size(), 10u);
    for (const auto& row : grid.details[0])
        EXPECT_EQ(row.size(), 22u);
    EXPECT_TRUE(contains(output, "Splicing the details' rows\nSize of newdetails1 was 10 by 12\n"
                                 "Size of newdetails2 was 22 by 10\n"));
}

TEST_F(DetailsFileTest, SourceNameMayBeginWithTheSourceKeyLetters)
{
    const DetailLevel level = randomLevel(12, 12, 12);
    const QString fileName = path(QStringLiteral("south.dtl"));
    writeText(fileName, fileText(level, 12, 12, "southridgegrd"));
    VeskGrid grid;
    makeTerrain(grid, 12, 12);
    bool loaded = false;
    const std::string output = load(grid, fileName, loaded);
    ASSERT_TRUE(loaded) << output;
    expectSameToFiveDecimals(grid.details[1], level.rowDetails);
}

TEST_F(DetailsFileTest, SourceNameMaySpanSeveralTokens)
{
    const DetailLevel level = randomLevel(12, 12, 13);
    const QString fileName = path(QStringLiteral("spaces.dtl"));
    writeText(fileName, fileText(level, 12, 12, "/home/user/my terrain 2 grd"));
    VeskGrid grid;
    makeTerrain(grid, 12, 12);
    bool loaded = false;
    load(grid, fileName, loaded);
    ASSERT_TRUE(loaded);
    expectSameToFiveDecimals(grid.details[0], level.columnDetails);
}

// Values are read with the number syntax of every text file, whatever their spelling.
TEST_F(DetailsFileTest, ValuesInAnyNumberSpellingAreRead)
{
    const DetailLevel level = randomLevel(12, 12, 21);
    std::string text = fileText(level, 12, 12, "terrain");
    const auto spot = text.find("height_details\n") + 15;
    const std::vector<std::pair<std::string, float>> spellings{
        {"+5", 5.0f}, {"1e-3", 0.001f}, {".5", 0.5f}, {"5.", 5.0f}, {"-2.5E1", -25.0f}};
    std::size_t at = spot;
    for (const auto& [spelling, value] : spellings) {
        const std::size_t blank = text.find(' ', at);
        text.replace(at, blank - at, spelling);
        at += spelling.size() + 1;
    }
    const QString fileName = path(QStringLiteral("spellings.dtl"));
    writeText(fileName, text);
    VeskGrid grid;
    makeTerrain(grid, 12, 12);
    bool loaded = false;
    load(grid, fileName, loaded);
    ASSERT_TRUE(loaded);
    // The height details are the column details, at the bottom of the stack.
    for (std::size_t k = 0; k < spellings.size(); ++k)
        EXPECT_EQ(grid.details[0][0][k], spellings[k].second) << spellings[k].first;
}

// ------------------------------------------------------------ bad input

class DetailsFileBadInput : public DetailsFileTest {
protected:
    // Loads `text` into a grid that holds a stack; the load must be refused,
    // leave the stack empty and give a reason. Returns the printed output.
    std::string expectRefused(const std::string& text, int gridWidth = 12)
    {
        const QString fileName = path(QStringLiteral("bad.dtl"));
        writeText(fileName, text);
        return expectRefusedFile(fileName, gridWidth);
    }

    std::string expectRefusedFile(const QString& fileName, int gridWidth = 12)
    {
        const DetailLevel level = randomLevel(12, 12, 99);
        VeskGrid grid;
        makeTerrain(grid, gridWidth, 12);
        grid.details = {level.columnDetails, level.rowDetails};
        bool loaded = true;
        const std::string output = load(grid, fileName, loaded);
        EXPECT_FALSE(loaded) << output;
        EXPECT_TRUE(grid.details.empty());
        EXPECT_FALSE(grid.lastError.isEmpty());
        return output;
    }
};

TEST_F(DetailsFileBadInput, MissingFile)
{
    const QString fileName = path(QStringLiteral("nowhere.dtl"));
    const std::string output = expectRefusedFile(fileName);
    EXPECT_TRUE(contains(output, "Error, " + QFile::encodeName(fileName).toStdString() + " was not found\n"));
}

TEST_F(DetailsFileBadInput, HeaderBelowTwelveIsRefused)
{
    const std::string tooNarrow = headerText("11", "12") + "width_details\n";
    const std::string tooShallow = headerText("12", "11") + "width_details\n";
    const std::string negative = headerText("-40", "12") + "width_details\n";
    for (const auto& text : {tooNarrow, tooShallow, negative}) {
        const std::string output = expectRefused(text);
        EXPECT_TRUE(contains(output, "Error, the details for this grid must be at least 10 X 10\n")) << output;
    }
}

TEST_F(DetailsFileBadInput, FileCutShortInTheColumnDetails)
{
    const DetailLevel level = randomLevel(12, 12, 14);
    std::string text = fileText(level, 12, 12, "terrain");
    text.resize(text.find("height_details") + 200);
    // Loaded into a wider grid: the short level is still spliced, then refused.
    const std::string output = expectRefused(text, 20);
    EXPECT_TRUE(contains(output, "VeskGrid:: *Error* - Premature end of details file.\n"));
    EXPECT_TRUE(contains(output, "Size of newdetails1 is 18 by 12\n"));
    EXPECT_TRUE(contains(output, "VeskGRrid::Error in details file, incomplete number of details values were "
                                 "provided.\n"));
}

TEST_F(DetailsFileBadInput, FileCutShortInTheRowDetails)
{
    const DetailLevel level = randomLevel(12, 12, 15);
    std::string text = fileText(level, 12, 12, "terrain");
    text.resize(text.find("width_details") + 100);
    const std::string output = expectRefused(text);
    EXPECT_TRUE(contains(output, "VeskGrid:: *Error* - Premature end of details file.\n"));
    EXPECT_TRUE(contains(output, "incomplete number of details values were provided.\n"));
}

TEST_F(DetailsFileBadInput, LastValueWithoutTrailingBlankCountsAsCutShort)
{
    // Like the terrain reader: a value that runs into the end of the file is not taken.
    const DetailLevel level = randomLevel(12, 12, 16);
    std::string text = fileText(level, 12, 12, "terrain");
    while (text.back() == '\n' || text.back() == ' ')
        text.pop_back();
    const std::string output = expectRefused(text);
    EXPECT_TRUE(contains(output, "Premature end of details file."));
}

TEST_F(DetailsFileBadInput, NoSourceKeyEndsAtEndOfFile)
{
    for (const std::string& text : {std::string("12\tnum_cols\n12\tnum_rows\n1 2 3 4\n"), std::string(""),
                                   std::string("   \n\n")}) {
        const std::string output = expectRefused(text);
        EXPECT_TRUE(contains(output, "has no source key: it is not a details file\n")) << output;
    }
}

TEST_F(DetailsFileBadInput, SizesThatAreNotWholeNumbers)
{
    for (const auto& columns : {"12.5", "abc", "99999999999999999999", "12abc"}) {
        const std::string output = expectRefused(headerText(columns, "12") + "width_details\n");
        EXPECT_TRUE(contains(output, "has no whole number of columns after its source key")) << output;
    }
    const std::string output = expectRefused(headerText("12", "twelve") + "width_details\n");
    EXPECT_TRUE(contains(output, "has a number of rows that is not a whole number: twelve")) << output;
}

TEST_F(DetailsFileBadInput, HugeSizesAreRefusedBeforeAllocating)
{
    const std::vector<std::pair<std::string, std::string>> sizes = {
        {"2000000000", "2000000000"}, {"9223372036854775807", "9223372036854775807"},
        {"20000", "20000"},           {"12", "300000000"},
        {"4611686018427387904", "12"}};
    for (const auto& [columns, rows] : sizes) {
        const std::string output = expectRefused(headerText(columns, rows) + "width_details\n1 2 3\n");
        EXPECT_TRUE(contains(output, "values a details file may hold")) << columns << " x " << rows << output;
    }
}

TEST_F(DetailsFileBadInput, LevelTooLargeOnceStretchedToTheGridIsRefused)
{
    // Only the size of the grid matters to the loader; no terrain is allocated here.
    const QString fileName = writeLevel(randomLevel(12, 12, 19), path(QStringLiteral("stretch.dtl")));
    VeskGrid grid;
    grid.width = 20000000;
    grid.height = 20;
    grid.details = {FloatMatrix(10, std::vector<float>(22)), FloatMatrix(12, std::vector<float>(10))};
    bool loaded = true;
    const std::string output = load(grid, fileName, loaded);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(grid.details.empty());
    EXPECT_TRUE(contains(output, "stretched to a 20000000 X 20 grid would exceed")) << output;
    EXPECT_FALSE(contains(output, "Size of newdetails")) << output;
}

TEST_F(DetailsFileBadInput, ValueThatIsNotANumberIsRefused)
{
    const DetailLevel level = randomLevel(12, 12, 17);
    const std::string good = fileText(level, 12, 12, "terrain");
    // One sign at most, as in every other text file ("+-5" once read as -5 here).
    for (const std::string bad : {"abc", "nan", "inf", "1.5x", "--2", "+-5", "++5", "0x10"}) {
        std::string text = good;
        const auto spot = text.find("height_details\n") + 15;
        text.replace(spot, text.find(' ', spot) - spot, bad);
        const std::string output = expectRefused(text);
        EXPECT_TRUE(contains(output, "\"" + bad + "\" is not a number.")) << output;
        EXPECT_FALSE(contains(output, "Width and height of current grid")) << output;
    }
}

TEST_F(DetailsFileBadInput, ValueBeyondFloatRangeIsRefused)
{
    // Found by fuzzing: a value of 59 digits is a finite double but no float.
    const DetailLevel level = randomLevel(12, 12, 18);
    const std::string good = fileText(level, 12, 12, "terrain");
    for (const std::string& bad : {std::string(59, '8') + ".3", std::string("1e39"), std::string("-3.5e38")}) {
        std::string text = good;
        const auto spot = text.find("height_details\n") + 15;
        text.replace(spot, text.find(' ', spot) - spot, bad);
        const std::string output = expectRefused(text);
        EXPECT_TRUE(contains(output, "\"" + bad + "\" is beyond the range of a detail value.")) << output;
    }
}

TEST_F(DetailsFileBadInput, HeaderClaimingMoreValuesThanTheTextHoldsIsRefusedBeforeAllocating)
{
    // 4096 x 4096 is within the limit (about 50 million values, 200 MB), but a file of a
    // few hundred bytes cannot hold them: refused before the matrices are made.
    const std::string text = headerText("4096", "4096") + "width_details\n1 2 3 4 5 6 7 8\n";
    const std::string output = expectRefused(text);
    EXPECT_TRUE(contains(output, "VeskGrid:: *Error* - Premature end of details file.\n")) << output;
    EXPECT_TRUE(contains(output, "incomplete number of details values were provided.\n")) << output;
    EXPECT_FALSE(contains(output, "Width and height of current grid")) << output;
}

TEST_F(DetailsFileBadInput, LevelAboveTheSampleLimitInForceIsRefused)
{
    const QString fileName = writeLevel(randomLevel(12, 12, 20), path(QStringLiteral("limited.dtl")));
    const io::ScopedSampleLimit limit(300); // a 12 x 12 level holds 120 + 220 values
    const std::string output = expectRefusedFile(fileName);
    EXPECT_TRUE(contains(output, "more than the 300 values a details file may hold")) << output;
}

TEST_F(DetailsFileBadInput, HeaderCutShortOrMalformedCellSize)
{
    const std::string full = headerText("12", "12");
    const std::string cut = full.substr(0, full.find("resulting_num_rows"));
    EXPECT_TRUE(contains(expectRefused(cut), "Premature end of details file."));
    EXPECT_TRUE(contains(expectRefused("terrain\tsource\n12"), "Premature end of details file."));
    const std::string output = expectRefused(headerText("12", "12", "terrain", "thirty") + "width_details\n");
    EXPECT_TRUE(contains(output, "has a cell size that is not a number: thirty")) << output;
}

TEST_F(DetailsFileBadInput, SuccessAfterAFailureClearsTheError)
{
    VeskGrid grid;
    makeTerrain(grid, 12, 12);
    bool loaded = true;
    load(grid, path(QStringLiteral("nowhere.dtl")), loaded);
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(grid.lastError.isEmpty());

    const QString fileName = writeLevel(randomLevel(12, 12, 18), path(QStringLiteral("good.dtl")));
    load(grid, fileName, loaded);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(grid.lastError.isEmpty());
    EXPECT_EQ(grid.details.size(), 2u);
}
