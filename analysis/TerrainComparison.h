#pragma once

#include "analysis/TerrainFigures.h"
#include "grid/VeskGrid.h"

#include <QString>

#include <optional>

// Two terrains compared as terrains, not sample by sample: they may differ in size and
// cell size. Ratios are terrain / reference (1 when both are 0, infinity when only the
// reference's is); distances are 0 for equal distributions.

// The spectrum error is taken over at most this many octaves, the finest both have.
inline constexpr int kSpectrumErrorOctaves = 6;

// The smallest side a terrain may have: enough for three octaves of spectrum.
inline constexpr int kSmallestComparedSide = 16;

struct TerrainComparison {
    TerrainFigures reference;
    TerrainFigures terrain;
    // Root mean square over the compared octaves of log10(terrain power / reference
    // power), in decades; spectrumErrorOctaves says over how many.
    double spectrumError = 0.0;
    int spectrumErrorOctaves = 0;
    double slopeDistance = 0.0;     // Wasserstein-1, degrees
    double curvatureDistance = 0.0; // Wasserstein-1, 1/m
    double roughnessRatio = 1.0;
    double pitRatio = 1.0;
    double channelRatio = 1.0;
    double flatExcess = 0.0; // terrain's flat share less the reference's
};

// The ratio of two non-negative figures as above.
double figureRatio(double terrainValue, double referenceValue);

// Measures and compares. False with a message in error (and comparison untouched) for a
// terrain that cannot be compared: no data, a side below kSmallestComparedSide, a cell
// size that is not a positive number, a height that is not a number; or block borders
// that are not usable on both; cell sizes so far apart that no octave of spectrum is shared.
bool compareTerrains(const VeskGrid& reference, const VeskGrid& terrain, const std::optional<BlockBorders>& blockBorders,
                     TerrainComparison& comparison, QString& error);
