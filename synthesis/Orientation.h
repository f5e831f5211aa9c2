#pragma once

#include <array>

// The eight ways a square block of the example can be laid down: four turns, each
// plain or mirrored. A block laid with orientation t at example corner (x, y) takes
// the output sample at offset (u, v) from the example sample (x, y) + M_t (u, v),
// where M_t is a matrix of 0 and +-1. Mirrors and turns let the example's valleys
// line up with the base's slopes whichever way they run.
struct Orientation {
    int xFromU; // d(example x) / du
    int xFromV; // d(example x) / dv
    int yFromU; // d(example y) / du
    int yFromV; // d(example y) / dv

    int mapX(int u, int v) const { return xFromU * u + xFromV * v; }
    int mapY(int u, int v) const { return yFromU * u + yFromV * v; }
};

constexpr int orientationCount = 8;

constexpr std::array<Orientation, orientationCount> orientations{{
    {1, 0, 0, 1},   // as it stands
    {0, -1, 1, 0},  // a quarter turn
    {-1, 0, 0, -1}, // a half turn
    {0, 1, -1, 0},  // three quarter turns
    {-1, 0, 0, 1},  // mirrored left to right
    {0, 1, 1, 0},   // mirrored across the diagonal
    {1, 0, 0, -1},  // mirrored top to bottom
    {0, -1, -1, 0}, // mirrored across the other diagonal
}};
