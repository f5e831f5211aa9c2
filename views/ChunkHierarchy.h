#pragma once

#include "grid/VeskGrid.h"

#include <atomic>
#include <cstddef>
#include <vector>

// The level-of-detail hierarchy of a grid's surface. The cells are cut into square
// chunks of chunkCells x chunkCells cells (fewer at the last row and column of
// chunks); a chunk is drawn at one of its levels, level k keeping every 2^k-th row
// and column of the chunk and its last ones, its cells split into two triangles
// along the same diagonal as the full surface's strips. Level 0 is the chunk's own
// samples, so it draws exactly the full surface's triangles over that chunk.
//
// A level's error is the largest vertical distance, in height units, between a sample
// of the chunk and the level's mesh above or below it: the meshes share the samples'
// x and y, so how far a level strays from the surface is that height alone. Errors
// never fall from one level to the next coarser one, so that the coarsest level
// within a bound is found by walking up. The heights are read only through
// heights[row][column].
class ChunkHierarchy {
public:
    // Chunks per side are kept at most this many by doubling the chunk's size, so
    // that a frame of the whole terrain makes a bounded number of draws: llvmpipe
    // spends 7 to 10 us on each chunk's draw whatever its size, 30 to 40 ms a frame
    // at 64 a side.
    static constexpr int kMostChunksPerSide = 32;
    static constexpr int kSmallestChunkCells = 64;

    // Measures every chunk's levels; false, with the hierarchy emptied, when cancel
    // was raised first or the grid has no surface (fewer than two rows or columns,
    // heights not of its size).
    bool build(const VeskGrid& grid, const std::atomic<bool>* cancel = nullptr);
    void clear();

    bool empty() const { return chunkColumns_ == 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    int chunkCells() const { return chunkCells_; }
    int levels() const { return levels_; }
    int chunkColumns() const { return chunkColumns_; }
    int chunkRows() const { return chunkRows_; }
    int chunkCount() const { return chunkColumns_ * chunkRows_; }

    // The samples a chunk spans along one direction: [first, last], both kept by every level.
    int firstColumn(int chunk) const { return (chunk % chunkColumns_) * chunkCells_; }
    int lastColumn(int chunk) const;
    int firstRow(int chunk) const { return (chunk / chunkColumns_) * chunkCells_; }
    int lastRow(int chunk) const;

    float error(int chunk, int level) const { return errors_[static_cast<std::size_t>(chunk) * levels_ + level]; }
    float lowest(int chunk) const { return lowest_[chunk]; }
    float highest(int chunk) const { return highest_[chunk]; }
    // How far the skirt under a chunk's edge at a level reaches down (height units):
    // the gap between this level's edge and any level of the neighbour across it is at
    // most the sum of both errors. Edges: 0 first row, 1 last row, 2 first column,
    // 3 last column; 0 on the terrain's own border, where no neighbour meets it.
    float skirtDepth(int chunk, int level, int edge) const;
    // The chunk across an edge, or -1 on the terrain's border.
    int neighbour(int chunk, int edge) const;

    // The chunk size for a grid of that many samples.
    static int chunkCellsFor(int width, int height);

private:
    float measureLevel(const VeskGrid& grid, int chunk, int level) const;

    int width_ = 0;
    int height_ = 0;
    int chunkCells_ = 0;
    int levels_ = 0;
    int chunkColumns_ = 0;
    int chunkRows_ = 0;
    std::vector<float> errors_; // chunk by chunk, its levels from 0
    std::vector<float> lowest_;
    std::vector<float> highest_;
};

// The samples a level keeps between first and last: first, first + 2^level, ... and last.
std::vector<int> levelSamples(int first, int last, int level);
