#pragma once

#include "grid/VeskGrid.h"

#include <functional>

// Fills a grid with a terrain given by a height function, with upward normals and
// curvature and slope from the given cell functions, all marked valid, so that a
// drawing test controls every value the drawing reads.
using SampleFunction = std::function<float(int row, int column)>;

void fillTestGrid(VeskGrid& grid, int width, int height, float cellSize, const SampleFunction& heightAt,
                  const SampleFunction& curvatureAt = {}, const SampleFunction& slopeAt = {});
