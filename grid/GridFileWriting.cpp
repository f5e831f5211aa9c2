#include "diagnostics/Diagnostics.h"
#include "grid/CellSize.h"
#include "grid/FixedFormat.h"
#include "grid/HeightRowText.h"
#include "grid/StdioFile.h"
#include "grid/VeskGrid.h"
#include "io/AtomicFileWrite.h"

#include <algorithm>
#include <cstdio>
#include <span>

// Writing terrains: ASCII grids, the two halves of a terrain, Wavefront OBJ meshes.
// A writer that fails prints why, hands the reason back and returns false; the file that
// was there before stays as it was (each file is saved through io::AtomicFileWrite).

namespace {

const QString kOpenFailure = QStringLiteral("*** Error *** fopen return NULL when writing to file ");

// Reports a file that could not be created and returns the text the caller keeps.
QString reportOpenFailure(const QString& fileName)
{
    diagnostics::reportf("*** Error *** fopen returned NULL when writing to file %s.\n", printable(fileName).constData());
    return kOpenFailure + fileName;
}

// Reports a file that could not be written whole and returns the text the caller keeps.
QString reportWriteFailure(const QString& fileName)
{
    diagnostics::reportf("*** Error *** could not write all of file %s.\n", printable(fileName).constData());
    return QStringLiteral("*** Error *** could not write all of file ") + fileName;
}

// The seven header lines of an ASCII grid; the spacing in degrees.
void writeGridHeader(FixedFormatWriter& out, long long columns, long long rows, double spacingDegrees)
{
    out.text("ncols\t");
    out.integer(columns);
    out.text("\nnrows\t");
    out.integer(rows);
    out.text("\nxllcorner\t0\nyllcorner\t0\nxdim\t");
    out.fixed(spacingDegrees, 18);
    out.text("\nydim\t");
    out.fixed(spacingDegrees, 18);
    out.text("\nNODATA_value\t-9999\n");
}

io::AtomicFileWrite saveFile(const QString& fileName)
{
    return io::AtomicFileWrite(QFile::encodeName(fileName).toStdString());
}

// Flushes what is buffered and puts the new file in place of the old; false if any byte
// did not reach the file, and the old file is then untouched.
bool finishFile(FixedFormatWriter& out, io::AtomicFileWrite& file)
{
    return out.finish() && file.commit();
}

} // namespace

bool VeskGrid::writeTerrain(QString& fileName)
{
    const QString target = fileName.contains(QStringLiteral(".grd"))
        ? fileName
        : QStringLiteral("%1_w%2_h%3.grd").arg(name).arg(width).arg(height);

    io::AtomicFileWrite file = saveFile(target);
    if (!file.isOpen()) {
        fileName = reportOpenFailure(target);
        lastError = fileName;
        return false;
    }

    // Every row as long as the first, as the header says.
    const std::size_t columns = heights.empty() ? 0 : heights.front().size();
    FixedFormatWriter out(file.stream());
    writeGridHeader(out, width, height, degreesFromCellSize(cellSize));
    writeHeightRows(out, heights.size(), [&](std::size_t row) {
        return std::span<const float>(heights[row].data(), std::min(columns, heights[row].size()));
    });
    out.character('\n');
    if (!finishFile(out, file)) {
        fileName = reportWriteFailure(target);
        lastError = fileName;
        return false;
    }

    diagnostics::reportf("Details file %s has been written successfully\n", printable(target).constData());
    fileName = target;
    lastError.clear();
    return true;
}

bool VeskGrid::writeTerrainSplit(QString& leftName, QString& rightName)
{
    // An odd last column belongs to neither half and is left out of both files; the
    // terrain itself keeps it.
    const int halfWidth = width / 2;
    const QString base = QStringLiteral("%1_w%2_h%3").arg(name).arg(halfWidth).arg(height);
    const QString left = base + QStringLiteral("LEFT.grd");
    const QString right = base + QStringLiteral("RIGHT.grd");

    io::AtomicFileWrite leftFile = saveFile(left);
    if (!leftFile.isOpen()) {
        leftName = reportOpenFailure(left);
        lastError = leftName;
        return false;
    }
    io::AtomicFileWrite rightFile = saveFile(right);
    if (!rightFile.isOpen()) {
        leftName = reportOpenFailure(right);
        lastError = leftName;
        return false;
    }

    // The halves print the spacing rounded to single precision.
    const double spacing = static_cast<float>(degreesFromCellSize(cellSize));
    FixedFormatWriter leftOut(leftFile.stream());
    FixedFormatWriter rightOut(rightFile.stream());
    writeGridHeader(leftOut, halfWidth, height, spacing);
    writeGridHeader(rightOut, halfWidth, height, spacing);
    const std::size_t half = static_cast<std::size_t>(halfWidth);
    writeHeightRows(leftOut, heights.size(), [&](std::size_t row) {
        return std::span<const float>(heights[row].data(), std::min(half, heights[row].size()));
    });
    writeHeightRows(rightOut, heights.size(), [&](std::size_t row) {
        const std::size_t available = heights[row].size();
        return std::span<const float>(heights[row].data() + std::min(half, available),
                                      available > half ? std::min(half, available - half) : 0);
    });
    leftOut.character('\n');
    rightOut.character('\n');
    // Both halves are whole on the disk before either replaces its old file, so a write
    // that fails leaves both old halves as they were.
    const bool leftWritten = leftOut.finish() && leftFile.finishWriting();
    const bool rightWritten = leftWritten && rightOut.finish() && rightFile.finishWriting();
    const bool leftCommitted = rightWritten && leftFile.commit();
    if (!leftCommitted || !rightFile.commit()) {
        const QString failed = !leftWritten || (rightWritten && !leftCommitted) ? left : right;
        leftName = reportWriteFailure(failed);
        lastError = leftName;
        return false;
    }

    diagnostics::reportf("Details file %s has been written successfully\n", printable(left).constData());
    diagnostics::reportf("Details file %s has been written successfully\n", printable(right).constData());
    leftName = left;
    rightName = right;
    lastError.clear();
    return true;
}

bool VeskGrid::saveOBJ(const QString& fileName)
{
    io::AtomicFileWrite file = saveFile(fileName);
    if (!file.isOpen()) {
        lastError = reportOpenFailure(fileName);
        return false;
    }

    FixedFormatWriter out(file.stream());
    out.text("# A terrain obj produced by Talvane\n\n");
    for (std::size_t row = 0; row < heights.size(); ++row) {
        const float y = static_cast<float>(row) * cellSize;
        for (std::size_t col = 0; col < heights[row].size(); ++col) {
            out.text("v ");
            out.fixed(static_cast<float>(col) * cellSize, 3);
            out.character(' ');
            out.fixed(y, 3);
            out.character(' ');
            out.fixed(heights[row][col], 3);
            out.character('\n');
        }
    }
    out.text("\n# Let the faces begin!\n");
    // Vertices are numbered from 1, row by row; two counter-clockwise triangles per cell.
    for (std::size_t row = 0; row + 1 < heights.size(); ++row) {
        const long long n = static_cast<long long>(heights[row].size());
        for (long long col = 0; col + 1 < n; ++col) {
            const long long b = static_cast<long long>(row) * n + col + 1;
            const long long faces[2][3] = {{b, b + 1, b + n + 1}, {b, b + n + 1, b + n}};
            for (const auto& face : faces) {
                out.text("f ");
                out.integer(face[0]);
                out.character(' ');
                out.integer(face[1]);
                out.character(' ');
                out.integer(face[2]);
                out.character('\n');
            }
        }
    }
    if (!finishFile(out, file)) {
        lastError = reportWriteFailure(fileName);
        return false;
    }
    lastError.clear();
    return true;
}
