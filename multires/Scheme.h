#pragma once

#include "grid/VeskGrid.h"

#include <string>
#include <string_view>
#include <vector>

// The three multiresolution schemes, one table for the views, the window and the
// command line. The numbers are those the views' subdivide/unsubdivide slots take
// (and the window's Multiresolution menu stands for); the names are the command line's.
enum class Scheme { chaikin = 1, fractal = 2, faber = 3 };

// One step of a scheme on a grid; false when the core refused (grid.lastError says why).
using GridStep = bool (*)(VeskGrid&);

struct SchemeTraits {
    Scheme scheme;
    int number;
    std::string_view name;
    // What a refinement prints before it starts ("*** CALLING CHAIKIN *** ").
    std::string_view refinementNotice;
    GridStep coarsen;
    // Refines with the top detail level where one is kept.
    GridStep refine;
    // Chaikin and Faber keep detail levels; the fractal scheme decimates and invents detail.
    bool keepsDetails;
};

const SchemeTraits& traitsOf(Scheme scheme);

// The scheme of a number or name; nullptr for anything else.
const SchemeTraits* schemeNumbered(int number);
const SchemeTraits* schemeNamed(std::string_view name);

// The names, in table order, of every scheme or of those that keep details.
std::vector<std::string> schemeNames();
std::vector<std::string> detailKeepingSchemeNames();
