// The view's command slots: loading and saving through the grid, the
// multiresolution steps, size changes, marking, and the refresh that reports
// the grid to the window's controls and plots.

#include "diagnostics/Diagnostics.h"
#include "views/GLGrid.h"

#include "multires/Fractal.h"
#include "views/TerrainSteps.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// The answer of every save or write slot of a view whose grid is empty.
QString noDataText()
{
    return QStringLiteral("Grid has no data");
}

// The resolution spin box takes whole metres; a cell size that is not a
// number or does not fit an int must not reach the conversion.
int truncatedCellSize(float cellSize)
{
    if (std::isnan(cellSize))
        return 0;
    if (cellSize >= static_cast<float>(INT_MAX))
        return INT_MAX;
    if (cellSize <= static_cast<float>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(cellSize);
}

} // namespace

// --- Files ---

void GLGrid::loadGRDFile(QString file)
{
    surface.settle();
    marked = false;
    marks.clear();
    grid.loadGRDFile(file);
    update();
    updateGUI();
    fitTerrain();
}

void GLGrid::loadFLTFile(QString file)
{
    surface.settle();
    marked = false;
    marks.clear();
    grid.loadFLTFile(file);
    update();
    updateGUI();
    fitTerrain();
}

void GLGrid::writeDetails(QString& status, int& numfiles)
{
    if (!grid.hasData) {
        status = noDataText();
        numfiles = 0;
        return;
    }
    grid.writeDetails(status, numfiles);
}

void GLGrid::writeTerrain(QString& filename, bool& status)
{
    if (!grid.hasData) {
        filename = noDataText();
        status = false;
        return;
    }
    status = grid.writeTerrain(filename);
}

void GLGrid::loadDetail(QString file)
{
    if (!grid.hasData)
        return;
    surface.settle();
    grid.loadDetail(file);
    updateGUI();
}

void GLGrid::writeTerrainSplit(QString& file1, QString& file2, bool& success)
{
    if (!grid.hasData) {
        file1 = noDataText();
        success = false;
        return;
    }
    success = grid.writeTerrainSplit(file1, file2);
}

void GLGrid::saveGRD(QString& f)
{
    grid.writeTerrain(f);
}

void GLGrid::saveOBJ(const QString& f)
{
    grid.saveOBJ(f);
}

// --- Multiresolution ---

void GLGrid::subdivide(int subdivisiontype)
{
    surface.settle();
    subdivideTerrain(grid, marks, subdivisiontype);
    updateGUI();
    fitTerrain();
}

void GLGrid::unsubdivide(int subdivisiontype)
{
    surface.settle();
    unsubdivideTerrain(grid, marks, subdivisiontype);
    updateGUI();
    fitTerrain();
}

// --- Refresh and the signals it sends ---

void GLGrid::updateGUI()
{
    diagnostics::reportf("updateGUI\n");
    if (isValid())
        makeCurrent();
    emitWidth();
    emitHeight();
    emitCurve();
    emitDetails();
    emit freqChanged(truncatedCellSize(grid.cellSize));
    listDirty = true;
    update();
}

void GLGrid::emitWidth()
{
    emit widthChanged(QString::asprintf("%i", grid.width));
    emit widthChanged(grid.width);
}

void GLGrid::emitHeight()
{
    emit heightChanged(QString::asprintf("%i", grid.height));
    emit heightChanged(grid.height);
}

void GLGrid::emitCurve()
{
    if (!grid.hasData)
        return;
    const int middleRow = grid.height / 2;
    if (middleRow < 0 || middleRow >= static_cast<int>(grid.heights.size()))
        return;
    const FloatRow& row = grid.heights[static_cast<std::size_t>(middleRow)];
    const std::size_t count = std::min(row.size(), static_cast<std::size_t>(std::max(grid.width, 0)));
    std::vector<float> curve(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(count));
    emit sendCurve(curve);
    diagnostics::reportf("emit curve\n");
}

void GLGrid::emitDetails()
{
    if (!grid.hasData || grid.details.empty()) {
        emit sendDetails(std::vector<float>());
        return;
    }
    // The top matrix may come from a details file or another scheme and be
    // smaller than the grid implies: send only the values it really holds.
    const FloatMatrix& top = grid.details.back();
    const int middleRow = grid.height / 2;
    std::vector<float> profile;
    if (middleRow >= 0 && middleRow < static_cast<int>(top.size())) {
        const FloatRow& row = top[static_cast<std::size_t>(middleRow)];
        const long long wanted = std::max(0LL, static_cast<long long>(grid.width) - 2);
        const std::size_t count = std::min(row.size(), static_cast<std::size_t>(wanted));
        profile.assign(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(count));
    }
    emit sendDetails(profile);
    diagnostics::reportf("emit details\n");
}

// --- Grid access, sizes, details ---

void GLGrid::getGrid(VeskGrid*& g)
{
    // The caller may change the grid: no fill may be reading it then.
    surface.settle();
    g = &grid;
}

void GLGrid::changeWidth(int w)
{
    if (w == grid.width)
        return;
    surface.settle();
    grid.adjustSize(w, grid.height);
    updateGUI();
    fitTerrain();
}

void GLGrid::changeHeight(int h)
{
    if (h == grid.height)
        return;
    surface.settle();
    grid.adjustSize(grid.width, h);
    updateGUI();
    fitTerrain();
}

void GLGrid::clearDetails()
{
    grid.clearDetails();
    updateGUI();
}

void GLGrid::emitStdDev()
{
    const int widthBefore = grid.width;
    const int heightBefore = grid.height;
    const float deviation = estimateDetailDeviation(grid);
    emit sendStdDev(deviation);
    // The estimate trims an odd height for good; the controls must show it.
    if (grid.width != widthBefore || grid.height != heightBefore)
        updateGUI();
}

// --- Marking ---

void GLGrid::setMarked(bool a)
{
    marked = a;
}

void GLGrid::addMarked(int x, int y, int width, int height)
{
    addTerrainMark(grid, marks, x, y, width, height);
    update();
}

void GLGrid::clearMarked()
{
    marked = false;
    marks.clear();
}
