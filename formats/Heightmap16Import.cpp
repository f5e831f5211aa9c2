#include "formats/Heightmap16Import.h"

#include "diagnostics/Diagnostics.h"
#include "formats/HeightmapSidecar.h"
#include "grid/CellSize.h"
#include "grid/GridSizeLimit.h"
#include "grid/StdioFile.h"
#include "grid/TerrainLoading.h"
#include "png/PngGridText.h"

#include <QFile>

#include <cmath>

namespace {

bool refuse(VeskGrid& grid, const QString& reason, QString& errorText)
{
    diagnostics::reportf("%s\n", printable(reason).constData());
    grid.clearData();
    grid.lastError = reason;
    errorText = reason;
    return false;
}

// The sidecar beside fileName, if there is one; a sidecar that is there but unreadable
// is a refusal, not a silent fallback to a range it did not mean.
bool findSidecar(const QString& fileName, std::optional<HeightmapSidecar>& found, QString& problem)
{
    HeightmapSidecar sidecar;
    problem.clear();
    if (readHeightmapSidecar(heightmapSidecarName(fileName), sidecar, problem)) {
        found = sidecar;
        return true;
    }
    return problem.isEmpty();
}

bool fillGrid(const QString& fileName, int width, int height, const std::uint16_t* samples,
              const std::optional<HeightmapRange>& given, const std::optional<HeightmapSidecar>& sidecar,
              VeskGrid& grid, QString& errorText)
{
    const HeightmapRange range = given ? *given : sidecar ? sidecar->range : HeightmapRange{};
    if (!isTerrainHeightRange(range))
        return refuse(grid,
                      QStringLiteral("The height range %1 to %2 is not a range of heights a terrain can hold")
                          .arg(range.minimum)
                          .arg(range.maximum),
                      errorText);
    const float cellSize = sidecar && sidecar->cellSize > 0.0f ? sidecar->cellSize
                                                                : cellSizeFromDegrees(pngGridCellSizeDegrees);
    startLoad(grid, "16-bit heightmap");
    diagnostics::reportf("Samples 0 to 65535 are %1.3f to %1.3f m\n", range.minimum, range.maximum);
    grid.resize(width, height);
    HeightTally tally;
    for (int row = 0; row < height; ++row) {
        float* heights = grid.heights[static_cast<std::size_t>(row)].data();
        for (int column = 0; column < width; ++column) {
            heights[column] = heightOfSample(*samples++, range);
            tally.add(heights[column]);
        }
    }
    finishLoad(grid, fileName, cellSize, tally);
    return true;
}

} // namespace

bool loadDecodedHeightmap(const QString& fileName, int width, int height, const std::vector<std::uint16_t>& samples,
                          const std::optional<HeightmapRange>& range, VeskGrid& grid, QString& errorText)
{
    std::optional<HeightmapSidecar> sidecar;
    QString problem;
    if (!findSidecar(fileName, sidecar, problem))
        return refuse(grid, problem, errorText);
    if (sidecar && (sidecar->width != width || sidecar->height != height)) {
        return refuse(grid,
                      QStringLiteral("%1 is %2 x %3 but its sidecar says %4 x %5")
                          .arg(fileName)
                          .arg(width)
                          .arg(height)
                          .arg(sidecar->width)
                          .arg(sidecar->height),
                      errorText);
    }
    if (static_cast<long long>(samples.size()) != static_cast<long long>(width) * height)
        return refuse(grid, QStringLiteral("%1 holds fewer samples than its size").arg(fileName), errorText);
    return fillGrid(fileName, width, height, samples.data(), range, sidecar, grid, errorText);
}

bool loadRaw16Heightmap(const QString& fileName, const std::optional<HeightmapRange>& range, VeskGrid& grid,
                        QString& errorText)
{
    std::optional<HeightmapSidecar> sidecar;
    QString problem;
    if (!findSidecar(fileName, sidecar, problem))
        return refuse(grid, problem, errorText);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(grid, QStringLiteral("Error, %1 was not found").arg(fileName), errorText);
    const long long samplesInFile = file.size() / 2;
    long long width = 0;
    long long height = 0;
    if (sidecar) {
        width = sidecar->width;
        height = sidecar->height;
    } else {
        width = static_cast<long long>(std::llround(std::sqrt(static_cast<double>(samplesInFile))));
        height = width;
        if (width * height != samplesInFile || file.size() % 2 != 0)
            return refuse(grid,
                          QStringLiteral("%1 has no sidecar (%2) and its %3 bytes are not a square of 16-bit samples")
                              .arg(fileName, heightmapSidecarName(fileName))
                              .arg(file.size()),
                          errorText);
    }
    if (!isAcceptableGridSize(width, height))
        return refuse(grid, unacceptableGridSizeMessage(fileName, width, height), errorText);
    if (file.size() != 2 * width * height)
        return refuse(grid,
                      QStringLiteral("%1 holds %2 bytes; a %3 x %4 heightmap has %5")
                          .arg(fileName)
                          .arg(file.size())
                          .arg(width)
                          .arg(height)
                          .arg(2 * width * height),
                      errorText);
    const QByteArray bytes = file.readAll();
    if (bytes.size() != 2 * width * height)
        return refuse(grid, QStringLiteral("%1 could not be read").arg(fileName), errorText);
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(width * height));
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return fillGrid(fileName, static_cast<int>(width), static_cast<int>(height), samples.data(), range, sidecar, grid, errorText);
}
