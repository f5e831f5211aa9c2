#pragma once

#include "analysis/HeightField.h"
#include "analysis/OctavePower.h"
#include "analysis/SeamRatio.h"

#include <optional>
#include <vector>

// Everything one terrain is measured by, ready to set against another's.
struct TerrainFigures {
    int width = 0;
    int height = 0;
    double cellSize = 0.0;
    std::vector<SpectrumOctave> spectrum;
    std::vector<double> slopeQuantiles;     // degrees, at summaryProbabilities()
    std::vector<double> curvatureQuantiles; // 1/m, at summaryProbabilities()
    double pitShare = 0.0;
    double flatShare = 0.0;
    double channelShare = 0.0;
    double exceedanceSlope = 0.0;
    double roughness = 0.0;              // metres, finestDetailRoughness
    std::optional<double> seamRatio;     // with block borders only
};

// Measures a terrain; the spectrum is cut into octaves from topFrequency down.
// Block borders, when given, must be usable for the field (areUsableBorders).
TerrainFigures measureTerrain(const HeightField& field, double topFrequency,
                              const std::optional<BlockBorders>& blockBorders);
