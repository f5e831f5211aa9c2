// The PNG-to-grid conversion: a PNG's bytes to heights and the grid text the converter
// writes, read back by the ASCII grid reader. An accepted image gives width x height
// heights between 0 and 1000, and its grid text reads back as the same terrain to two
// decimals.

#include "fuzz/FuzzSupport.h"
#include "grid/VeskGrid.h"
#include "png/PngToGrid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::quietDiagnostics();
    PngHeightImage image;
    QString errorText;
    if (!readPngHeightImage(fuzz::textOf(data, size), QStringLiteral("fuzz.png"), image, errorText)) {
        fuzz::require(!errorText.isEmpty(), "a refused image says why");
        return 0;
    }
    fuzz::require(image.width > 0 && image.height > 0, "an accepted image has pixels");
    fuzz::require(image.heights.size() == static_cast<std::size_t>(image.height), "one row of heights per image row");
    for (const auto& row : image.heights) {
        fuzz::require(row.size() == static_cast<std::size_t>(image.width), "every row holds width heights");
        for (const float value : row)
            fuzz::require(value >= 0.0f && value <= 1000.01f, "a pixel's height is between 0 and 1000");
    }

    VeskGrid grid;
    fuzz::require(grid.loadGRDBuffer(pngGridText(image), QStringLiteral("fuzzpng.grd")),
                  "the converted grid text reads as a terrain");
    fuzz::checkLoadedTerrain(grid);
    fuzz::require(grid.width == image.width && grid.height == image.height, "the grid has the image's size");
    for (int row = 0; row < grid.height; ++row) {
        for (int col = 0; col < grid.width; ++col)
            fuzz::require(fuzz::sameWhenPrinted(image.heights[row][col], grid.heights[row][col], 2),
                          "the grid's heights are the image's to two decimals");
    }
    return 0;
}
