#include "fuzz/FuzzSupport.h"

#include "diagnostics/CollectingSink.h"
#include "grid/VeskGrid.h"

#include <QFile>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fuzz {

namespace {

std::string fileBytes(const QString& name)
{
    std::ifstream in(QFile::encodeName(name).toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path makeScratchFolder()
{
    const std::filesystem::path memory("/dev/shm");
    const std::filesystem::path base = std::filesystem::is_directory(memory) ? memory
                                                                              : std::filesystem::temp_directory_path();
    const std::filesystem::path folder = base / ("talvane-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

// Removed when the process ends normally; a crashed run leaves it for inspection.
struct ScratchFolder {
    std::filesystem::path path = makeScratchFolder();
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

void quietDiagnostics()
{
    static diagnostics::SilentSink silent;
    static const bool verbose = std::getenv("TALVANE_FUZZ_VERBOSE") != nullptr;
    static diagnostics::ScopedSink scope(verbose ? diagnostics::standardOutputSink() : silent);
}

std::string_view textOf(const std::uint8_t* data, std::size_t size)
{
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

QString scratchFile(const char* leaf)
{
    static const ScratchFolder folder;
    return QString::fromStdString((folder.path / leaf).string());
}

void require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

bool sameWhenPrinted(float original, float reread, int decimals)
{
    // Half a unit of the last decimal printed, and the float rounding of what is read.
    const double printing = 0.5 * std::pow(10.0, -decimals) * 1.0001;
    const double rounding = std::abs(static_cast<double>(original)) * 1.2e-7;
    return std::abs(static_cast<double>(original) - static_cast<double>(reread)) <= printing + rounding;
}

void checkLoadedTerrain(const VeskGrid& grid)
{
    require(grid.hasData, "a terrain that loaded has data");
    require(grid.width > 0 && grid.height > 0, "a terrain that loaded has a size");
    require(grid.heights.size() == static_cast<std::size_t>(grid.height), "one row of heights per grid row");
    for (const auto& row : grid.heights) {
        require(row.size() == static_cast<std::size_t>(grid.width), "every row holds width heights");
        for (const float value : row)
            require(std::isfinite(value), "every height is finite");
    }
    require(std::isfinite(grid.minHeight) && std::isfinite(grid.maxHeight) && std::isfinite(grid.averageHeight),
            "the statistics are finite");
    require(grid.minHeight <= grid.maxHeight, "the minimum is not above the maximum");
    require(std::isfinite(grid.cellSize), "the cell size is finite");
}

void checkRewriteRoundTrip(const VeskGrid& grid)
{
    VeskGrid written = grid;
    QString firstName = scratchFile("first.grd");
    require(written.writeTerrain(firstName), "a loaded terrain can be written");

    VeskGrid reread;
    require(reread.loadGRDFile(firstName), "a written terrain reads back");
    require(reread.width == grid.width && reread.height == grid.height, "the re-read terrain has the same size");
    require(reread.cellSize == grid.cellSize, "the re-read terrain has the same cell size");
    for (int row = 0; row < grid.height; ++row) {
        for (int col = 0; col < grid.width; ++col)
            require(sameWhenPrinted(grid.heights[row][col], reread.heights[row][col], 2),
                    "the re-read heights are the written ones to two decimals");
    }

    QString secondName = scratchFile("second.grd");
    require(reread.writeTerrain(secondName), "a re-read terrain can be written");
    require(fileBytes(firstName) == fileBytes(secondName), "writing the re-read terrain gives the same bytes");
}

void checkLoadOutcome(const VeskGrid& grid, bool loaded)
{
    if (loaded) {
        checkLoadedTerrain(grid);
        checkRewriteRoundTrip(grid);
        return;
    }
    require(!grid.hasData && grid.heights.empty(), "a refused terrain leaves the grid empty");
    require(!grid.lastError.isEmpty(), "a refused terrain says why");
}

void checkMatrix(const FloatMatrix& matrix, std::size_t rows, std::size_t values)
{
    require(matrix.size() == rows, "the matrix has the rows its shape says");
    for (const auto& row : matrix) {
        require(row.size() == values, "every row of the matrix has the values its shape says");
        for (const float value : row)
            require(std::isfinite(value), "every detail value is finite");
    }
}

} // namespace fuzz
