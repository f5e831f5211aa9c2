#pragma once

#include <cstdlib>

// Format notes (PNG filter method 0): each scanline starts with a filter-type byte, and
// every byte x of the line is sent as x minus a prediction from its left neighbour a
// (the byte one pixel back), the byte above b and the byte above-left c, all taken as
// 0 outside the image or before the first line of a pass:
//   0 None: 0   1 Sub: a   2 Up: b   3 Average: floor((a + b) / 2)   4 Paeth: below.
// Bytes are unsigned and the sums are taken modulo 256.

// The Paeth predictor: whichever of a, b, c is closest to a + b - c, ties going to a,
// then b.
inline int paethPredictor(int left, int up, int upLeft)
{
    const int estimate = left + up - upLeft;
    const int distanceLeft = std::abs(estimate - left);
    const int distanceUp = std::abs(estimate - up);
    const int distanceUpLeft = std::abs(estimate - upLeft);
    if (distanceLeft <= distanceUp && distanceLeft <= distanceUpLeft)
        return left;
    if (distanceUp <= distanceUpLeft)
        return up;
    return upLeft;
}

// Undoes the filter of one byte. A filter type above 4 is taken as None.
inline unsigned char unfilterByte(int filterType, unsigned char filtered, int left, int up, int upLeft)
{
    int prediction = 0;
    switch (filterType) {
    case 1:
        prediction = left;
        break;
    case 2:
        prediction = up;
        break;
    case 3:
        prediction = (left + up) / 2;
        break;
    case 4:
        prediction = paethPredictor(left, up, upLeft);
        break;
    default:
        break;
    }
    return static_cast<unsigned char>(filtered + prediction);
}
