#include "grid/AsciiGridHeader.h"

#include "grid/CellSize.h"

#include <array>
#include <string>

namespace {

enum class HeaderKey { Columns, Rows, XOrigin, YOrigin, CellSize, XSpacing, YSpacing, NoData, Unknown };

HeaderKey headerKeyOf(std::string_view token)
{
    struct Spelling {
        std::string_view key;
        HeaderKey meaning;
    };
    static constexpr std::array<Spelling, 13> spellings{{
        {"ncols", HeaderKey::Columns},
        {"nrows", HeaderKey::Rows},
        {"xllcorner", HeaderKey::XOrigin},
        {"xllcenter", HeaderKey::XOrigin},
        {"yllcorner", HeaderKey::YOrigin},
        {"yllcenter", HeaderKey::YOrigin},
        {"cellsize", HeaderKey::CellSize},
        {"dx", HeaderKey::XSpacing},
        {"xdim", HeaderKey::XSpacing},
        {"dy", HeaderKey::YSpacing},
        {"ydim", HeaderKey::YSpacing},
        {"nodata_value", HeaderKey::NoData},
        {"nodata", HeaderKey::NoData},
    }};
    for (const Spelling& spelling : spellings) {
        if (sameKey(token, spelling.key))
            return spelling.meaning;
    }
    return HeaderKey::Unknown;
}

QString quoted(std::string_view token)
{
    // Long garbage is cut so that the message stays readable.
    const std::size_t shown = token.size() > 40 ? 40 : token.size();
    return QStringLiteral("\"") + QString::fromLatin1(token.data(), static_cast<qsizetype>(shown))
        + (shown < token.size() ? QStringLiteral("...\"") : QStringLiteral("\""));
}

} // namespace

bool readAsciiGridHeader(TokenReader& reader, AsciiGridHeader& header, QString& problem)
{
    std::array<bool, static_cast<int>(HeaderKey::Unknown)> seen{};
    bool haveCellSize = false;
    double cellSize = 0.0;
    double xSpacing = 0.0;
    bool haveXSpacing = false;
    bool sevenLineSpacing = false; // xdim, as the seven-line grid writes it
    double noData = 0.0;

    std::string_view token;
    for (;;) {
        if (!reader.next(token))
            break; // a complete header with no heights is judged by the height reader
        double number = 0.0;
        if (parseNumber(token, number)) {
            reader.unread(token);
            break;
        }
        const HeaderKey key = headerKeyOf(token);
        if (key == HeaderKey::Unknown) {
            if (seen[static_cast<int>(HeaderKey::Columns)] && seen[static_cast<int>(HeaderKey::Rows)]
                && (haveCellSize || haveXSpacing)) {
                // The header is complete; a word here is a damaged height, which the
                // height reader reports as such.
                reader.unread(token);
                break;
            }
            problem = QStringLiteral("%1 is not a key of an ASCII grid header").arg(quoted(token));
            return false;
        }
        if (seen[static_cast<int>(key)]) {
            problem = QStringLiteral("the header gives %1 twice").arg(quoted(token));
            return false;
        }
        seen[static_cast<int>(key)] = true;

        const std::string keyText(token);
        std::string_view value;
        if (!reader.next(value)) {
            problem = QStringLiteral("the file ends inside the header");
            return false;
        }
        bool valid = true;
        switch (key) {
        case HeaderKey::Columns:
            valid = parseInteger(value, header.columns);
            break;
        case HeaderKey::Rows:
            valid = parseInteger(value, header.rows);
            break;
        case HeaderKey::CellSize:
            valid = parseNumber(value, cellSize);
            haveCellSize = valid;
            break;
        case HeaderKey::XSpacing:
            valid = parseNumber(value, xSpacing);
            haveXSpacing = valid;
            sevenLineSpacing = sameKey(keyText, "xdim");
            break;
        case HeaderKey::NoData:
            valid = parseNumber(value, noData);
            break;
        default:
            // Origin and the y spacing are not used, but must be numbers.
            double ignored = 0.0;
            valid = parseNumber(value, ignored);
            break;
        }
        if (!valid) {
            problem = QStringLiteral("the value %1 of %2 is not a valid number")
                          .arg(quoted(value), QString::fromStdString(keyText));
            return false;
        }
    }

    if (reader.readFailed()) {
        problem = QStringLiteral("the file could not be read");
        return false;
    }
    if (reader.tokenTooLong()) {
        problem = QStringLiteral("it starts with a word too long to be part of a header");
        return false;
    }
    if (!seen[static_cast<int>(HeaderKey::Columns)] || !seen[static_cast<int>(HeaderKey::Rows)]) {
        problem = QStringLiteral("the header does not give ncols and nrows");
        return false;
    }
    if (!haveCellSize && !haveXSpacing) {
        problem = QStringLiteral("the header gives no cell size (cellsize, dx or xdim)");
        return false;
    }
    header.cellSizeDegrees = haveCellSize ? cellSize : xSpacing;
    if (seen[static_cast<int>(HeaderKey::NoData)] && (haveCellSize || !sevenLineSpacing))
        header.standardNoData = noData;
    problem = unusableSpacingProblem(header.cellSizeDegrees);
    return problem.isEmpty();
}
