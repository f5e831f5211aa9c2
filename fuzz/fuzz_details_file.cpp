// The details file reader (Chaikin and Faber levels), spliced into grids of a few sizes: the first byte picks the
// grid (no terrain, 12 x 12, 20 x 16 or 40 x 24), the rest is the file. An accepted level
// must have the shapes the header and the grid give it, finite values, and must read
// back the same from the file written from it.

#include "fuzz/FuzzSupport.h"
#include "grid/DetailLevelShape.h"
#include "grid/VeskGrid.h"

#include <algorithm>

namespace {

struct GridSize {
    int width;
    int height;
};

constexpr GridSize kGridSizes[] = {{0, 0}, {12, 12}, {20, 16}, {40, 24}};

VeskGrid gridOf(GridSize size)
{
    VeskGrid grid;
    grid.resize(size.width, size.height);
    grid.hasData = size.width > 0;
    grid.cellSize = 30.0f;
    return grid;
}

std::size_t valuesPerRow(const FloatMatrix& matrix)
{
    return matrix.empty() ? 0 : matrix.front().size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    if (size < 1)
        return 0;
    const GridSize gridSize = kGridSizes[data[0] % std::size(kGridSizes)];
    VeskGrid grid = gridOf(gridSize);
    if (!grid.loadDetailText(fuzz::textOf(data + 1, size - 1), QStringLiteral("fuzz.dtl"))) {
        fuzz::require(grid.details.empty(), "a refused details file leaves the stack empty");
        fuzz::require(!grid.lastError.isEmpty(), "a refused details file says why");
        return 0;
    }

    fuzz::require(grid.details.size() == 2, "a details file gives one level");
    const FloatMatrix& columnDetails = grid.details[0];
    const FloatMatrix& rowDetails = grid.details[1];
    // The level as read (N x M) stretched to the grid, never cropped, in either scheme
    // that keeps details (Chaikin or Faber, told apart by the matrices' widths).
    const DetailLevelShape shape =
        detailLevelShapeOf(static_cast<std::int64_t>(rowDetails.size()), static_cast<std::int64_t>(valuesPerRow(rowDetails)),
                           static_cast<std::int64_t>(valuesPerRow(columnDetails)));
    fuzz::require(shape.columns >= 12 && shape.rows >= 12, "a level is at least 12 x 12");
    fuzz::require(shape.columns >= gridSize.width && shape.rows >= gridSize.height,
                  "a level is spliced to at least the grid's size");
    fuzz::checkMatrix(rowDetails, static_cast<std::size_t>(shape.rowDetailRows()),
                      static_cast<std::size_t>(shape.rowDetailValues()));
    fuzz::checkMatrix(columnDetails, static_cast<std::size_t>(shape.columnDetailRows()),
                      static_cast<std::size_t>(shape.columnDetailValues()));

    const QString written = fuzz::scratchFile("level.dtl");
    fuzz::require(grid.writeDetail(rowDetails, columnDetails, written, grid.cellSize, QStringLiteral("null")),
                  "a loaded level can be written");
    VeskGrid reread = gridOf(gridSize);
    fuzz::require(reread.loadDetail(written), "a written level reads back");
    fuzz::require(reread.details.size() == 2, "a written level reads back as one level");
    for (std::size_t matrix = 0; matrix < 2; ++matrix) {
        const FloatMatrix& original = grid.details[matrix];
        const FloatMatrix& again = reread.details[matrix];
        fuzz::require(again.size() == original.size(), "the re-read level has the same rows");
        for (std::size_t row = 0; row < original.size(); ++row) {
            fuzz::require(again[row].size() == original[row].size(), "the re-read level has the same values per row");
            for (std::size_t col = 0; col < original[row].size(); ++col)
                fuzz::require(fuzz::sameWhenPrinted(original[row][col], again[row][col], 5),
                              "the re-read details are the written ones to five decimals");
        }
    }
    return 0;
}
