#include "diagnostics/Diagnostics.h"
#include "grid/AsciiGridHeader.h"
#include "grid/CellSize.h"
#include "grid/FloatRowsReader.h"
#include "grid/GridExport.h"
#include "grid/GridFloatHeader.h"
#include "grid/GridSizeLimit.h"
#include "grid/HeightTextReader.h"
#include "grid/NoDataHeight.h"
#include "grid/StdioFile.h"
#include "grid/TerrainLoading.h"
#include "grid/TokenReader.h"
#include "grid/VeskGrid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

// Loading terrains: ASCII grids (".grd") and binary float grids (".flt" + ".hdr").
// A load that fails leaves the grid empty, prints why and puts the reason in lastError.

namespace {

QString shownToken(std::string_view token)
{
    const std::size_t shown = token.size() > 40 ? 40 : token.size();
    return QString::fromLatin1(token.data(), static_cast<qsizetype>(shown))
        + (shown < token.size() ? QStringLiteral("...") : QString());
}

// Empties the grid after a failed load and records why; the reason has been printed.
bool refuseLoad(VeskGrid& grid, const QString& reason)
{
    grid.clearData();
    grid.lastError = reason;
    return false;
}

// Prints a reason of our own (one line) and refuses the load with it.
bool printAndRefuseLoad(VeskGrid& grid, const QString& reason)
{
    diagnostics::reportf("%s\n", printable(reason).constData());
    return refuseLoad(grid, reason);
}

// The data ends before the header's count of heights: the fixed line is printed, the
// stored reason says how many were found.
bool refusePrematureEnd(VeskGrid& grid, const QString& fileName, long long found, long long expected)
{
    diagnostics::reportf("VeskGrid:: *Error* - Premature end of data file.\n");
    return refuseLoad(grid, QStringLiteral("VeskGrid:: *Error* - Premature end of data file: %1 holds %2 of the %3 "
                                           "heights its header declares.")
                                .arg(fileName)
                                .arg(found)
                                .arg(expected));
}

// A read error (not the end of the data) after `heightsRead` heights.
bool refuseUnreadable(VeskGrid& grid, const QString& fileName, long long heightsRead)
{
    return printAndRefuseLoad(grid, QStringLiteral("VeskGrid:: *Error* - %1 could not be read after %2 heights.")
                                        .arg(fileName)
                                        .arg(heightsRead));
}

// Sizes the grid for a terrain whose heights the loader writes in place, each once:
// never zero-filled first and overwritten.
void startHeights(VeskGrid& grid, long long columns, long long rows)
{
    grid.width = static_cast<int>(columns);
    grid.height = static_cast<int>(rows);
    grid.heights.reshape(static_cast<std::size_t>(rows), static_cast<std::size_t>(columns));
}

// A standard ESRI grid marks missing heights with the value its header declares. Where
// that value lies above -100 the statistics and the views would take those samples for
// heights, so they become the marker every grid file uses; returns how many did. At or
// below -100 a height already counts as missing and is kept as the file has it.
long long markDeclaredNoData(VeskGrid& grid, double declaredNoData)
{
    if (!(declaredNoData > -100.0))
        return 0;
    const auto marker = static_cast<float>(declaredNoData);
    long long marked = 0;
    for (int row = 0; row < grid.height; ++row) {
        for (int col = 0; col < grid.width; ++col) {
            float& height = grid.heights[row][col];
            if (height == marker) {
                height = kNoDataHeight;
                ++marked;
            }
        }
    }
    return marked;
}

HeightTally tallyOfHeights(const VeskGrid& grid)
{
    HeightTally tally;
    for (int row = 0; row < grid.height; ++row)
        tally.addAll(&grid.heights[row][0], static_cast<std::size_t>(grid.width));
    return tally;
}

// Bytes in memory that could not be given a stream (no memory for it).
bool refuseMemoryStream(VeskGrid& grid, const QString& fileName)
{
    return printAndRefuseLoad(grid, QStringLiteral("VeskGrid:: *Error* - %1 could not be read from memory.").arg(fileName));
}

} // namespace

bool VeskGrid::loadGRDFile(QString fileName)
{
    startLoad(*this, "ASCII");

    StdioFile file = openStdioFile(fileName, "rb");
    if (!file) {
        diagnostics::reportf("Error, %s was not found\n", printable(fileName).constData());
        return refuseLoad(*this, QStringLiteral("Error, %1 was not found").arg(fileName));
    }
    return readGRDStream(file, fileName);
}

bool VeskGrid::loadGRDBuffer(std::string_view bytes, QString fileName)
{
    startLoad(*this, "ASCII");
    StdioFile file = openMemoryStream(bytes);
    if (!file)
        return refuseMemoryStream(*this, fileName);
    return readGRDStream(file, fileName);
}

bool VeskGrid::readGRDStream(StdioFile& file, const QString& fileName)
{
    const long long fileSize = stdioFileSize(file.get());

    TokenReader reader(file.get());
    AsciiGridHeader header;
    QString problem;
    if (!readAsciiGridHeader(reader, header, problem)) {
        return printAndRefuseLoad(
            *this, QStringLiteral("VeskGrid:: *Error* - %1 is not an ASCII grid that can be read: %2.").arg(fileName, problem));
    }
    const float fileCellSize = cellSizeFromDegrees(header.cellSizeDegrees);
    diagnostics::reportf("frequency sampled is %1.3f\n", fileCellSize);

    if (!isAcceptableGridSize(header.columns, header.rows))
        return printAndRefuseLoad(*this, unacceptableGridSizeMessage(fileName, header.columns, header.rows));
    const long long expected = header.columns * header.rows;
    // Every height takes at least one character and one separator (but the last):
    // a file shorter than that cannot hold them, whatever its header claims.
    if (fileSize >= 0 && fileSize < 2 * expected - 1)
        return refusePrematureEnd(*this, fileName, 0, expected);

    startHeights(*this, header.columns, header.rows);
    HeightTally tally;
    // Heights are floats: a number beyond their range would become infinite. The first
    // such height is remembered (looked for only in the run that took the tally beyond a
    // float's range) and the load refused once the text is read.
    long long firstBeyondRange = -1;
    float* const stored = heights.data();
    const auto tallyRun = [&](const double* values, std::size_t count) {
        const long long tallied = tally.count();
        tally.addAll(values, count);
        if (firstBeyondRange < 0 && !tally.withinFloatRange()) {
            const double* beyond = std::find_if(values, values + count,
                                                [](double value) { return !std::isfinite(static_cast<float>(value)); });
            if (beyond != values + count)
                firstBeyondRange = tallied + (beyond - values);
        }
    };
    const auto storeRun = [stored](const double* values, std::size_t count, long long first) {
        float* const run = stored + first;
        for (std::size_t i = 0; i < count; ++i)
            run[i] = static_cast<float>(values[i]);
    };
    const HeightTextOutcome outcome = readHeightText(reader, file.get(), expected, tallyRun, storeRun);
    const long long read = outcome.heightsRead;
    if (firstBeyondRange >= 0) {
        return printAndRefuseLoad(
            *this, QStringLiteral("VeskGrid:: *Error* - height %1 of %2 (row %3, column %4) is beyond the range of a "
                                  "height.")
                       .arg(firstBeyondRange + 1)
                       .arg(fileName)
                       .arg(firstBeyondRange / width)
                       .arg(firstBeyondRange % width));
    }
    switch (outcome.status) {
    case HeightTextOutcome::Status::Complete:
        break;
    case HeightTextOutcome::Status::TokenTooLong:
        return printAndRefuseLoad(*this, QStringLiteral("VeskGrid:: *Error* - %1 holds a word too long to be a height after %2 heights.")
                                             .arg(fileName)
                                             .arg(read));
    case HeightTextOutcome::Status::ReadFailed:
        return refuseUnreadable(*this, fileName, read);
    case HeightTextOutcome::Status::PrematureEnd:
        return refusePrematureEnd(*this, fileName, read, expected);
    case HeightTextOutcome::Status::NotANumber:
        return printAndRefuseLoad(
            *this, QStringLiteral("VeskGrid:: *Error* - height %1 of %2 (row %3, column %4) is not a number: \"%5\".")
                       .arg(read + 1)
                       .arg(fileName)
                       .arg(read / width)
                       .arg(read % width)
                       .arg(shownToken(outcome.badToken)));
    }
    file.reset();

    if (header.standardNoData) {
        const long long marked = markDeclaredNoData(*this, *header.standardNoData);
        if (marked > 0) {
            diagnostics::reportf("%lld heights are no-data and stored as -9999\n", marked);
            tally = tallyOfHeights(*this);
        }
    }
    finishLoad(*this, fileName, fileCellSize, tally);
    return true;
}

bool VeskGrid::loadFLTFile(QString fileName)
{
    startLoad(*this, "Binary");

    const QString headerName = gridFloatHeaderName(fileName);

    GridFloatHeader header;
    {
        StdioFile headerFile = openStdioFile(headerName, "rb");
        if (!headerFile) {
            diagnostics::reportf("Error - %s was not found\n", printable(headerName).constData());
            return refuseLoad(*this, QStringLiteral("Error - %1 was not found").arg(headerName));
        }
        if (!readFLTHeader(headerFile, headerName, header))
            return false;
    }

    StdioFile file = openStdioFile(fileName, "rb");
    if (!file) {
        diagnostics::reportf("Error, %s was not found\n", printable(fileName).constData());
        return refuseLoad(*this, QStringLiteral("Error, %1 was not found").arg(fileName));
    }
    return readFLTData(file, fileName, header);
}

bool VeskGrid::loadFLTBuffers(std::string_view headerBytes, std::string_view dataBytes, QString fileName)
{
    startLoad(*this, "Binary");
    const QString headerName = gridFloatHeaderName(fileName);
    GridFloatHeader header;
    {
        StdioFile headerFile = openMemoryStream(headerBytes);
        if (!headerFile)
            return refuseMemoryStream(*this, headerName);
        if (!readFLTHeader(headerFile, headerName, header))
            return false;
    }
    StdioFile file = openMemoryStream(dataBytes);
    if (!file)
        return refuseMemoryStream(*this, fileName);
    return readFLTData(file, fileName, header);
}

bool VeskGrid::readFLTHeader(StdioFile& headerFile, const QString& headerName, GridFloatHeader& header)
{
    QString problem;
    if (!readGridFloatHeader(headerFile.get(), header, problem)) {
        return printAndRefuseLoad(
            *this, QStringLiteral("VeskGrid:: *Error* - %1 is not a float grid header that can be read: %2.")
                       .arg(headerName, problem));
    }
    const float fileCellSize = cellSizeFromDegrees(header.cellSizeDegrees);
    diagnostics::reportf("frequency sampled is %1.3f\n", fileCellSize);
    diagnostics::reportf("Header file %s\n", printable(headerName).constData());

    if (!isAcceptableGridSize(header.columns, header.rows))
        return printAndRefuseLoad(*this, unacceptableGridSizeMessage(headerName, header.columns, header.rows));
    return true;
}

bool VeskGrid::readFLTData(StdioFile& file, const QString& fileName, const GridFloatHeader& header)
{
    const float fileCellSize = cellSizeFromDegrees(header.cellSizeDegrees);
    const long long expected = header.columns * header.rows;
    const long long fileSize = stdioFileSize(file.get());
    if (fileSize >= 0 && fileSize < 4 * expected)
        return refusePrematureEnd(*this, fileName, fileSize / 4, expected);

    startHeights(*this, header.columns, header.rows);
    HeightTally tally;
    // Each row checked and tallied as it comes, while the next rows are read.
    const auto rowWidth = static_cast<std::size_t>(width);
    int notFiniteRow = -1;
    long long notFiniteHeight = 0; // its index among the heights
    int notFiniteColumn = 0;
    bool shortRow = false;
    const FloatRowsOutcome outcome = readFloatRows(
        file.get(), heights.data(), height, rowWidth, header.bigEndian, [&](int row, float* values, std::size_t complete) {
            const float* const notFinite
                = std::find_if(values, values + complete, [](float value) { return !std::isfinite(value); });
            if (notFinite != values + complete) {
                notFiniteRow = row;
                notFiniteColumn = static_cast<int>(notFinite - values);
                notFiniteHeight = tally.count() + notFiniteColumn;
                return false;
            }
            tally.addAll(values, complete);
            shortRow = complete < rowWidth;
            return true;
        });
    if (notFiniteRow >= 0) {
        return printAndRefuseLoad(
            *this, QStringLiteral("VeskGrid:: *Error* - height %1 of %2 (row %3, column %4) is not a finite number.")
                       .arg(notFiniteHeight + 1)
                       .arg(fileName)
                       .arg(notFiniteRow)
                       .arg(notFiniteColumn));
    }
    if (shortRow) {
        if (outcome.readFailed)
            return refuseUnreadable(*this, fileName, tally.count());
        return refusePrematureEnd(*this, fileName, tally.count(), expected);
    }
    file.reset();

    finishLoad(*this, fileName, fileCellSize, tally);
    return true;
}
