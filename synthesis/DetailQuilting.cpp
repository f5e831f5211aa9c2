#include "synthesis/DetailQuilting.h"
#include "diagnostics/Diagnostics.h"

#include "grid/MatrixShape.h"
#include "synthesis/BlockMapper.h"
#include "synthesis/HeightRescale.h"
#include "synthesis/QuiltLayout.h"
#include "synthesis/RandomRange.h"
#include "synthesis/TerrainPresence.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace {

bool checkRescaleFlags(bool rescaleBefore, bool rescaleAfter, QString& error)
{
    if (rescaleAfter && !rescaleBefore) {
        diagnostics::reportf("Make no sense to only scale after quilting but not before\n");
        error = QStringLiteral("Rescaling when finished needs rescaling when quilting as well.");
        return false;
    }
    return true;
}

bool levelHasShape(const FloatMatrix& columnDetails, const FloatMatrix& rowDetails, const DetailLevelShape& shape)
{
    return matrixHasShape(rowDetails, shape.rowDetailRows, shape.rowDetailColumns)
           && matrixHasShape(columnDetails, shape.columnDetailRows, shape.columnDetailColumns);
}

// The scheme that made the example's top level, told by its shapes. The base's
// new level takes that scheme's shapes so that the same scheme can refine it.
bool exampleLevelKind(const VeskGrid& example, DetailLevelKind& kind, QString& error)
{
    const FloatMatrix& columnDetails = example.details[example.details.size() - 2];
    const FloatMatrix& rowDetails = example.details.back();
    for (const DetailLevelKind candidate : {DetailLevelKind::chaikin, DetailLevelKind::faber}) {
        if (levelHasShape(columnDetails, rowDetails, detailLevelShape(candidate, example.width, example.height))) {
            kind = candidate;
            return true;
        }
    }
    const QString rowShape = QString::fromStdString(describeMatrix(rowDetails));
    const QString columnShape = QString::fromStdString(describeMatrix(columnDetails));
    diagnostics::reportf("Error in makeDetails - the target's top detail level (row details %s, column details %s) is "
                "neither a Chaikin nor a Faber level of a %i X %i terrain\n",
                qPrintable(rowShape), qPrintable(columnShape), example.width, example.height);
    error = QStringLiteral("The example terrain's top detail level (row details %1, column details %2, rows X "
                           "values) does not belong to a %3 x %4 terrain: coarsen the example with Chaikin or "
                           "Faber and quilt again.")
                .arg(rowShape, columnShape)
                .arg(example.width)
                .arg(example.height);
    return false;
}

// The base's heights as matched, rescaled or not, with the ranges needed to undo it.
struct MatchingTerrain {
    VeskGrid grid; // width, height and heights only: what the mapper reads
    RangeRescale rescale;
};

MatchingTerrain matchingTerrain(const VeskGrid& base, const VeskGrid& example, bool rescaleBefore)
{
    MatchingTerrain terrain;
    terrain.grid.width = base.width;
    terrain.grid.height = base.height;
    terrain.grid.heights = base.heights;
    if (!rescaleBefore)
        return terrain;
    diagnostics::reportf("*** Rescaling the base terrain before feature mapping. ***\n");
    terrain.rescale = rescaleToExampleRange(terrain.grid.heights, example.heights);
    return terrain;
}

// Index of the block whose match is shown as the random sample. The display
// never needs a failure: with too few blocks for the range it takes block 1.
int randomSampleBlock(int blockCount, int blocksPerRow)
{
    const int lastIndex = blockCount - blocksPerRow - 2;
    if (lastIndex < 1)
        return 1;
    return static_cast<int>(*getRand(1.0f, static_cast<float>(lastIndex)));
}

// Marks span the block less one sample each way; an edge block narrower or lower
// than a full block gets a mark of its own extent, so the mark stays on the base.
QuiltRectangle sampleRectangle(BlockPosition at, const TiledBlock& block)
{
    return {at.x, at.y, block.width - 1, block.height - 1};
}

FloatMatrix zeroMatrix(int rows, int columns)
{
    return FloatMatrix(static_cast<std::size_t>(rows), static_cast<std::size_t>(columns));
}

} // namespace

bool quiltDetails(VeskGrid& base, const VeskGrid& example, const SynthesisOptions& options, QuiltMatches& matches,
                  QString& error)
{
    const bool rescaleBefore = options.rescaleBefore;
    const bool rescaleAfter = options.rescaleAfter;
    if (!checkRescaleFlags(rescaleBefore, rescaleAfter, error))
        return false;
    if (example.details.size() < 2) {
        diagnostics::reportf("Error in makeDetails - we have no deets!\n");
        error = QStringLiteral("The example terrain has no detail level: coarsen it first.");
        return false;
    }
    if (!checkTerrainHasData(base, "makeDetails", "base", error) ||
        !checkTerrainHasData(example, "makeDetails", "target", error))
        return false;
    DetailLevelKind kind = DetailLevelKind::chaikin;
    if (!exampleLevelKind(example, kind, error))
        return false;
    QuiltLayout layout;
    if (!planQuiltLayout(options.blockSize, base.width, base.height, example.width, example.height, layout, error))
        return false;

    MatchingTerrain terrain = matchingTerrain(base, example, rescaleBefore);
    const int blockSize = layout.blockSize;
    const int overlap = layout.overlap;
    diagnostics::reportf("Starting texture transfer with blocksize = %i, overlap = %i\n\ttarget is %i X %i, base is %i X %i\n",
                blockSize, overlap, example.width, example.height, base.width, base.height);

    BlockMapper mapper(terrain.grid, example, blockSize, overlap);
    std::vector<BlockPosition> mapping;
    if (!mapper.mapBlocks(layout.candidateCount, mapping, error, options.search))
        return false;

    const BlockTiling& tiling = layout.tiling;
    const std::vector<TiledBlock>& blocks = tiling.blocks;
    const int blockCount = static_cast<int>(blocks.size());
    diagnostics::reportf("bpr=%i, bpc=%i (%i blocks total), loc=%i, lor=%i, base is %iX%i\n", tiling.blocksPerRow,
                tiling.blocksPerColumn, blockCount, blocks.back().width, blocks.back().height, base.width,
                base.height);
    const int middleIndex = blockCount / 2;
    const int randomIndex = randomSampleBlock(blockCount, tiling.blocksPerRow);

    // The example's top level: column details below, row details on top.
    const FloatMatrix& exampleColumnDetails = example.details[example.details.size() - 2];
    const FloatMatrix& exampleRowDetails = example.details.back();

    // The base's new level has the shapes of the example's kind, sized for the base.
    const DetailLevelShape shape = detailLevelShape(kind, base.width, base.height);
    FloatMatrix columnDetails = zeroMatrix(shape.columnDetailRows, shape.columnDetailColumns);
    for (int index = 0; index < blockCount; ++index) {
        const DetailPaste paste = columnDetailsPaste(blocks[index], mapping[index], tiling, kind);
        pasteDetailBlock(exampleColumnDetails, paste.sourceColumn, paste.sourceRow, columnDetails,
                         paste.destinationColumn, paste.destinationRow, paste.width, paste.height, overlap);
    }
    FloatMatrix rowDetails = zeroMatrix(shape.rowDetailRows, shape.rowDetailColumns);
    for (int index = 0; index < blockCount; ++index) {
        const DetailPaste paste = rowDetailsPaste(blocks[index], mapping[index], tiling, kind);
        pasteDetailBlock(exampleRowDetails, paste.sourceColumn, paste.sourceRow, rowDetails, paste.destinationColumn,
                         paste.destinationRow, paste.width, paste.height, overlap);
    }

    QuiltMatches found;
    const TiledBlock& middle = blocks[middleIndex];
    const TiledBlock& sample = blocks[randomIndex];
    found.rectangles[QuiltMatches::middleBase] = sampleRectangle({middle.x, middle.y}, middle);
    found.rectangles[QuiltMatches::middleExample] = sampleRectangle(mapping[middleIndex], middle);
    found.rectangles[QuiltMatches::randomBase] = sampleRectangle({sample.x, sample.y}, sample);
    found.rectangles[QuiltMatches::randomExample] = sampleRectangle(mapping[randomIndex], sample);

    if (terrain.rescale.applied && rescaleAfter) {
        const HeightRange& baseRange = terrain.rescale.baseRange;
        const HeightRange& exampleRange = terrain.rescale.exampleRange;
        rescaleHeights(terrain.grid.heights, exampleRange.minimum, exampleRange.extent(), baseRange.minimum,
                       baseRange.extent());
        const double coefficientScale = static_cast<double>(baseRange.extent()) / exampleRange.extent();
        scaleValues(columnDetails, coefficientScale);
        scaleValues(rowDetails, coefficientScale);
    }

    // Nothing below can fail: commit.
    if (terrain.rescale.applied) {
        base.heights = std::move(terrain.grid.heights);
        base.computeStatistics();
        // Normals, curvature and slope follow the heights at the next drawing.
        base.normalsValid = false;
        base.surfaceValid = false;
    }
    base.clearDetails();
    base.details.push_back(std::move(columnDetails));
    base.details.push_back(std::move(rowDetails));
    matches = found;
    return true;
}

void pasteDetailBlock(const FloatMatrix& source, int sourceColumn, int sourceRow, FloatMatrix& destination,
                      int destinationColumn, int destinationRow, int width, int height, int /*overlap*/)
{
    const int sourceRows = static_cast<int>(source.size());
    const int destinationRows = static_cast<int>(destination.size());
    for (int i = 0; i < height; ++i) {
        const int fromRow = sourceRow + i;
        const int toRow = destinationRow + i;
        for (int j = 0; j < width; ++j) {
            const int fromColumn = sourceColumn + j;
            const int toColumn = destinationColumn + j;
            if (fromRow < 0 || fromRow >= sourceRows) {
                diagnostics::reportf("error in y1 (%i)\n", fromRow);
                continue;
            }
            if (toRow < 0 || toRow >= destinationRows) {
                diagnostics::reportf("error in y2 (%i)\n", toRow);
                continue;
            }
            if (toColumn < 0 || toColumn >= static_cast<int>(destination[toRow].size())) {
                diagnostics::reportf("error in t.x (%i)\n", toColumn);
                continue;
            }
            if (fromColumn < 0 || fromColumn >= static_cast<int>(source[fromRow].size())) {
                diagnostics::reportf("error in s.x (%i)\n", fromColumn);
                continue;
            }
            // The overlap band takes the new block's values too (see the header).
            destination[toRow][toColumn] = source[fromRow][fromColumn];
        }
    }
}
