#pragma once

#include "views/SamplePicker.h"

#include <array>

// The view's camera built without OpenGL, as the view builds it: a perspective frustum
// (near 0.75, far 450) for a window of width x height, then translate by translation,
// scale, and rotate about x, y and z by the degrees.
PickCamera viewCamera(int width, int height, const std::array<double, 3>& translation, double scale,
                      const std::array<double, 3>& degrees);
