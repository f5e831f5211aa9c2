// Details files (".dtl"): one level of the detail stack as text.
//
// Format notes (what the writer produces and the reader expects):
//   <name>\tsource
//   <N>\tnum_cols               coarse width: row details hold N-2 values per row
//   <M>\tnum_rows               coarse height: row details hold M rows
//   <2N-2>\tresulting_num_cols  fine width: values per row of the column details
//   <2M-2>\tresulting_num_rows  fine height: column details hold M-2 rows
//   <cell size or -1>\tcellsize(m)
//   <next file>\tnext_file      followed by two empty lines
//   width_details               then the row details, "%1.5f " per value
//   height_details              after an empty line, the column details
// That is a Chaikin level. A Faber level has the same lines with one detail more
// per line: N-1 values per row, M-1 rows of column details, and a fine size of
// 2N-1 by 2M-1 (DetailLevelShape.h).
// The reader is token based: it looks for the source key, takes N and M, tells
// the scheme from the two resulting sizes and derives both matrix shapes from
// those; the other header values are read past. A source name may hold blanks,
// so it can span several tokens.

#include "diagnostics/Diagnostics.h"
#include "grid/DetailLevelShape.h"
#include "grid/DetailSplicing.h"
#include "grid/TokenReader.h"
#include "grid/VeskGrid.h"
#include "io/AtomicFileWrite.h"
#include "io/SampleLimit.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

// The most detail values (both matrices together) a level may hold, as read
// and once stretched to the grid: the sample limit (16385² floats, 1 GiB, by
// default), the same bound as the largest terrain. A 4097 x 4097 coarse level
// needs about 50 million. Any header beyond this is refused before anything is
// allocated.
std::int64_t maxDetailValues()
{
    return io::sampleLimit();
}

// Every value takes at least two characters: a digit and the blank after it.
constexpr std::int64_t kMinBytesPerValue = 2;

// Smallest coarse size: the splicing search needs ten distinct columns (rows).
constexpr std::int64_t kMinDetailSize = 12;

// ---------------------------------------------------------------- reading

// Skips count tokens; false when the text ends first.
bool skipTokens(TokenReader& tokens, int count)
{
    std::string_view token;
    for (int i = 0; i < count; ++i) {
        if (!tokens.next(token))
            return false;
    }
    return true;
}

// The next token, or nothing at end of text.
std::optional<std::string_view> nextToken(TokenReader& tokens)
{
    std::string_view token;
    if (!tokens.next(token))
        return std::nullopt;
    return token;
}

// True when the token last read ran up to the end of the text: like a stream
// extraction that hit end of file, such a token does not count.
bool ranToTheEnd(const TokenReader& tokens)
{
    return tokens.pendingBytes().empty();
}

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const char* path, std::string& text, bool& opened)
{
    opened = false;
    std::FILE* file = std::fopen(path, "r");
    if (!file)
        return false;
    opened = true;
    text.clear();
    char chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

// A whole token as an integer; nothing for anything else ("12.5", "12abc", overflow).
std::optional<std::int64_t> parseDetailInteger(std::string_view token)
{
    long long value = 0;
    if (!parseInteger(token, value))
        return std::nullopt;
    return value;
}

// A whole token as a finite number, converted to double and then stored as a float.
std::optional<double> parseDetailNumber(std::string_view token)
{
    double value = 0.0;
    if (!parseNumber(token, value))
        return std::nullopt;
    return value;
}

bool startsWithSourceKey(std::string_view token)
{
    return token.substr(0, 3) == "sou";
}

enum class MatrixRead { Complete, Incomplete, NotANumber, BeyondFloatRange };

bool isRefusedValue(MatrixRead read)
{
    return read == MatrixRead::NotANumber || read == MatrixRead::BeyondFloatRange;
}

// Skips the matrix label, then fills `matrix` (already sized) row by row.
MatrixRead readMatrix(TokenReader& tokens, FloatMatrix& matrix, std::string& badToken)
{
    skipTokens(tokens, 1);
    for (auto& row : matrix) {
        for (float& value : row) {
            const auto token = nextToken(tokens);
            if (!token || ranToTheEnd(tokens)) {
                diagnostics::reportf("VeskGrid:: *Error* - Premature end of details file.\n");
                return MatrixRead::Incomplete;
            }
            const auto number = parseDetailNumber(*token);
            if (!number) {
                badToken = std::string(*token);
                return MatrixRead::NotANumber;
            }
            // Details are floats: a number beyond their range would become infinite.
            value = static_cast<float>(*number);
            if (!std::isfinite(value)) {
                badToken = std::string(*token);
                return MatrixRead::BeyondFloatRange;
            }
        }
    }
    return MatrixRead::Complete;
}

int rowCount(const FloatMatrix& matrix)
{
    return static_cast<int>(matrix.size());
}

int valuesPerRow(const FloatMatrix& matrix)
{
    return matrix.empty() ? 0 : static_cast<int>(matrix.front().size());
}

// ---------------------------------------------------------------- writing

// Buffered text output of detail values, byte for byte what "%1.5f " prints.
class DetailValueWriter {
public:
    explicit DetailValueWriter(std::FILE* file) : file_(file) { buffer_.reserve(kFlushSize + 512); }
    ~DetailValueWriter() { flush(); }
    DetailValueWriter(const DetailValueWriter&) = delete;
    DetailValueWriter& operator=(const DetailValueWriter&) = delete;

    void value(float number)
    {
        // Fixed notation with five decimals is exactly what printf's "%1.5f"
        // gives for the same double; a double needs at most 309 integer digits.
        char text[400];
        const auto result = std::to_chars(text, text + sizeof text, static_cast<double>(number),
                                          std::chars_format::fixed, 5);
        buffer_.append(text, result.ptr);
        buffer_.push_back(' ');
        if (buffer_.size() >= kFlushSize)
            flush();
    }

    void text(std::string_view piece)
    {
        buffer_.append(piece);
        if (buffer_.size() >= kFlushSize)
            flush();
    }

    void flush()
    {
        if (!buffer_.empty())
            std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        buffer_.clear();
    }

private:
    static constexpr std::size_t kFlushSize = 1 << 16;
    std::FILE* file_;
    std::string buffer_;
};

bool hasNoValues(const FloatMatrix& matrix)
{
    return matrix.empty() || matrix.front().empty();
}

struct DetailSummary {
    float largest = -100.0f;
    float smallest = 100.0f;
    float sum = 0.0f;
    std::int64_t count = 0;
};

DetailSummary writeMatrix(DetailValueWriter& out, const FloatMatrix& matrix)
{
    DetailSummary summary;
    const std::size_t length = matrix.front().size();
    for (const auto& row : matrix) {
        for (std::size_t col = 0; col < length; ++col) {
            const float value = row[col];
            out.value(value);
            if (value > summary.largest)
                summary.largest = value;
            if (value < summary.smallest)
                summary.smallest = value;
            summary.sum += value;
        }
        out.text("\n");
    }
    summary.count = static_cast<std::int64_t>(matrix.size()) * static_cast<std::int64_t>(length);
    return summary;
}

double standardDeviation(const FloatMatrix& matrix, float mean, std::int64_t count)
{
    double squares = 0.0;
    const std::size_t length = matrix.front().size();
    for (const auto& row : matrix) {
        for (std::size_t col = 0; col < length; ++col) {
            const double difference = static_cast<double>(row[col]) - mean;
            squares += difference * difference;
        }
    }
    return std::sqrt(squares / static_cast<double>(count));
}

std::string formatted(const char* format, double first, double second)
{
    char text[128];
    std::snprintf(text, sizeof text, format, first, second);
    return text;
}

// Writes one level to `path`; on failure `error` says why.
bool writeDetailFile(const FloatMatrix& rowDetails, const FloatMatrix& columnDetails, const QString& fileName,
                     const QString& sourceName, float detailCellSize, const QString& nextFileName,
                     QString& error)
{
    const QByteArray path = QFile::encodeName(fileName);
    if (hasNoValues(rowDetails) || hasNoValues(columnDetails)) {
        diagnostics::reportf("*** Error *** details passed to writeDetail have 0 size for file %s.\n", path.constData());
        error = QStringLiteral("*** Error *** details passed to writeDetail have 0 size for file ") + fileName;
        return false;
    }
    io::AtomicFileWrite save(path.toStdString());
    std::FILE* file = save.stream();
    if (!file) {
        diagnostics::reportf("*** Error *** fopen returned NULL when writing detail for file %s.\n", path.constData());
        error = QStringLiteral("*** Error *** fopen returned NULL when writing detail for file ") + fileName;
        return false;
    }

    std::fprintf(file, "%s\tsource\n", QFile::encodeName(sourceName).constData());
    const DetailLevelShape shape =
        detailLevelShapeOf(rowCount(rowDetails), valuesPerRow(rowDetails), valuesPerRow(columnDetails));
    std::fprintf(file, "%lld\tnum_cols\n", static_cast<long long>(shape.columns));
    std::fprintf(file, "%lld\tnum_rows\n", static_cast<long long>(shape.rows));
    std::fprintf(file, "%i\tresulting_num_cols\n", valuesPerRow(columnDetails));
    std::fprintf(file, "%lld\tresulting_num_rows\n",
                 static_cast<long long>(2 * rowCount(columnDetails) + shape.shortfall()));
    if (detailCellSize > 0.0f)
        std::fprintf(file, "%f\tcellsize(m)\n", static_cast<double>(detailCellSize));
    else
        std::fprintf(file, "-1\tcellsize(m)\n");
    std::fprintf(file, "%s\tnext_file\n\n\n", QFile::encodeName(nextFileName).constData());
    std::fprintf(file, "width_details\n");

    {
        DetailValueWriter out(file);
        const DetailSummary rows = writeMatrix(out, rowDetails);
        diagnostics::reportf("max = %1.3f\tmin=%1.3f\tave=%1.3f\n", static_cast<double>(rows.largest),
                    static_cast<double>(rows.smallest),
                    static_cast<double>(rows.sum / static_cast<float>(rows.count)));

        out.text("\nheight_details\n");
        const DetailSummary columns = writeMatrix(out, columnDetails);
        const float mean = columns.sum / static_cast<float>(columns.count);
        diagnostics::reportf("max = %1.3f\tmin=%1.3f\tave=%1.3f\tstd deviation=%1.3f\n",
                    static_cast<double>(columns.largest), static_cast<double>(columns.smallest),
                    static_cast<double>(mean), standardDeviation(columnDetails, mean, columns.count));
        out.text("\n");
    }
    // A full disk shows only here; a half-written file must not be reported as saved,
    // nor replace the file that was there.
    if (!save.commit()) {
        diagnostics::reportf("*** Error *** could not finish writing detail file %s.\n", path.constData());
        error = QStringLiteral("*** Error *** could not finish writing detail file ") + fileName;
        return false;
    }

    diagnostics::reportf("Details file %s has been written successfully\n", path.constData());
    return true;
}

// ---------------------------------------------------------------- loading steps

// A refusal: what was printed, as the text kept in lastError.
using Refusal = std::optional<QString>;

QString prematureEnd()
{
    diagnostics::reportf("VeskGrid:: *Error* - Premature end of details file.\n");
    return QStringLiteral("VeskGrid:: *Error* - Premature end of details file.");
}

QString incompleteDetails(const QString& fileName)
{
    diagnostics::reportf("VeskGRrid::Error in details file, incomplete number of details values were provided.\n");
    return QStringLiteral("VeskGRrid::Error in details file ") + fileName +
           QStringLiteral(", incomplete number of details values were provided.");
}

// The source key and the two sizes after it. A source name may itself begin
// with "sou", so the key is the first such token followed by a whole number.
Refusal readHeader(TokenReader& tokens, const QString& fileName, DetailLevelShape& header)
{
    const QByteArray path = QFile::encodeName(fileName);
    std::optional<std::int64_t> columns;
    bool sawSourceKey = false;
    while (const auto token = nextToken(tokens)) {
        if (!startsWithSourceKey(*token))
            continue;
        sawSourceKey = true;
        if (const auto following = nextToken(tokens)) {
            columns = parseDetailInteger(*following);
            if (columns)
                break;
            // Not a number: it may itself be the key.
            tokens.unread(*following);
        }
    }
    if (!columns) {
        if (sawSourceKey) {
            diagnostics::reportf("Error, %s has no whole number of columns after its source key\n", path.constData());
            return QStringLiteral("Error, ") + fileName +
                   QStringLiteral(" has no whole number of columns after its source key");
        }
        diagnostics::reportf("Error, %s has no source key: it is not a details file\n", path.constData());
        return QStringLiteral("Error, ") + fileName + QStringLiteral(" has no source key: it is not a details file");
    }

    if (!skipTokens(tokens, 1))
        return prematureEnd();
    const auto rowsToken = nextToken(tokens);
    if (!rowsToken)
        return prematureEnd();
    const auto rows = parseDetailInteger(*rowsToken);
    if (!rows) {
        diagnostics::reportf("Error, %s has a number of rows that is not a whole number: %s\n", path.constData(),
                    std::string(*rowsToken).c_str());
        return QStringLiteral("Error, ") + fileName + QStringLiteral(" has a number of rows that is not a whole number");
    }

    // The resulting sizes, which tell the scheme, each after the key of the line
    // before; a size that is not a whole number reads as Chaikin, as it always did.
    std::int64_t fineSize[2] = {0, 0};
    for (std::int64_t& size : fineSize) {
        if (!skipTokens(tokens, 1))
            return prematureEnd();
        const auto sizeToken = nextToken(tokens);
        if (!sizeToken)
            return prematureEnd();
        size = parseDetailInteger(*sizeToken).value_or(0);
    }
    // Then the last size's key, the cell size (checked, not used: the grid keeps
    // its own), its key, the next-file name and its key.
    if (!skipTokens(tokens, 1))
        return prematureEnd();
    const auto cellSizeToken = nextToken(tokens);
    if (!cellSizeToken)
        return prematureEnd();
    if (!parseDetailNumber(*cellSizeToken)) {
        diagnostics::reportf("Error, %s has a cell size that is not a number: %s\n", path.constData(),
                    std::string(*cellSizeToken).c_str());
        return QStringLiteral("Error, ") + fileName + QStringLiteral(" has a cell size that is not a number");
    }
    if (!skipTokens(tokens, 3))
        return prematureEnd();

    header = detailLevelShapeFromHeader(*columns, *rows, fineSize[0], fineSize[1]);
    return std::nullopt;
}

// Sizes are checked before anything is allocated: the minimum the splicing
// needs, then the limit on the level as read and as stretched to the grid.
Refusal checkSizes(const DetailLevelShape& header, const QString& fileName, int width, int height)
{
    if (header.columns < kMinDetailSize || header.rows < kMinDetailSize) {
        diagnostics::reportf("Error, the details for this grid must be at least 10 X 10\n");
        return QStringLiteral("Error, the details for this grid must be at least 10 X 10");
    }
    const QByteArray path = QFile::encodeName(fileName);
    // Each side alone is bounded first, so the products cannot overflow.
    if (header.columns > maxDetailValues() || header.rows > maxDetailValues() ||
        header.values() > maxDetailValues()) {
        diagnostics::reportf("Error, the details file %s asks for %lld X %lld details, more than the %lld values a "
                    "details file may hold\n",
                    path.constData(), static_cast<long long>(header.columns), static_cast<long long>(header.rows),
                    static_cast<long long>(maxDetailValues()));
        return QStringLiteral("Error, the details file ") + fileName +
               QStringLiteral(" asks for %1 X %2 details, more than the %3 values a details file may hold")
                   .arg(header.columns)
                   .arg(header.rows)
                   .arg(maxDetailValues());
    }
    // A grid whose refinement is a terrain this tool can hold always fits: its
    // level is about three quarters of that terrain.
    const std::int64_t splicedColumns = std::max<std::int64_t>(header.columns, width);
    const std::int64_t splicedRows = std::max<std::int64_t>(header.rows, height);
    if (header.resizedTo(splicedColumns, splicedRows).values() > maxDetailValues()) {
        diagnostics::reportf("Error, the details of %s stretched to a %i X %i grid would exceed the %lld values a details "
                    "level may hold\n",
                    path.constData(), width, height, static_cast<long long>(maxDetailValues()));
        return QStringLiteral("Error, the details of ") + fileName +
               QStringLiteral(" stretched to a %1 X %2 grid would exceed the %3 values a details level may hold")
                   .arg(width)
                   .arg(height)
                   .arg(maxDetailValues());
    }
    return std::nullopt;
}

void printSizes(const char* tense, const FloatMatrix& rowDetails, const FloatMatrix& columnDetails)
{
    diagnostics::reportf("Size of newdetails1 %s %i by %i\n", tense, valuesPerRow(rowDetails), rowCount(rowDetails));
    diagnostics::reportf("Size of newdetails2 %s %i by %i\n", tense, valuesPerRow(columnDetails), rowCount(columnDetails));
}

// Stretches a level read for an N x M grid to the grid's width and height:
// for Chaikin, row details to width-2 values and height rows, column details to
// 2*width-2 values and height-2 rows (for Faber, width-1, 2*width-1 and height-1).
// Larger details stay as read.
Refusal spliceToGrid(FloatMatrix& rowDetails, FloatMatrix& columnDetails, const DetailLevelShape& levelShape,
                     int width, int height, const QString& fileName)
{
    const DetailLevelShape grid = levelShape.resizedTo(width, height);
    if (valuesPerRow(rowDetails) < grid.rowDetailValues()) {
        printSizes("was", rowDetails, columnDetails);
        if (!spliceColumns(rowDetails, static_cast<int>(grid.rowDetailValues())) ||
            !spliceColumns(columnDetails, static_cast<int>(grid.columnDetailValues())))
            return QStringLiteral("VeskGrid::Error, the details of ") + fileName +
                   QStringLiteral(" could not be spliced to the width of the grid");
        printSizes("is", rowDetails, columnDetails);
    }
    if (rowCount(rowDetails) < height) {
        diagnostics::reportf("Splicing the details' rows\n");
        printSizes("was", rowDetails, columnDetails);
        if (!spliceRows(rowDetails, height) || !spliceRows(columnDetails, static_cast<int>(grid.columnDetailRows())))
            return QStringLiteral("VeskGrid::Error, the details of ") + fileName +
                   QStringLiteral(" could not be spliced to the height of the grid");
    }
    return std::nullopt;
}

} // namespace

// ---------------------------------------------------------------- VeskGrid

void VeskGrid::writeDetails(QString& fileName, int& count)
{
    count = 0;
    fileName.clear();
    lastError.clear();

    const double halfCellSize = static_cast<double>(cellSize) * 0.5;
    float levelCellSize = static_cast<float>(halfCellSize);
    const int matrixCount = static_cast<int>(details.size());

    // Pairs from the top: row details at n, their column details at n-1.
    for (int n = matrixCount - 1; n >= 0; n -= 2) {
        if (n == 0) {
            // Only an odd stack ends here: its bottom matrix has no column
            // details beneath it, so it cannot form a level of its own.
            diagnostics::reportf("VeskGrid::The bottom detail matrix has no column details below it and was not "
                        "written\n");
            break;
        }
        const int level = n / 2;
        const std::string suffix = formatted("_for_%1.2f_to_%1.2f_m_data.dtl",
                                             halfCellSize / std::pow(2.0, level - 1),
                                             halfCellSize / std::pow(2.0, level));
        const QString file = name + QString::fromLatin1(suffix.c_str());
        QString error;
        if (!writeDetailFile(details[n], details[n - 1], file, name, levelCellSize, QStringLiteral("null"),
                             error)) {
            fileName = QStringLiteral("Failed to write file ") + file;
            count = -1;
            lastError = fileName + QStringLiteral(": ") + error;
            return;
        }
        ++count;
        fileName = file;
        levelCellSize *= 0.5f;
    }
}

bool VeskGrid::writeDetail(FloatMatrix rowDetails, FloatMatrix columnDetails, QString fileName,
                           float detailCellSize, QString nextFileName)
{
    QString error;
    const bool written =
        writeDetailFile(rowDetails, columnDetails, fileName, name, detailCellSize, nextFileName, error);
    lastError = written ? QString() : error;
    return written;
}

bool VeskGrid::loadDetail(QString fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    diagnostics::reportf("Loading details file %s\n", path.constData());
    clearDetails();
    lastError.clear();

    std::string text;
    bool opened = false;
    if (!readWholeFile(path.constData(), text, opened)) {
        if (!opened) {
            diagnostics::reportf("Error, %s was not found\n", path.constData());
            lastError = QStringLiteral("Error, ") + fileName + QStringLiteral(" was not found");
            return false;
        }
        diagnostics::reportf("Error, %s could not be read\n", path.constData());
        lastError = QStringLiteral("Error, ") + fileName + QStringLiteral(" could not be read");
        return false;
    }
    return readDetailText(text, fileName);
}

bool VeskGrid::loadDetailText(std::string_view text, QString fileName)
{
    diagnostics::reportf("Loading details file %s\n", QFile::encodeName(fileName).constData());
    clearDetails();
    lastError.clear();
    return readDetailText(text, fileName);
}

bool VeskGrid::readDetailText(std::string_view text, const QString& fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    diagnostics::reportf("file %s has been opened\n", path.constData());

    // Every refusal leaves the stack empty and says why.
    const auto refuse = [this](const QString& reason) {
        clearDetails();
        lastError = reason;
        return false;
    };

    TokenReader tokens(text);
    DetailLevelShape header;
    if (const Refusal refusal = readHeader(tokens, fileName, header))
        return refuse(*refusal);
    if (const Refusal refusal = checkSizes(header, fileName, width, height))
        return refuse(*refusal);
    // A header may claim far more values than the rest of the text can hold; such a
    // file is cut short whatever follows, and is refused before the matrices it claims
    // are allocated (a 100-byte file never asks for a gigabyte).
    const std::int64_t textLeft = static_cast<std::int64_t>(tokens.pendingBytes().size());
    if (header.values() > textLeft / kMinBytesPerValue) {
        prematureEnd();
        return refuse(incompleteDetails(fileName));
    }

    FloatMatrix rowDetails(static_cast<std::size_t>(header.rowDetailRows()),
                           static_cast<std::size_t>(header.rowDetailValues()));
    FloatMatrix columnDetails(static_cast<std::size_t>(header.columnDetailRows()),
                              static_cast<std::size_t>(header.columnDetailValues()));

    std::string badToken;
    const MatrixRead rowRead = readMatrix(tokens, rowDetails, badToken);
    const MatrixRead columnRead = isRefusedValue(rowRead) ? rowRead : readMatrix(tokens, columnDetails, badToken);
    if (isRefusedValue(rowRead) || isRefusedValue(columnRead)) {
        // Refused outright: a value that is not a number is never guessed.
        const char* problem =
            (rowRead == MatrixRead::BeyondFloatRange || columnRead == MatrixRead::BeyondFloatRange)
                ? "is beyond the range of a detail value"
                : "is not a number";
        diagnostics::reportf("VeskGrid::Error in details file %s, \"%s\" %s.\n", path.constData(), badToken.c_str(),
                             problem);
        return refuse(QStringLiteral("VeskGrid::Error in details file ") + fileName + QStringLiteral(", \"") +
                      QString::fromLocal8Bit(badToken.c_str()) + QStringLiteral("\" ") + QLatin1String(problem) +
                      QStringLiteral("."));
    }
    // A short file is still spliced before it is refused, so its messages show.
    const bool incomplete = rowRead == MatrixRead::Incomplete || columnRead == MatrixRead::Incomplete;

    diagnostics::reportf("Width and height of current grid are %i X %i\n", width, height);
    if (const Refusal refusal = spliceToGrid(rowDetails, columnDetails, header, width, height, fileName))
        return refuse(*refusal);

    if (incomplete)
        return refuse(incompleteDetails(fileName));

    details.push_back(std::move(columnDetails));
    details.push_back(std::move(rowDetails));
    return true;
}
