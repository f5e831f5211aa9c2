#pragma once

#include "views/GLGrid.h"

#include <QImage>

#include <memory>

// A view shown as its own window at a known size, with a current-able context and
// its GL state initialised and sized; null when the window was never exposed.
std::unique_ptr<GLGrid> shownView(int width, int height);

// Pixels of the image that are not the white background.
int countNonWhite(const QImage& image);
