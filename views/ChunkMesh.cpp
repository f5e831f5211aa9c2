#include "views/ChunkMesh.h"

#include "grid/SurfaceNormals.h"
#include "views/SurfaceColours.h"
#include "views/SurfaceCoordinates.h"

#include <algorithm>

namespace {

using namespace surface_coordinates;

Rgba vertexColour(const VeskGrid& grid, RenderMode mode, int row, int column)
{
    if (mode == RenderMode::HeightColours)
        return heightColour(grid, grid.heights[row][column]);
    // The cell whose lower-left corner the sample is; the last row takes the cells below it.
    return cellColour(grid, mode, std::min(row, grid.height - 2), column);
}

} // namespace

ChunkMesh buildChunkMesh(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level, RenderMode mode)
{
    ChunkMesh mesh;
    const bool coloured = coloursSurface(mode);
    mesh.floatsPerVertex = surfaceFloatsPerVertex(coloured);
    const std::vector<int> rows = levelSamples(hierarchy.firstRow(chunk), hierarchy.lastRow(chunk), level);
    const std::vector<int> columns = levelSamples(hierarchy.firstColumn(chunk), hierarchy.lastColumn(chunk), level);
    const int rowCount = static_cast<int>(rows.size());
    const int columnCount = static_cast<int>(columns.size());
    const double scale = cellScale(grid.cellSize);

    const auto putVertex = [&](int row, int column, double depthBelow) {
        const double z = heightAbove(grid.heights[row][column], grid.minHeight) - depthBelow;
        // From the heights: a terrain drawn in chunks is too large to hold every normal.
        const Vector3 normal = sampleNormal(grid.heights, row, column);
        mesh.vertices.insert(mesh.vertices.end(),
                             {static_cast<float>(static_cast<double>(column) * scale),
                              static_cast<float>(static_cast<double>(row) * scale), static_cast<float>(z),
                              static_cast<float>(normal.x), static_cast<float>(normal.y), static_cast<float>(normal.z)});
        if (coloured) {
            const Rgba colour = vertexColour(grid, mode, row, column);
            mesh.vertices.insert(mesh.vertices.end(), {colour.red, colour.green, colour.blue});
        }
    };
    for (const int row : rows)
        for (const int column : columns)
            putVertex(row, column, 0.0);
    mesh.surfaceVertices = rowCount * columnCount;

    // As a strip through (row0, column0), (row1, column0), (row0, column1), (row1, column1) splits the cell.
    const auto at = [columnCount](int i, int j) { return static_cast<std::uint32_t>(i * columnCount + j); };
    for (int i = 0; i + 1 < rowCount; ++i)
        for (int j = 0; j + 1 < columnCount; ++j)
            mesh.indices.insert(mesh.indices.end(),
                                {at(i, j), at(i + 1, j), at(i, j + 1), at(i, j + 1), at(i + 1, j), at(i + 1, j + 1)});

    mesh.surfaceIndices = static_cast<int>(mesh.indices.size());

    // Edges: 0 first row, 1 last row, 2 first column, 3 last column.
    for (int edge = 0; edge < 4; ++edge) {
        const double depth = static_cast<double>(hierarchy.skirtDepth(chunk, level, edge)) * kHeightScale;
        if (depth == 0.0)
            continue;
        const bool alongRow = edge < 2;
        const int count = alongRow ? columnCount : rowCount;
        const std::uint32_t firstFoot = static_cast<std::uint32_t>(mesh.vertices.size() / mesh.floatsPerVertex);
        std::vector<std::uint32_t> tops;
        for (int k = 0; k < count; ++k) {
            const int i = alongRow ? (edge == 0 ? 0 : rowCount - 1) : k;
            const int j = alongRow ? k : (edge == 2 ? 0 : columnCount - 1);
            tops.push_back(at(i, j));
            putVertex(rows[i], columns[j], depth);
        }
        for (int k = 0; k + 1 < count; ++k) {
            const std::uint32_t foot = firstFoot + static_cast<std::uint32_t>(k);
            mesh.indices.insert(mesh.indices.end(), {tops[k], foot, tops[k + 1], tops[k + 1], foot, foot + 1});
        }
        mesh.skirtIndices[static_cast<std::size_t>(edge)] = 6 * (count - 1);
    }
    return mesh;
}

ChunkMesh buildChunkCurves(const VeskGrid& grid, const ChunkHierarchy& hierarchy, int chunk, int level, bool uCurves,
                           int spacing)
{
    ChunkMesh mesh;
    mesh.floatsPerVertex = 3;
    const int step = std::max(spacing, 1);
    // Lines across the chunk (rows for the u-curves) and the samples along each.
    const int lastLine = uCurves ? hierarchy.lastRow(chunk) : hierarchy.lastColumn(chunk);
    const int lastOfTerrain = uCurves ? grid.height - 1 : grid.width - 1;
    const std::vector<int> lines = uCurves ? levelSamples(hierarchy.firstRow(chunk), lastLine, level)
                                           : levelSamples(hierarchy.firstColumn(chunk), lastLine, level);
    const std::vector<int> along = uCurves ? levelSamples(hierarchy.firstColumn(chunk), hierarchy.lastColumn(chunk), level)
                                           : levelSamples(hierarchy.firstRow(chunk), hierarchy.lastRow(chunk), level);
    for (const int line : lines) {
        if (line % step != 0 || (line == lastLine && line != lastOfTerrain))
            continue;
        const auto first = static_cast<std::uint32_t>(mesh.vertices.size() / 3);
        for (const int position : along) {
            const int row = uCurves ? line : position;
            const int column = uCurves ? position : line;
            mesh.vertices.insert(mesh.vertices.end(),
                                 {static_cast<float>(column * kCurveSpacing), static_cast<float>(row * kCurveSpacing),
                                  static_cast<float>(heightAbove(grid.heights[row][column], grid.minHeight))});
        }
        for (std::uint32_t k = 0; k + 1 < along.size(); ++k)
            mesh.indices.insert(mesh.indices.end(), {first + k, first + k + 1});
    }
    mesh.surfaceVertices = static_cast<int>(mesh.vertices.size() / 3);
    return mesh;
}
