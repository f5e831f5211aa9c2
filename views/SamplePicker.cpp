#include "views/SamplePicker.h"

#include "grid/MatrixShape.h"
#include "views/SurfaceCoordinates.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

using namespace surface_coordinates;

// Samples per tile side: small enough that the tiles near the pointer are few samples,
// large enough that projecting every tile's corners is cheap.
constexpr int kTileSide = 64;

// The best sample so far: smallest screen distance, then earliest in row-major order.
struct Best {
    int row = -1;
    int column = -1;
    double distance = std::numeric_limits<double>::infinity();

    // A distance that is not a number (a height that is not one) never wins.
    void offer(double candidate, int r, int c)
    {
        if (std::isnan(candidate))
            return;
        if (row < 0 || candidate < distance || (candidate == distance && (r < row || (r == row && c < column)))) {
            distance = candidate;
            row = r;
            column = c;
        }
    }
};

struct Projector {
    const PickCamera& camera;
    double targetX;
    double targetY;

    // Window position of a world point in widget pixels, as the reference computes it.
    void project(double x, double y, double z, double& windowX, double& windowY) const
    {
        GLdouble winX = 0.0;
        GLdouble winY = 0.0;
        GLdouble winZ = 0.0;
        gluProject(x, y, z, camera.modelView, camera.projection, camera.viewport, &winX, &winY, &winZ);
        windowX = winX / camera.pixelRatio;
        windowY = winY / camera.pixelRatio;
    }

    double squaredDistance(double x, double y, double z) const
    {
        double windowX = 0.0;
        double windowY = 0.0;
        project(x, y, z, windowX, windowY);
        const double dx = targetX - windowX;
        const double dy = targetY - windowY;
        return dx * dx + dy * dy;
    }

    // The clip-space w of a world point: positive in front of the eye.
    double clipW(double x, double y, double z) const
    {
        double w = 0.0;
        for (int k = 0; k < 4; ++k) {
            const double eye = camera.modelView[k] * x + camera.modelView[4 + k] * y + camera.modelView[8 + k] * z
                + camera.modelView[12 + k];
            w += camera.projection[4 * k + 3] * eye;
        }
        return w;
    }
};

void scanSamples(const VeskGrid& grid, const Projector& projector, int firstRow, int endRow, int firstColumn,
                 int endColumn, Best& best)
{
    const double scale = cellScale(grid.cellSize);
    for (int r = firstRow; r < endRow; ++r) {
        const FloatRow& heights = grid.heights[r];
        const int end = std::min(endColumn, static_cast<int>(heights.size()));
        for (int c = firstColumn; c < end; ++c)
            best.offer(projector.squaredDistance(c * scale, r * scale, heightAbove(heights[c], grid.minHeight)), r, c);
    }
}

} // namespace

void SamplePicker::pickByProjectingEverySample(const VeskGrid& grid, const PickCamera& camera, double targetX,
                                               double targetY, int& row, int& column)
{
    Best best;
    const int rows = std::min(grid.height, static_cast<int>(grid.heights.size()));
    scanSamples(grid, Projector{camera, targetX, targetY}, 0, std::max(rows, 0), 0, std::max(grid.width, 0), best);
    row = best.row;
    column = best.column;
}

bool SamplePicker::targetNearSample(const VeskGrid& grid, const PickCamera& camera, double targetX, double targetY,
                                    int row, int column)
{
    if (row < 0 || column < 0 || row >= grid.height || column >= grid.width
        || !matrixHasShape(grid.heights, grid.height, grid.width))
        return false;
    const double scale = cellScale(grid.cellSize);
    const auto position = [&](int r, int c, double& windowX, double& windowY) {
        const Projector projector{camera, targetX, targetY};
        projector.project(c * scale, r * scale, heightAbove(grid.heights[r][c], grid.minHeight), windowX, windowY);
    };
    double sampleX = 0.0;
    double sampleY = 0.0;
    position(row, column, sampleX, sampleY);
    double reach = 0.0;
    const std::array<std::array<int, 2>, 4> neighbours{{{row - 1, column}, {row + 1, column}, {row, column - 1}, {row, column + 1}}};
    for (const auto& [r, c] : neighbours) {
        if (r < 0 || c < 0 || r >= grid.height || c >= grid.width)
            continue;
        double windowX = 0.0;
        double windowY = 0.0;
        position(r, c, windowX, windowY);
        const double spacing = std::hypot(windowX - sampleX, windowY - sampleY);
        if (std::isfinite(spacing))
            reach = std::max(reach, spacing);
    }
    return std::hypot(targetX - sampleX, targetY - sampleY) <= reach + 1.0;
}

void SamplePicker::buildTiles(const VeskGrid& grid)
{
    tiles_.clear();
    for (int firstRow = 0; firstRow < grid.height; firstRow += kTileSide) {
        for (int firstColumn = 0; firstColumn < grid.width; firstColumn += kTileSide) {
            Tile tile{firstRow, std::min(firstRow + kTileSide, grid.height), firstColumn,
                      std::min(firstColumn + kTileSide, grid.width), std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::quiet_NaN()};
            for (int r = tile.firstRow; r < tile.endRow; ++r) {
                const float* heights = grid.heights[r].data();
                for (int c = tile.firstColumn; c < tile.endColumn; ++c) {
                    const float h = heights[c];
                    // fmin and fmax pass over heights that are not numbers.
                    tile.lowest = std::fmin(tile.lowest, h);
                    tile.highest = std::fmax(tile.highest, h);
                }
            }
            tiles_.push_back(tile);
        }
    }
    tilesWidth_ = grid.width;
    tilesHeight_ = grid.height;
}

void SamplePicker::pick(const VeskGrid& grid, const PickCamera& camera, double targetX, double targetY, int& row,
                        int& column)
{
    if (grid.width < 1 || grid.height < 1 || !matrixHasShape(grid.heights, grid.height, grid.width)) {
        pickByProjectingEverySample(grid, camera, targetX, targetY, row, column);
        lastProjectedSamples_ = static_cast<std::size_t>(std::max(grid.width, 0)) * grid.heights.size();
        return;
    }
    if (tiles_.empty() || tilesWidth_ != grid.width || tilesHeight_ != grid.height)
        buildTiles(grid);

    const Projector projector{camera, targetX, targetY};
    const double scale = cellScale(grid.cellSize);

    // A lower bound of each tile's squared distance: the distance to the rectangle
    // around its projected corners. A box wholly in front of the eye projects inside
    // that rectangle; a box reaching behind it gets no bound and is always scanned.
    std::vector<double> bounds(tiles_.size(), 0.0);
    for (std::size_t t = 0; t < tiles_.size(); ++t) {
        const Tile& tile = tiles_[t];
        if (std::isnan(tile.lowest)) {
            bounds[t] = std::numeric_limits<double>::infinity(); // nothing here can be picked
            continue;
        }
        const std::array<double, 2> xs{tile.firstColumn * scale, (tile.endColumn - 1) * scale};
        const std::array<double, 2> ys{tile.firstRow * scale, (tile.endRow - 1) * scale};
        const std::array<double, 2> zs{heightAbove(tile.lowest, grid.minHeight), heightAbove(tile.highest, grid.minHeight)};
        double left = std::numeric_limits<double>::infinity();
        double right = -left;
        double bottom = left;
        double top = -left;
        bool inFront = true;
        for (const double x : xs)
            for (const double y : ys)
                for (const double z : zs) {
                    inFront = inFront && projector.clipW(x, y, z) > 0.0;
                    double windowX = 0.0;
                    double windowY = 0.0;
                    projector.project(x, y, z, windowX, windowY);
                    left = std::min(left, windowX);
                    right = std::max(right, windowX);
                    bottom = std::min(bottom, windowY);
                    top = std::max(top, windowY);
                }
        if (!inFront || !std::isfinite(left) || !std::isfinite(right) || !std::isfinite(bottom) || !std::isfinite(top))
            continue;
        const double outsideX = std::max({left - targetX, targetX - right, 0.0});
        const double outsideY = std::max({bottom - targetY, targetY - top, 0.0});
        // Rounding slack, so that a sample on the rectangle's edge is never cut off.
        const double slack = 1e-6 * (1.0 + std::max({std::fabs(left), std::fabs(right), std::fabs(bottom), std::fabs(top)}));
        const double distance = std::max(std::hypot(outsideX, outsideY) - slack, 0.0);
        bounds[t] = distance * distance;
    }

    std::vector<std::size_t> order(tiles_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return bounds[a] < bounds[b]; });
    Best best;
    lastProjectedSamples_ = 0;
    for (const std::size_t t : order) {
        // Ties matter (the earliest sample wins), so a tile whose bound equals the best is still scanned.
        if (best.row >= 0 && bounds[t] > best.distance)
            break;
        if (std::isinf(bounds[t]))
            break;
        const Tile& tile = tiles_[t];
        scanSamples(grid, projector, tile.firstRow, tile.endRow, tile.firstColumn, tile.endColumn, best);
        lastProjectedSamples_ += static_cast<std::size_t>(tile.endRow - tile.firstRow)
            * static_cast<std::size_t>(tile.endColumn - tile.firstColumn);
    }
    row = best.row;
    column = best.column;
}
