#pragma once

#include "app/ScreenContent.h"
#include "app/WindowDocument.h"

#include <cstddef>
#include <cstdint>

// One screen's side of an undoable change: the content the screen does not show
// now, kept with as little as restores it exactly. Undo and redo are the same
// exchange, so the swap holds the earlier content while the change is done and
// the later one while it is undone; either way only one of them.
//
// The details stack is a stack: the levels at its bottom that the earlier and the
// later content share (all of them under a coarsening, all but the consumed level
// under a refinement) stay on the screen and are not kept twice; so do heights
// that did not change (the example's under a quilting "Go").
class ScreenSwap {
public:
    // The side shows the later content already; earlier is what it showed before.
    ScreenSwap(WindowDocument& document, ScreenSide side, ScreenContent earlier);

    // Exchanges the kept content with the side's, refreshes the screen and frames its terrain.
    void exchange();

    // Bytes of heights, details and marks the swap holds.
    std::int64_t cost() const;

private:
    WindowDocument* document;
    ScreenSide side;
    ScreenContent kept;            // details: only the levels above the shared ones
    std::size_t sharedDetails = 0; // matrices at the bottom of both stacks
    bool sharedHeights = false;    // both contents have the same heights: kept holds none
};
