#include "support/TestGrids.h"

void fillTestGrid(VeskGrid& grid, int width, int height, float cellSize, const SampleFunction& heightAt,
                  const SampleFunction& curvatureAt, const SampleFunction& slopeAt)
{
    grid.clearData();
    grid.resize(width, height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            grid.heights[row][column] = heightAt(row, column);
    grid.cellSize = cellSize;
    grid.hasData = true;
    grid.computeStatistics();
    // Normals are the fixture's own (all up), not the surface's.
    grid.normals.assign(height, std::vector<Vector3>(width, Vector3{0.0, 0.0, 1.0}));
    grid.normalsValid = true;

    const int cellRows = height > 1 ? height - 1 : 0;
    const int cellColumns = width > 1 ? width - 1 : 0;
    grid.curvature.assign(cellRows, std::vector<float>(cellColumns, 0.0f));
    grid.slope.assign(cellRows, std::vector<float>(cellColumns, 0.0f));
    for (int row = 0; row < cellRows; ++row) {
        for (int column = 0; column < cellColumns; ++column) {
            if (curvatureAt)
                grid.curvature[row][column] = curvatureAt(row, column);
            if (slopeAt)
                grid.slope[row][column] = slopeAt(row, column);
        }
    }
    grid.surfaceValid = true;
}
