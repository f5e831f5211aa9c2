#pragma once

// Format notes (Adam7): an interlaced image is sent as seven reduced images. Pass p
// takes the pixels whose column is startX + k * stepX and whose row is
// startY + k * stepY. A pass with no columns or no rows (images narrower or shorter
// than 5 pixels) sends no bytes at all, not even filter-type bytes.
struct Adam7Pass {
    int startX;
    int startY;
    int stepX;
    int stepY;

    int columns(int imageWidth) const { return (imageWidth + stepX - 1 - startX) / stepX; }
    int rows(int imageHeight) const { return (imageHeight + stepY - 1 - startY) / stepY; }
    bool isEmpty(int imageWidth, int imageHeight) const
    {
        return columns(imageWidth) == 0 || rows(imageHeight) == 0;
    }
};

inline constexpr Adam7Pass adam7Passes[7] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};

// Pass numbers run 1 to 7.
inline const Adam7Pass& adam7Pass(int pass)
{
    return adam7Passes[pass - 1];
}
