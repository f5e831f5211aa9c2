#pragma once

#include <array>

// A rectangle in grid samples: x is the first column, y the first row.
struct QuiltRectangle {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const QuiltRectangle&) const = default;
};

// Two sample matches of a detail quilting, for marking on the views:
// the middle block of the tiling and a randomly picked one, each on the base
// and the example block chosen for it. Widths and heights are blockSize - 1.
struct QuiltMatches {
    static constexpr int middleBase = 0;
    static constexpr int middleExample = 1;
    static constexpr int randomBase = 2;
    static constexpr int randomExample = 3;

    std::array<QuiltRectangle, 4> rectangles{};
    bool operator==(const QuiltMatches&) const = default;
};
