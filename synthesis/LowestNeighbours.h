#pragma once

// For `count` inner samples side by side in a row-major raster `width` wide, whose
// first value is at `centre` and whose first index is `firstIndex`: where one of its
// eight neighbours is lower than the sample itself, picks[x] becomes the lowest (the
// first in index order among equals); elsewhere picks[x] is left as it is. `lowest` is
// working space of `count` floats. One neighbour at a time along the whole row, with
// the choice made by masks, so that the comparisons run in vector lanes.
inline void pickLowestLowerNeighbours(const float* centre, int width, int count, int firstIndex, float* lowest,
                                      int* picks)
{
    for (int x = 0; x < count; ++x)
        lowest[x] = centre[x];
    for (const int offset : {-width - 1, -width, -width + 1, -1, 1, width - 1, width, width + 1}) {
        const float* const neighbours = centre + offset;
        const int first = firstIndex + offset;
        for (int x = 0; x < count; ++x) {
            const float neighbour = neighbours[x];
            const float least = lowest[x];
            const int lower = -int(neighbour < least);
            lowest[x] = neighbour < least ? neighbour : least;
            picks[x] = ((first + x) & lower) | (picks[x] & ~lower);
        }
    }
}

// The same for the steepest way down: where a neighbour is lower, picks[x] becomes the
// one of greatest fall per distance (a diagonal neighbour's fall counts 1 / sqrt 2),
// the first in index order among equals. Choosing by fall alone would favour the
// diagonal neighbours, which lie farther off, and draw straight diagonal channels.
inline void pickSteepestLowerNeighbours(const float* centre, int width, int count, int firstIndex, float* steepest,
                                        int* picks)
{
    constexpr float diagonal = 0.70710678f;
    for (int x = 0; x < count; ++x)
        steepest[x] = 0.0f;
    for (const int offset : {-width - 1, -width, -width + 1, -1, 1, width - 1, width, width + 1}) {
        const float* const neighbours = centre + offset;
        const int first = firstIndex + offset;
        const float weight = offset == -1 || offset == 1 || offset == -width || offset == width ? 1.0f : diagonal;
        for (int x = 0; x < count; ++x) {
            const float slope = (centre[x] - neighbours[x]) * weight;
            const float most = steepest[x];
            const int steeper = -int(slope > most);
            steepest[x] = slope > most ? slope : most;
            picks[x] = ((first + x) & steeper) | (picks[x] & ~steeper);
        }
    }
}
