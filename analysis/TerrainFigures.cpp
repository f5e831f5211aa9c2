#include "analysis/TerrainFigures.h"

#include "analysis/D8Drainage.h"
#include "analysis/Distribution.h"
#include "analysis/FinestDetail.h"
#include "analysis/PitsAndFlats.h"
#include "analysis/SlopeCurvature.h"

TerrainFigures measureTerrain(const HeightField& field, double topFrequency,
                              const std::optional<BlockBorders>& blockBorders)
{
    TerrainFigures figures;
    figures.width = field.width;
    figures.height = field.height;
    figures.cellSize = field.cellSize;
    figures.spectrum = octaveSpectrum(field, topFrequency);
    figures.slopeQuantiles = summaryQuantiles(slopeAngles(field));
    figures.curvatureQuantiles = summaryQuantiles(laplacianCurvatures(field));
    const PitsAndFlats extremes = pitsAndFlatsOf(field);
    figures.pitShare = extremes.pitShare;
    figures.flatShare = extremes.flatShare;
    const DrainageFigures drainage = drainageFiguresOf(d8Drainage(field));
    figures.channelShare = drainage.channelShare;
    figures.exceedanceSlope = drainage.exceedanceSlope;
    figures.roughness = finestDetailRoughness(field);
    if (blockBorders)
        figures.seamRatio = seamRatio(field, *blockBorders);
    return figures;
}
