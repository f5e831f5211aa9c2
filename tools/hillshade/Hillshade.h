#pragma once

#include "grid/VeskGrid.h"

#include <QImage>

// A grey hillshade of a terrain, one pixel a sample: light from the north-west
// (azimuth 315 degrees) at 45 degrees above the horizon, the surface's normal from
// central differences over the cell size (first row north). Black where the light
// does not reach, white facing it.
QImage hillshadeOf(const VeskGrid& grid);
