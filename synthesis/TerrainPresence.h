#pragma once

#include "grid/VeskGrid.h"

#include <QString>

// Both synthesis operations start by making sure their two terrains hold data.
// True when `grid` does; otherwise prints "Error in <operation> - the <role> terrain
// has no data", sets error to the text a user sees and returns false.
bool checkTerrainHasData(const VeskGrid& grid, const char* operation, const char* role, QString& error);
