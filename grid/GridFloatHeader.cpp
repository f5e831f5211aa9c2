#include "grid/GridFloatHeader.h"

#include "grid/CellSize.h"
#include "grid/TokenReader.h"

#include <string>

namespace {

// A header is a few dozen tokens; more than this is not a header.
constexpr int kMaxHeaderTokens = 4096;

QString text(std::string_view token)
{
    const std::size_t shown = token.size() > 40 ? 40 : token.size();
    return QString::fromLatin1(token.data(), static_cast<qsizetype>(shown));
}

} // namespace

bool readGridFloatHeader(std::FILE* file, GridFloatHeader& header, QString& problem)
{
    TokenReader reader(file);
    bool haveColumns = false;
    bool haveRows = false;
    bool haveCellSize = false;
    bool haveXSpacing = false;
    double cellSize = 0.0;
    double xSpacing = 0.0;
    header.bigEndian = false;

    std::string_view token;
    for (int tokens = 0; reader.next(token); tokens += 2) {
        if (tokens >= kMaxHeaderTokens) {
            problem = QStringLiteral("the header is too long to be a grid header");
            return false;
        }
        const std::string key(token);
        std::string_view value;
        if (!reader.next(value))
            break; // a trailing key without a value says nothing
        bool valid = true;
        if (sameKey(key, "ncols")) {
            valid = parseInteger(value, header.columns);
            haveColumns = valid;
        } else if (sameKey(key, "nrows")) {
            valid = parseInteger(value, header.rows);
            haveRows = valid;
        } else if (sameKey(key, "cellsize")) {
            valid = parseNumber(value, cellSize);
            haveCellSize = valid;
        } else if (sameKey(key, "xdim")) {
            valid = parseNumber(value, xSpacing);
            haveXSpacing = valid;
        } else if (sameKey(key, "byteorder")) {
            if (sameKey(value, "msbfirst") || sameKey(value, "m")) {
                header.bigEndian = true;
            } else if (sameKey(value, "lsbfirst") || sameKey(value, "i")) {
                header.bigEndian = false;
            } else {
                problem = QStringLiteral("the byte order %1 is neither LSBFIRST nor MSBFIRST").arg(text(value));
                return false;
            }
        } else if (sameKey(key, "nbits")) {
            long long bits = 0;
            if (!parseInteger(value, bits) || bits != 32) {
                problem = QStringLiteral("the samples have %1 bits; only 32-bit floats are read").arg(text(value));
                return false;
            }
        } else if (sameKey(key, "pixeltype")) {
            if (!sameKey(value, "float")) {
                problem = QStringLiteral("the samples are of type %1; only floats are read").arg(text(value));
                return false;
            }
        }
        if (!valid) {
            problem = QStringLiteral("the value %1 of %2 is not a valid number")
                          .arg(text(value), QString::fromStdString(key));
            return false;
        }
    }
    if (reader.readFailed()) {
        problem = QStringLiteral("the header could not be read");
        return false;
    }
    if (!haveColumns || !haveRows) {
        problem = QStringLiteral("the header does not give ncols and nrows");
        return false;
    }
    if (!haveCellSize && !haveXSpacing) {
        problem = QStringLiteral("the header gives no cell size (cellsize or xdim)");
        return false;
    }
    header.cellSizeDegrees = haveCellSize ? cellSize : xSpacing;
    problem = unusableSpacingProblem(header.cellSizeDegrees);
    return problem.isEmpty();
}
