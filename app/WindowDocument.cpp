#include "app/WindowDocument.h"

#include "app/TerrainHistory.h"
#include "formats/TerrainFormatTable.h"
#include "grid/SessionFile.h"
#include "views/GLGrid.h"

#include <utility>

QString screenName(ScreenSide side)
{
    return side == ScreenSide::left ? QStringLiteral("Left Screen") : QStringLiteral("Right Screen");
}

WindowDocument::WindowDocument(GLGrid& leftView, GLGrid& rightView, TerrainHistory& terrainHistory)
    : left(&leftView), right(&rightView), history(&terrainHistory)
{
}

GLGrid& WindowDocument::view(ScreenSide side) const
{
    return side == ScreenSide::left ? *left : *right;
}

const VeskGrid& WindowDocument::terrain(ScreenSide side) const
{
    return view(side).grid;
}

ScreenContent WindowDocument::copyOf(ScreenSide side)
{
    GLGrid& screen = view(side);
    // A surface fill in the view's worker may be making the normals being moved aside.
    screen.surface.settle();
    // The surface data is made again from the heights on first use; leaving it out
    // spares the GUI thread a copy of 32 bytes a sample before every operation.
    VeskGrid& grid = screen.grid;
    std::vector<std::vector<Vector3>> normals = std::move(grid.normals);
    FloatMatrix curvature = std::move(grid.curvature);
    FloatMatrix slope = std::move(grid.slope);
    const bool normalsValid = grid.normalsValid;
    const bool surfaceValid = grid.surfaceValid;
    grid.normals.clear();
    grid.curvature.clear();
    grid.slope.clear();
    ScreenContent copy{grid, screen.marked, screen.marks};
    grid.normals = std::move(normals);
    grid.curvature = std::move(curvature);
    grid.slope = std::move(slope);
    copy.grid.normalsValid = false;
    copy.grid.surfaceValid = false;
    grid.normalsValid = normalsValid;
    grid.surfaceValid = surfaceValid;
    return copy;
}

ScreenContent WindowDocument::take(ScreenSide side)
{
    GLGrid& screen = view(side);
    screen.surface.settle();
    ScreenContent content{std::move(screen.grid), screen.marked, std::move(screen.marks)};
    screen.grid = VeskGrid();
    screen.marks.clear();
    screen.marked = false;
    return content;
}

void WindowDocument::show(ScreenSide side, ScreenContent content)
{
    GLGrid& screen = view(side);
    screen.surface.settle();
    screen.grid = std::move(content.grid);
    screen.marked = content.marked;
    screen.marks = std::move(content.marks);
    screen.updateGUI();
    screen.fitTerrain();
}

void WindowDocument::refresh(ScreenSide side)
{
    view(side).updateGUI();
}

ScreenContent WindowDocument::swapIn(ScreenSide side, ScreenContent content)
{
    ScreenContent before = take(side);
    dropSurfaceData(before.grid);
    show(side, std::move(content));
    return before;
}

void WindowDocument::replace(ScreenSide side, ScreenContent content, const QString& undoText)
{
    TerrainChange change;
    change.swaps.emplace_back(*this, side, swapIn(side, std::move(content)));
    history->push(undoText, std::move(change));
}

void WindowDocument::replaceBoth(ScreenContent leftContent, ScreenContent rightContent, const QString& undoText)
{
    TerrainChange change;
    change.swaps.emplace_back(*this, ScreenSide::left, swapIn(ScreenSide::left, std::move(leftContent)));
    change.swaps.emplace_back(*this, ScreenSide::right, swapIn(ScreenSide::right, std::move(rightContent)));
    history->push(undoText, std::move(change));
}

void WindowDocument::record(ScreenSide side, ScreenContent earlier, const QString& undoText)
{
    TerrainChange change;
    change.swaps.emplace_back(*this, side, std::move(earlier));
    history->push(undoText, std::move(change));
}

void WindowDocument::openSession(TerrainSession session, const QString& undoText)
{
    ScreenContent leftContent;
    ScreenContent rightContent;
    leftContent.grid = std::move(session.left);
    rightContent.grid = std::move(session.right);
    replaceBoth(std::move(leftContent), std::move(rightContent), undoText);
}

bool WindowDocument::writeTerrain(ScreenSide side, const TerrainFormatRow& format, const QString& fileName,
                                  QString& reason)
{
    return format.write(view(side).grid, fileName, reason);
}

bool WindowDocument::writeTerrain(ScreenSide side, QString& fileName)
{
    return view(side).grid.writeTerrain(fileName);
}

void WindowDocument::writeDetails(ScreenSide side, QString& fileName, int& count)
{
    view(side).grid.writeDetails(fileName, count);
}

bool WindowDocument::writeTerrainSplit(ScreenSide side, QString& leftName, QString& rightName)
{
    return view(side).grid.writeTerrainSplit(leftName, rightName);
}

bool WindowDocument::writeSession(const QString& fileName, const QJsonObject& window, QString& reason) const
{
    return writeSessionFile(fileName, left->grid, right->grid, window, reason);
}
