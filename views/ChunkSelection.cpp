#include "views/ChunkSelection.h"

#include "views/SurfaceCoordinates.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

using namespace surface_coordinates;

struct Point4 {
    double x, y, z, w;
};

// Column-major matrix times (x, y, z, w).
Point4 transform(const double* m, const Point4& p)
{
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12] * p.w, m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13] * p.w,
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14] * p.w, m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15] * p.w};
}

// The eight corners of a chunk's box in eye space: its columns and rows, and its heights
// from the lowest skirt's foot to its highest sample.
std::array<Point4, 8> eyeCorners(const ChunkHierarchy& hierarchy, int chunk, const SurfacePlacement& placement,
                                 const PickCamera& camera)
{
    float deepestSkirt = 0.0f;
    for (int edge = 0; edge < 4; ++edge)
        deepestSkirt = std::max(deepestSkirt, hierarchy.skirtDepth(chunk, hierarchy.levels() - 1, edge));
    const double xs[2] = {hierarchy.firstColumn(chunk) * placement.cellScale,
                          hierarchy.lastColumn(chunk) * placement.cellScale};
    const double ys[2] = {hierarchy.firstRow(chunk) * placement.cellScale,
                          hierarchy.lastRow(chunk) * placement.cellScale};
    const double zs[2] = {heightAbove(hierarchy.lowest(chunk), placement.minHeight) - deepestSkirt * kHeightScale,
                          heightAbove(hierarchy.highest(chunk), placement.minHeight)};
    std::array<Point4, 8> corners{};
    for (int i = 0; i < 8; ++i)
        corners[i] = transform(camera.modelView, {xs[i & 1], ys[(i >> 1) & 1], zs[i >> 2], 1.0});
    return corners;
}

bool outsideView(const std::array<Point4, 8>& eye, const PickCamera& camera)
{
    std::array<Point4, 8> clip{};
    for (int i = 0; i < 8; ++i)
        clip[i] = transform(camera.projection, eye[i]);
    const auto allBeyond = [&](auto beyond) {
        return std::all_of(clip.begin(), clip.end(), beyond);
    };
    return allBeyond([](const Point4& p) { return p.x < -p.w; }) || allBeyond([](const Point4& p) { return p.x > p.w; })
        || allBeyond([](const Point4& p) { return p.y < -p.w; }) || allBeyond([](const Point4& p) { return p.y > p.w; })
        || allBeyond([](const Point4& p) { return p.z < -p.w; }) || allBeyond([](const Point4& p) { return p.z > p.w; });
}

// Pixels on screen per unit of eye space at unit depth.
double focalPixels(const PickCamera& camera)
{
    return std::max(std::fabs(camera.projection[0]) * camera.viewport[2],
                    std::fabs(camera.projection[5]) * camera.viewport[3])
         / 2.0;
}

// Eye-space length of a unit along one of the surface's axes (0 x, 1 y, 2 z).
double eyeLength(const PickCamera& camera, int axis)
{
    const double* column = camera.modelView + 4 * axis;
    return std::sqrt(column[0] * column[0] + column[1] * column[1] + column[2] * column[2]);
}

// Pixels that a segment of unit eye-space length anywhere in the box can span on screen,
// or infinity when the box reaches the eye's plane.
double pixelsPerEyeUnit(const std::array<Point4, 8>& eye, const PickCamera& camera)
{
    double nearest = std::numeric_limits<double>::infinity();
    double farthest = 0.0;
    for (const Point4& p : eye) {
        nearest = std::min(nearest, -p.z);
        farthest = std::max(farthest, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
    }
    if (!(nearest > 0.0))
        return std::numeric_limits<double>::infinity();
    return focalPixels(camera) * farthest / (nearest * nearest);
}

} // namespace

std::vector<ChunkChoice> chooseChunkLevels(const ChunkHierarchy& hierarchy, const SurfacePlacement& placement,
                                           const PickCamera& camera, float maxPixels)
{
    std::vector<ChunkChoice> choices;
    for (int chunk = 0; chunk < hierarchy.chunkCount(); ++chunk) {
        const std::array<Point4, 8> eye = eyeCorners(hierarchy, chunk, placement, camera);
        if (outsideView(eye, camera))
            continue;
        const double perEyeUnit = pixelsPerEyeUnit(eye, camera);
        const double perHeightUnit = perEyeUnit * eyeLength(camera, 2) * kHeightScale;
        const double perCell = perEyeUnit * std::max(eyeLength(camera, 0), eyeLength(camera, 1)) * placement.cellScale;
        int level = hierarchy.levels() - 1;
        const auto withinBound = [&](int candidate) {
            const float error = hierarchy.error(chunk, candidate);
            const bool closeEnough = error == 0.0f || error * perHeightUnit <= maxPixels;
            const bool fineEnough = double(1 << candidate) * perCell <= kCellPixelsPerErrorPixel * maxPixels;
            return maxPixels > 0.0f && closeEnough && fineEnough;
        };
        while (level > 0 && !withinBound(level))
            --level;
        choices.push_back({chunk, level});
    }
    return choices;
}

long long chosenTriangles(const ChunkHierarchy& hierarchy, const std::vector<ChunkChoice>& choices)
{
    long long total = 0;
    for (const ChunkChoice& choice : choices) {
        const int step = 1 << choice.level;
        const auto cells = [step](int first, int last) {
            return static_cast<long long>((last - first + step - 1) / step);
        };
        total += 2 * cells(hierarchy.firstColumn(choice.chunk), hierarchy.lastColumn(choice.chunk))
               * cells(hierarchy.firstRow(choice.chunk), hierarchy.lastRow(choice.chunk));
    }
    return total;
}

long long screenTriangleBudget(const PickCamera& camera, float maxPixels)
{
    const double pixels = double(camera.viewport[2]) * double(camera.viewport[3]);
    return maxPixels > 0.0f ? static_cast<long long>(pixels / (double(maxPixels) * double(maxPixels))) : 0;
}

std::vector<ChunkChoice> chooseChunkLevelsWithin(const ChunkHierarchy& hierarchy, const SurfacePlacement& placement,
                                                 const PickCamera& camera, float maxPixels, long long triangleBudget)
{
    std::vector<ChunkChoice> choices = chooseChunkLevels(hierarchy, placement, camera, maxPixels);
    if (maxPixels <= 0.0f)
        return choices;
    float bound = maxPixels;
    while (chosenTriangles(hierarchy, choices) > triangleBudget && bound < 1024.0f * maxPixels) {
        bound *= std::numbers::sqrt2_v<float>;
        choices = chooseChunkLevels(hierarchy, placement, camera, bound);
    }
    return choices;
}
