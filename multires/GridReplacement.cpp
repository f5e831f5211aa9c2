#include "multires/GridReplacement.h"
#include "diagnostics/Diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <utility>
#include <vector>

void replaceHeights(VeskGrid& grid, FloatMatrix&& newHeights, int newWidth, int newHeight)
{
    grid.clearData();
    // The finished rows are moved in as they are: nothing is allocated or filled twice.
    grid.heights = std::move(newHeights);
    grid.width = newWidth;
    grid.height = newHeight;
    grid.hasData = true;
}

void markHeightsReplaced(VeskGrid& grid)
{
    grid.normalsValid = false;
    grid.surfaceValid = false;
    grid.computeStatistics();
}

bool refuseQuietly(VeskGrid& grid, const std::string& message)
{
    std::string text = message;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    grid.lastError = QString::fromStdString(text);
    return false;
}

bool refuseOperation(VeskGrid& grid, const std::string& message)
{
    diagnostics::reportf("%s", message.c_str());
    return refuseQuietly(grid, message);
}

std::string formatMessage(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
        text.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(arguments);
    return text;
}

bool matrixCovers(const FloatMatrix& matrix, int minRows, int minColumns)
{
    if (minRows < 0 || minColumns < 0)
        return false;
    if (matrix.size() < static_cast<std::size_t>(minRows))
        return false;
    if (matrix.empty())
        return minColumns == 0 || minRows == 0;
    return minRows == 0 || matrix.columns() >= static_cast<std::size_t>(minColumns);
}

bool heightsMatchSize(const VeskGrid& grid)
{
    return matrixHasShape(grid.heights, grid.height, grid.width);
}

bool refuseInconsistentHeights(VeskGrid& grid)
{
    return refuseOperation(grid, formatMessage("VeskGrid::Error - the heights (%s) do not match the grid size %i X %i; "
                                               "nothing was changed\n",
                                               describeMatrix(grid.heights).c_str(), grid.width, grid.height));
}

bool topDetailsFit(VeskGrid& grid, int rowDetailRows, int rowDetailValues, int columnDetailRows,
                   int columnDetailValues, const char* refiningLabel)
{
    const FloatMatrix& rowDetails = grid.details[grid.details.size() - 1];
    const FloatMatrix& columnDetails = grid.details[grid.details.size() - 2];
    if (matrixCovers(rowDetails, rowDetailRows, rowDetailValues)
        && matrixCovers(columnDetails, columnDetailRows, columnDetailValues))
        return true;
    return refuseOperation(
        grid, formatMessage("VeskGrid::Error - the details on the stack do not fit this %i X %i grid: %s "
                            "needs row details of at least %i rows of %i values and column details of at least "
                            "%i rows of %i values, but the stack holds %s and %s (rows X values); nothing "
                            "was changed\n",
                            grid.width, grid.height, refiningLabel, rowDetailRows, rowDetailValues,
                            columnDetailRows, columnDetailValues, describeMatrix(rowDetails).c_str(),
                            describeMatrix(columnDetails).c_str()));
}

FloatMatrix popTopDetails(VeskGrid& grid)
{
    FloatMatrix top = std::move(grid.details.back());
    grid.details.pop_back();
    return top;
}

bool finishPlainRefinement(VeskGrid& grid)
{
    grid.cellSize *= 0.5f;
    diagnostics::reportf("\tRecalculating normals\n");
    markHeightsReplaced(grid);
    grid.lastError.clear();
    return true;
}

bool finishRefinement(VeskGrid& grid)
{
    diagnostics::reportf("f2 is %i X %i\n", grid.width, grid.height);
    return finishPlainRefinement(grid);
}

bool beginCoarsening(VeskGrid& grid)
{
    if (!grid.hasData || grid.height < 10 || grid.width < 10)
        return refuseQuietly(grid, formatMessage("A %i X %i grid is too small to coarsen (at least 10 X 10 is needed)",
                                                 grid.width, grid.height));
    if (!heightsMatchSize(grid))
        return refuseInconsistentHeights(grid);
    diagnostics::reportf("Performing one level of REVERSE subdivision\n");
    return true;
}

bool finishCoarsening(VeskGrid& grid)
{
    diagnostics::reportf("c2 is %i X %i\n", grid.width, grid.height);
    grid.cellSize *= 2.0f;
    diagnostics::reportf("recalculating normals\n");
    markHeightsReplaced(grid);
    grid.lastError.clear();
    return true;
}
