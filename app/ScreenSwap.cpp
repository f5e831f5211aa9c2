#include "app/ScreenSwap.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

std::int64_t matrixBytes(const FloatMatrix& matrix)
{
    std::int64_t bytes = 0;
    for (const auto& row : matrix)
        bytes += static_cast<std::int64_t>(row.size() * sizeof(float) + sizeof(row));
    return bytes;
}

std::size_t sharedBottom(const std::vector<FloatMatrix>& a, const std::vector<FloatMatrix>& b)
{
    const auto firstDifference = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return static_cast<std::size_t>(std::distance(a.begin(), firstDifference.first));
}

// Moves the matrices above the shared ones out of the stack.
std::vector<FloatMatrix> takeTop(std::vector<FloatMatrix>& stack, std::size_t shared)
{
    std::vector<FloatMatrix> top(std::make_move_iterator(stack.begin() + static_cast<std::ptrdiff_t>(shared)),
                                 std::make_move_iterator(stack.end()));
    stack.resize(shared);
    return top;
}

} // namespace

ScreenSwap::ScreenSwap(WindowDocument& screens, ScreenSide screenSide, ScreenContent earlier)
    : document(&screens), side(screenSide), kept(std::move(earlier))
{
    const VeskGrid& shown = document->terrain(side);
    sharedDetails = sharedBottom(kept.grid.details, shown.details);
    kept.grid.details = takeTop(kept.grid.details, sharedDetails);
    dropSurfaceData(kept.grid);
    sharedHeights = kept.grid.heights == shown.heights;
    if (sharedHeights)
        FloatMatrix().swap(kept.grid.heights);
}

void ScreenSwap::exchange()
{
    ScreenContent leaving = document->take(side);
    std::vector<FloatMatrix> shownTop = takeTop(leaving.grid.details, sharedDetails);
    // The shared bottom of the stack stays; the kept top goes on it.
    std::vector<FloatMatrix> stack = std::move(leaving.grid.details);
    std::move(kept.grid.details.begin(), kept.grid.details.end(), std::back_inserter(stack));
    kept.grid.details = std::move(stack);
    if (sharedHeights) {
        // The same heights, so the same surface data: both stay on the screen.
        kept.grid.heights = std::move(leaving.grid.heights);
        kept.grid.normals = std::move(leaving.grid.normals);
        kept.grid.curvature = std::move(leaving.grid.curvature);
        kept.grid.slope = std::move(leaving.grid.slope);
        kept.grid.normalsValid = leaving.grid.normalsValid;
        kept.grid.surfaceValid = leaving.grid.surfaceValid;
        FloatMatrix().swap(leaving.grid.heights);
    } else {
        // Kept content has no surface data; the operations that follow need it.
        kept.grid.calculateNormals();
    }
    dropSurfaceData(leaving.grid);
    document->show(side, std::move(kept));
    leaving.grid.details = std::move(shownTop);
    kept = std::move(leaving);
}

std::int64_t ScreenSwap::cost() const
{
    std::int64_t bytes = matrixBytes(kept.grid.heights);
    for (const FloatMatrix& matrix : kept.grid.details)
        bytes += matrixBytes(matrix);
    bytes += static_cast<std::int64_t>(kept.marks.size() * sizeof(int));
    return bytes;
}
