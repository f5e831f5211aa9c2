// The session reader: the whole input is a .talvane archive. A refused input leaves the
// session as it was and says why; an accepted one has whole terrains on the screens it
// fills, pairs of rectangular finite detail matrices, and writes back to a file that
// reads back as the same screens.

#include "fuzz/FuzzSupport.h"
#include "grid/SessionFile.h"

namespace {

void checkScreen(const VeskGrid& grid)
{
    if (!grid.hasData)
        return;
    fuzz::checkLoadedTerrain(grid);
    fuzz::require(grid.details.size() % 2 == 0, "the detail stack holds whole levels");
    for (const FloatMatrix& matrix : grid.details)
        fuzz::checkMatrix(matrix, matrix.rows(), matrix.columns());
}

bool sameScreen(const VeskGrid& grid, const VeskGrid& other)
{
    return grid.hasData == other.hasData && grid.heights == other.heights && grid.details == other.details
           && grid.cellSize == other.cellSize && grid.name == other.name
           && grid.georeference.has_value() == other.georeference.has_value();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    TerrainSession session;
    session.left.name = QStringLiteral("untouched");
    QString errorText;
    if (!readSessionBuffer(fuzz::textOf(data, size), QStringLiteral("fuzz.talvane"), session, errorText)) {
        fuzz::require(!errorText.isEmpty(), "a refused session says why");
        fuzz::require(!session.left.hasData && session.left.name == QLatin1String("untouched")
                          && !session.right.hasData,
                      "a refused session leaves the screens as they were");
        return 0;
    }
    checkScreen(session.left);
    checkScreen(session.right);

    const QString rewritten = fuzz::scratchFile("rewritten.talvane");
    fuzz::require(writeSessionFile(rewritten, session.left, session.right, session.window, errorText),
                  "an accepted session can be written");
    TerrainSession reread;
    fuzz::require(readSessionFile(rewritten, reread, errorText), "a written session reads back");
    fuzz::require(sameScreen(reread.left, session.left) && sameScreen(reread.right, session.right),
                  "a written session reads back as the same screens");
    return 0;
}
