#pragma once

#include <cstddef>
#include <vector>

// Which values of a long profile its plot draws. A plot narrower than its curve has many values
// in each pixel column; the line through the first, the lowest, the highest and the last of a
// column's values, in their order, covers the pixels the line through all of them covers (the
// M4 aggregation of Jugel et al. 2014), and a point on a pixel another of the column's points
// already took adds nothing. A 16,385-value row in a 400-pixel plot thus draws about 1,600 line
// vertices instead of 16,385, and its paint no longer grows with the terrain's side.
struct ProfileVertices {
    std::vector<std::size_t> line;   // indices into the curve, in order
    std::vector<std::size_t> points; // indices into the curve, in order
};

// The plot's box: values from minValue to maxValue fill rows -0.05 to 0.95 of a box from -0.1
// to 1.0 high, and indices 0 to count - 1 run from 0 to 1 of a box from -0.01 to 1.01 wide;
// the box is widthPixels x heightPixels. Every value must be finite.
ProfileVertices profileVerticesDrawn(const std::vector<float>& curve, float minValue, float maxValue,
                                     int widthPixels, int heightPixels);
