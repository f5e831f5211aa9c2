#include "app/Icons.h"

// Greyscale drawings, 22 x 40 pixels, one character per pixel, transparent
// background. Each shows a terrain profile above an arrow and the profile it
// becomes: a plain hill gaining detail (refine), a detailed hill losing it
// (coarsen).

namespace {

static const char* const refineXpm[] = {
    "22 40 4 1",
    ". c None",
    "a c #202020",
    "b c #707070",
    "c c #B8B8B8",
    "......................",
    "......................",
    "......................",
    "......................",
    ".......aab............",
    "......abcaaaab........",
    ".....abccccccaab......",
    "...aabcccccccccaab....",
    "..abcccccccccccccab...",
    ".abcccccccccccccccab..",
    "abcccccccccccccccccaab",
    "ccccccccccccccccccccca",
    "cccccccccccccccccccccc",
    "bbbbbbbbbbbbbbbbbbbbbb",
    "......................",
    "..........aa..........",
    "..........aa..........",
    "..........aa..........",
    "..........aa..........",
    "..........aa..........",
    "..........aa..........",
    "......aaaaaaaaaa......",
    ".......aaaaaaaa.......",
    "........aaaaaa........",
    ".........aaaa.........",
    "..........aa..........",
    "......................",
    "......................",
    ".......ab.............",
    ".......baabab.........",
    ".....abbccbbb..ab.....",
    ".....babccabaaabb.....",
    "...aabccccccccccbab...",
    ".abbccccccccccccbbb...",
    ".babccccccccccccabaab.",
    ".bccccccccccccccccccba",
    "abccccccccccccccccccab",
    "cccccccccccccccccccccc",
    "bbbbbbbbbbbbbbbbbbbbbb",
    "......................"
};

static const char* const coarsenXpm[] = {
    "22 40 4 1",
    ". c None",
    "a c #202020",
    "b c #707070",
    "c c #B8B8B8",
    "......................",
    "......................",
    "......................",
    ".......ab.............",
    ".......baabab.........",
    ".....abbccbbb..ab.....",
    ".....babccabaaabb.....",
    "...aabccccccccccbab...",
    ".abbccccccccccccbbb...",
    ".babccccccccccccabaab.",
    ".bccccccccccccccccccba",
    "abccccccccccccccccccab",
    "cccccccccccccccccccccc",
    "bbbbbbbbbbbbbbbbbbbbbb",
    "......................",
    "..........aa..........",
    "..........aa..........",
    "..........aa..........",
    "..........aa..........",
    "..........aa..........",
    "..........aa..........",
    "......aaaaaaaaaa......",
    ".......aaaaaaaa.......",
    "........aaaaaa........",
    ".........aaaa.........",
    "..........aa..........",
    "......................",
    "......................",
    "......................",
    ".......aab............",
    "......abcaaaab........",
    ".....abccccccaab......",
    "...aabcccccccccaab....",
    "..abcccccccccccccab...",
    ".abcccccccccccccccab..",
    "abcccccccccccccccccaab",
    "ccccccccccccccccccccca",
    "cccccccccccccccccccccc",
    "bbbbbbbbbbbbbbbbbbbbbb",
    "......................"
};

} // namespace

QPixmap makeRefineIcon()
{
    return QPixmap(refineXpm);
}

QPixmap makeCoarsenIcon()
{
    return QPixmap(coarsenXpm);
}
