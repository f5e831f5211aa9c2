#pragma once

#include "app/TalvaneMainWindow.h"
#include "grid/FloatMatrix.h"

#include <QString>

#include <vector>

class GLGrid;

// All a screen shows that an undo must give back: the terrain's model (heights,
// details stack, cell size, statistics, name), its marks and its spin boxes.
struct ScreenState {
    int width = 0;
    int height = 0;
    bool hasData = false;
    float cellSize = 0.0f;
    float minHeight = 0.0f;
    float maxHeight = 0.0f;
    float averageHeight = 0.0f;
    float fractalDeviation = 0.0f;
    QString name;
    FloatMatrix heights;
    std::vector<FloatMatrix> details;
    bool marked = false;
    std::vector<int> marks;
    int widthSpin = 0;
    int heightSpin = 0;
    int resolutionSpin = 0;
};

struct WindowState {
    ScreenState left;
    ScreenState right;
};

WindowState stateOf(const TalvaneMainWindow& window);

// Equal to the bit (floats compared as bytes), or the first difference found.
QString differenceBetween(const WindowState& expected, const WindowState& actual);
