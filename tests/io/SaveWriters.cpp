#include "SaveWriters.h"

#include "formats/GeoTiffExport.h"
#include "formats/Heightmap16Export.h"
#include "formats/HeightmapScaling.h"
#include "formats/HeightmapSidecar.h"
#include "grid/GridExport.h"
#include "grid/SessionFile.h"
#include "grid/VeskGrid.h"
#include "png/PngToGrid.h"

#include <cmath>
#include <memory>

namespace {

// Rolling hills with every height distinct enough that a truncated file cannot pass
// for a whole one.
std::shared_ptr<VeskGrid> terrain(const QString& folder, int side)
{
    auto grid = std::make_shared<VeskGrid>();
    grid->resize(side, side);
    for (int row = 0; row < side; ++row) {
        for (int col = 0; col < side; ++col)
            grid->heights[row][col] =
                static_cast<float>(400.0 + 150.0 * std::sin(row * 0.07) * std::cos(col * 0.05) + 0.01 * (row + col));
    }
    grid->cellSize = 30.0f;
    grid->minHeight = 250.0f;
    grid->maxHeight = 550.0f;
    grid->hasData = true;
    grid->name = folder + QStringLiteral("/t");
    return grid;
}

FloatMatrix matrix(int rows, int values)
{
    FloatMatrix result(static_cast<std::size_t>(rows), std::vector<float>(static_cast<std::size_t>(values)));
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < values; ++col)
            result[row][col] = static_cast<float>(std::sin(row * 0.3 + col * 0.11));
    }
    return result;
}

QString in(const QString& folder, const char* leaf)
{
    return folder + QLatin1Char('/') + QLatin1String(leaf);
}

std::vector<SaveWriter> makeWriters()
{
    std::vector<SaveWriter> writers;
    writers.push_back({"ascii_grid", {QStringLiteral("t.grd")}, [](const QString& folder, const QString&, int side) {
                           auto grid = terrain(folder, side);
                           return std::function<bool()>([grid, folder] {
                               QString name = in(folder, "t.grd");
                               return grid->writeTerrain(name);
                           });
                       }});
    writers.push_back({"split_halves", {QStringLiteral("t_w%1_h%2LEFT.grd"), QStringLiteral("t_w%1_h%2RIGHT.grd")},
                       [](const QString& folder, const QString&, int side) {
                           auto grid = terrain(folder, side);
                           return std::function<bool()>([grid] {
                               QString left;
                               QString right;
                               return grid->writeTerrainSplit(left, right);
                           });
                       }});
    writers.push_back({"obj_mesh", {QStringLiteral("t.obj")}, [](const QString& folder, const QString&, int side) {
                           auto grid = terrain(folder, side);
                           return std::function<bool()>([grid, folder] { return grid->saveOBJ(in(folder, "t.obj")); });
                       }});
    writers.push_back({"details_file", {QStringLiteral("t.dtl")}, [](const QString& folder, const QString&, int side) {
                           // A Chaikin level of a side x side coarse grid.
                           auto grid = terrain(folder, 12);
                           auto rowDetails = std::make_shared<FloatMatrix>(matrix(side, side - 2));
                           auto columnDetails = std::make_shared<FloatMatrix>(matrix(side - 2, 2 * side - 2));
                           return std::function<bool()>([=] {
                               return grid->writeDetail(*rowDetails, *columnDetails, in(folder, "t.dtl"), 60.0f,
                                                        QStringLiteral("null"));
                           });
                       }});
    writers.push_back({"png_to_grid", {QStringLiteral("t.grd")}, [](const QString& folder, const QString& inputs, int side) {
                           auto grid = terrain(folder, side);
                           QString ignored;
                           const QString png = in(inputs, "input.png");
                           writePng16Heightmap(*grid, heightmapRangeOf(*grid), png, ignored);
                           return std::function<bool()>([png, folder] {
                               QString error;
                               return convertPngToGrid(png, in(folder, "t.grd"), error);
                           });
                       }});
    writers.push_back({"esri_ascii", {QStringLiteral("t.asc")}, [](const QString& folder, const QString&, int side) {
                           auto grid = terrain(folder, side);
                           return std::function<bool()>([grid, folder] {
                               QString error;
                               return writeEsriAsciiGrid(*grid, in(folder, "t.asc"), error);
                           });
                       }});
    writers.push_back({"grid_float", {QStringLiteral("t.flt"), QStringLiteral("t.hdr")},
                       [](const QString& folder, const QString&, int side) {
                           auto grid = terrain(folder, side);
                           return std::function<bool()>([grid, folder] {
                               QString error;
                               return writeGridFloat(*grid, in(folder, "t.flt"), error);
                           });
                       }});
    writers.push_back({"session_file", {QStringLiteral("t.talvane")},
                       [](const QString& folder, const QString&, int side) {
                           auto grid = terrain(folder, side);
                           return std::function<bool()>([grid, folder] {
                               QString error;
                               return writeSessionFile(in(folder, "t.talvane"), *grid, *grid, QJsonObject(), error);
                           });
                       }});
    writers.push_back({"geotiff", {QStringLiteral("t.tif")}, [](const QString& folder, const QString&, int side) {
                           auto grid = terrain(folder, side);
                           return std::function<bool()>([grid, folder] {
                               QString error;
                               return writeGeoTiff(*grid, in(folder, "t.tif"), error);
                           });
                       }});
    writers.push_back({"png16_heightmap", {QStringLiteral("t.png")}, [](const QString& folder, const QString&, int side) {
                           auto grid = terrain(folder, side);
                           return std::function<bool()>([grid, folder] {
                               QString error;
                               return writePng16Heightmap(*grid, heightmapRangeOf(*grid), in(folder, "t.png"), error);
                           });
                       }});
    writers.push_back({"raw16_heightmap", {QStringLiteral("t.r16")}, [](const QString& folder, const QString&, int side) {
                           auto grid = terrain(folder, side);
                           return std::function<bool()>([grid, folder] {
                               QString error;
                               return writeRaw16Heightmap(*grid, heightmapRangeOf(*grid), in(folder, "t.r16"), error);
                           });
                       }});
    writers.push_back({"heightmap_sidecar", {QStringLiteral("t.r16.json")}, [](const QString& folder, const QString&, int side) {
                           return std::function<bool()>([folder, side] {
                               QString error;
                               return writeHeightmapSidecar(in(folder, "t.r16.json"),
                                                            {side, side, HeightmapRange{250.0, 550.0}, 30.0f}, error);
                           });
                       }});
    return writers;
}

} // namespace

const std::vector<SaveWriter>& saveWriters()
{
    static const std::vector<SaveWriter> writers = makeWriters();
    return writers;
}

const SaveWriter* saveWriterNamed(const QString& name)
{
    for (const SaveWriter& writer : saveWriters()) {
        if (name == QLatin1String(writer.name))
            return &writer;
    }
    return nullptr;
}
