#pragma once

#include <cstdlib>
#include <cstring>

// Format notes (PNG filter method 0): each scanline starts with a filter-type byte, and
// every byte x of the line is sent as x minus a prediction from its left neighbour a
// (the byte one pixel back), the byte above b and the byte above-left c, all taken as
// 0 outside the image or before the first line of a pass:
//   0 None: 0   1 Sub: a   2 Up: b   3 Average: floor((a + b) / 2)   4 Paeth: below.
// Bytes are unsigned and the sums are taken modulo 256.

// The Paeth predictor: whichever of a, b, c is closest to a + b - c, ties going to a,
// then b. Written as selections rather than branches: on a terrain's noisy bytes the
// branches would be mispredicted about every other byte, and each line's bytes are a
// chain (every byte is the next one's left neighbour).
inline int paethPredictor(int left, int up, int upLeft)
{
    const int estimate = left + up - upLeft;
    const int distanceLeft = std::abs(estimate - left);
    const int distanceUp = std::abs(estimate - up);
    const int distanceUpLeft = std::abs(estimate - upLeft);
    const int upOrUpLeft = distanceUp <= distanceUpLeft ? up : upLeft;
    const bool leftIsNearest = (distanceLeft <= distanceUp) & (distanceLeft <= distanceUpLeft);
    return leftIsNearest ? left : upOrUpLeft;
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

// Undoes the filter of the line bytes start .. end - 1 at once: filtered[i - start] is
// byte i as sent, line[i] receives it unfiltered. The bytes of line before start are
// already unfiltered; previous is the line above (zeros on the first line of the image
// or pass); distance is the byte distance to the left neighbour. The bytes of the
// line's first pixel have no left neighbour, so they are done apart, and each filter
// type then runs as its own loop.
inline void unfilterBytes(int filterType, const unsigned char* filtered, unsigned char* line,
                          const unsigned char* previous, int start, int end, int distance)
{
    int i = start;
    for (; i < end && i < distance; ++i)
        line[i] = unfilterByte(filterType, filtered[i - start], 0, previous[i], 0);
    switch (filterType) {
    case 1:
        for (; i < end; ++i)
            line[i] = static_cast<unsigned char>(filtered[i - start] + line[i - distance]);
        break;
    case 2:
        for (; i < end; ++i)
            line[i] = static_cast<unsigned char>(filtered[i - start] + previous[i]);
        break;
    case 3:
        for (; i < end; ++i)
            line[i] = static_cast<unsigned char>(filtered[i - start] + (line[i - distance] + previous[i]) / 2);
        break;
    case 4:
        for (; i < end; ++i)
            line[i] = static_cast<unsigned char>(
                filtered[i - start] + paethPredictor(line[i - distance], previous[i], previous[i - distance]));
        break;
    default:
        if (end > i)
            std::memcpy(line + i, filtered + (i - start), static_cast<std::size_t>(end - i));
        break;
    }
}
