#pragma once

#include <functional>
#include <vector>

// Reads back what a drawing call really sends down the OpenGL pipeline, using the
// feedback render mode: every primitive that survives clipping, with its window
// coordinates and its (lit) colour.
struct FeedbackVertex {
    double x = 0.0; // world coordinates, mapped back from window coordinates
    double y = 0.0;
    double z = 0.0;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;
};

struct FeedbackPrimitive {
    enum Kind { Polygon, Line, LineReset, Point, Other };
    Kind kind = Other;
    std::vector<FeedbackVertex> vertices;
};

// An orthographic window onto the world: x in [left, right], y in [bottom, top],
// z in [-depth, depth], mapped onto a 1000 x 1000 viewport. Feedback coordinates are
// mapped back into world units through the same box.
struct FeedbackFrame {
    double left = -1.0;
    double right = 99.0;
    double bottom = -1.0;
    double top = 99.0;
    double depth = 10.0;
};

// Draws with an identity model-view and the frame's projection. Colour mode:
// lighting on with no light enabled and a white ambient light, so a lit vertex
// carries exactly its material colour; unlit primitives carry the current colour.
// Returns false (and leaves primitives empty) when the buffer overflows.
bool captureFeedback(const FeedbackFrame& frame, const std::function<void()>& draw,
                     std::vector<FeedbackPrimitive>& primitives);

std::size_t countKind(const std::vector<FeedbackPrimitive>& primitives, FeedbackPrimitive::Kind kind);
