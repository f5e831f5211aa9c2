// talvane-hillshade: hillshades of terrains side by side in one PNG, with a caption over
// each, for looking at synthesis results beside the truth (bench/synthesis-quality.sh).

#include "tools/hillshade/Hillshade.h"

#include <CLI/CLI.hpp>

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kCaptionHeight = 18;
constexpr int kGap = 6;

bool loadForShading(const std::string& path, VeskGrid& grid)
{
    const QString fileName = QString::fromStdString(path);
    const bool loaded = fileName.endsWith(QLatin1String(".flt"), Qt::CaseInsensitive) ? grid.loadFLTFile(fileName)
                                                                                       : grid.loadGRDFile(fileName);
    if (!loaded)
        std::fprintf(stderr, "talvane-hillshade: cannot read %s: %s\n", path.c_str(),
                     grid.lastError.toLocal8Bit().constData());
    return loaded;
}

} // namespace

int main(int argc, char** argv)
{
    std::string output;
    int columns = 1;
    int tileWidth = 300;
    int window = 0;
    std::vector<std::string> captionsAndFiles;
    CLI::App app{"Write the hillshades of terrains (.grd, .asc or .flt) as one PNG, in rows of COLUMNS tiles",
                 "talvane-hillshade"};
    app.add_option("OUT", output, "PNG to write")->required();
    app.add_option("--columns", columns, "Tiles a row (default 1)")->check(CLI::Range(1, 64));
    app.add_option("--tile-width", tileWidth, "Width of a tile in pixels (default 300)")->check(CLI::Range(16, 4096));
    app.add_option("--window", window,
                   "Shade only the middle SIDE x SIDE samples of each terrain (all of it when smaller), to see the "
                   "finest detail")
        ->check(CLI::Range(16, 16384));
    app.add_option("CAPTION_AND_TERRAIN", captionsAndFiles, "Pairs: a caption, then the terrain shown under it")
        ->required();
    CLI11_PARSE(app, argc, argv);
    if (captionsAndFiles.size() % 2 != 0) {
        std::fprintf(stderr, "talvane-hillshade: give a caption and a terrain for every tile\n");
        return 2;
    }

    // Text needs a GUI application; no display is needed to draw into an image.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    std::vector<QImage> tiles;
    std::vector<QString> captions;
    int tileHeight = 0;
    for (std::size_t i = 0; i < captionsAndFiles.size(); i += 2) {
        VeskGrid grid;
        if (!loadForShading(captionsAndFiles[i + 1], grid))
            return 1;
        QImage shaded = hillshadeOf(grid);
        if (window > 0)
            shaded = shaded.copy(std::max(0, (grid.width - window) / 2), std::max(0, (grid.height - window) / 2),
                                 std::min(window, grid.width), std::min(window, grid.height));
        tiles.push_back(shaded.width() == tileWidth ? shaded
                                                    : shaded.scaledToWidth(tileWidth, Qt::SmoothTransformation));
        captions.push_back(QString::fromStdString(captionsAndFiles[i]));
        tileHeight = std::max(tileHeight, tiles.back().height());
    }
    const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
    QImage sheet(columns * (tileWidth + kGap) + kGap, rows * (tileHeight + kCaptionHeight + kGap) + kGap,
                 QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const int x = kGap + static_cast<int>(i % columns) * (tileWidth + kGap);
        const int y = kGap + static_cast<int>(i / columns) * (tileHeight + kCaptionHeight + kGap);
        painter.drawText(QRect(x, y, tileWidth, kCaptionHeight), Qt::AlignLeft | Qt::AlignVCenter, captions[i]);
        painter.drawImage(x, y + kCaptionHeight, tiles[i]);
    }
    painter.end();
    // Grey through and through: one byte a pixel in a palette of the 256 greys.
    QList<QRgb> greys;
    for (int level = 0; level < 256; ++level)
        greys << qRgb(level, level, level);
    if (!sheet.convertToFormat(QImage::Format_Indexed8, greys).save(QString::fromStdString(output), "PNG")) {
        std::fprintf(stderr, "talvane-hillshade: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
