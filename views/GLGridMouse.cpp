// GLGrid: the mouse. Left drag pans, right drag dollies, middle drag selects a
// block of samples (or places a received block) and hands it to the block transfer.

#include "diagnostics/Diagnostics.h"
#include "views/GLGrid.h"

#include <QMouseEvent>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace {

// Mouse travel in pixels to camera travel.
constexpr double kDragFactor = 0.12;

// Drawing coordinates of a sample, as the grid draws its surface.
constexpr double kSurfaceScale = 0.0005;
constexpr double kHeightScale = 0.000625;

QPoint eventPoint(const QMouseEvent* event)
{
    return event->position().toPoint();
}

} // namespace

void GLGrid::pickVertex(int mouseX, int mouseY, int& row, int& column)
{
    row = -1;
    column = -1;
    makeCurrent();
    GLdouble modelView[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);

    // The window coordinates are in device pixels; the mouse is in widget pixels.
    const double pixelRatio = devicePixelRatioF();
    const double cellScale = static_cast<double>(grid.cellSize) * kSurfaceScale;
    const double targetX = mouseX;
    const double targetY = viewHeight - mouseY;
    double bestDistance = std::numeric_limits<double>::infinity();
    const int rows = std::min(grid.height, static_cast<int>(grid.heights.size()));
    for (int r = 0; r < rows; ++r) {
        const std::vector<float>& heightRow = grid.heights[r];
        const int columns = std::min(grid.width, static_cast<int>(heightRow.size()));
        for (int c = 0; c < columns; ++c) {
            GLdouble winX = 0.0;
            GLdouble winY = 0.0;
            GLdouble winZ = 0.0;
            const double z = (static_cast<double>(heightRow[c]) - static_cast<double>(grid.minHeight)) * kHeightScale;
            gluProject(c * cellScale, r * cellScale, z, modelView, projection, viewport, &winX, &winY, &winZ);
            const double dx = targetX - winX / pixelRatio;
            const double dy = targetY - winY / pixelRatio;
            const double distance = dx * dx + dy * dy;
            // Strictly smaller only: ties keep the earliest sample.
            if (row < 0 || distance < bestDistance) {
                bestDistance = distance;
                row = r;
                column = c;
            }
        }
    }
}

bool GLGrid::pickAt(const QMouseEvent* event, int& row, int& column)
{
    const QPoint point = eventPoint(event);
    pickVertex(point.x(), point.y(), row, column);
    return row >= 0;
}

void GLGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = eventPoint(event);
    mouseDown = true;
    lastX = point.x();
    lastY = point.y();
    pressButton = static_cast<int>(event->button());

    if (pressButton == Qt::MiddleButton && grid.hasData) {
        int row = -1;
        int column = -1;
        pickAt(event, row, column);
        selX1 = column;
        selY1 = row;
        if (!blockDetails.empty()) {
            selX2 = column + blockWidth;
            selY2 = row + blockHeight;
        } else {
            selX2 = -1;
            selY2 = -1;
        }
        diagnostics::reportf("mouse press done, top left corner is %i, %i\n", column, row);
    }
}

void GLGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!mouseDown)
        return;
    const QPoint point = eventPoint(event);
    const double dx = kDragFactor * (point.x() - lastX);
    const double dy = kDragFactor * (point.y() - lastY);
    lastX = point.x();
    lastY = point.y();

    if (pressButton == Qt::LeftButton) {
        // The scene follows the pointer.
        xTrans = static_cast<float>(xTrans + dx);
        yTrans = static_cast<float>(yTrans - dy);
    } else if (pressButton == Qt::MiddleButton && grid.hasData) {
        int row = -1;
        int column = -1;
        pickAt(event, row, column);
        if (blockDetails.empty()) {
            selX2 = column; // rubber band from the press point
            selY2 = row;
        } else {
            selX1 = column; // the received block follows the pointer
            selY1 = row;
            selX2 = column + blockWidth;
            selY2 = row + blockHeight;
        }
    } else if (pressButton == Qt::RightButton) {
        // Dragging down brings the terrain closer.
        zTrans = static_cast<float>(zTrans + dy);
    }
    update();
}

void GLGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint point = eventPoint(event);
    mouseDown = false;
    lastX = point.x();
    lastY = point.y();
    diagnostics::reportf("x,y,z tran are %1.3f %1.3f %1.3f\n", xTrans, yTrans, zTrans);
    diagnostics::reportf("x,y,z rot are %1.3f %1.3f %1.3f\n", xRot, yRot, zRot);

    if (pressButton != Qt::MiddleButton || !grid.hasData)
        return;

    int row = -1;
    int column = -1;
    pickAt(event, row, column);
    if (!blockDetails.empty()) {
        selX1 = column;
        selY1 = row;
        selX2 = column + blockWidth;
        selY2 = row + blockHeight;
    } else {
        selX2 = column;
        selY2 = row;
    }
    if (selX2 < selX1)
        std::swap(selX1, selX2);
    if (selY2 < selY1)
        std::swap(selY1, selY2);

    if (!blockDetails.empty())
        pasteBlockDetails();
    else
        coarsenAndSendBlock();
    listDirty = true;
    update();
}
