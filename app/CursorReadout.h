#pragma once

#include "grid/VeskGrid.h"

#include <QString>

// The status bar's readout of the sample under the mouse pointer: the screen, the
// sample's column, row and height in metres, its geographic position when the
// terrain carries one, then the terrain's size and cell size. Empty for a sample the
// grid does not hold (the pointer is off the terrain).
QString cursorReadoutText(const QString& screen, const VeskGrid& grid, int row, int column);

// A height or cell size as the readout writes it: the shortest decimal that reads
// back as the same float.
QString readoutNumber(float value);
