// GLGrid: the mouse. Left drag pans, right drag dollies, middle drag selects a
// block of samples (or places a received block) and hands it to the block transfer.
// Moving with no button down reports the sample under the pointer.

#include "diagnostics/Diagnostics.h"
#include "views/GLGrid.h"

#include <QMouseEvent>

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

namespace {

// Mouse travel in pixels to camera travel.
constexpr double kDragFactor = 0.12;

QPoint eventPoint(const QMouseEvent* event)
{
    return event->position().toPoint();
}

} // namespace

PickCamera GLGrid::pickCamera()
{
    makeCurrent();
    PickCamera camera;
    glGetDoublev(GL_MODELVIEW_MATRIX, camera.modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, camera.projection);
    glGetIntegerv(GL_VIEWPORT, camera.viewport);
    // The window coordinates are in device pixels; the mouse is in widget pixels.
    camera.pixelRatio = devicePixelRatioF();
    return camera;
}

void GLGrid::pickVertex(int mouseX, int mouseY, int& row, int& column)
{
    picker.pick(grid, pickCamera(), mouseX, viewHeight - mouseY, row, column);
}

void GLGrid::reportSampleUnderCursor(const QPoint& point)
{
    int row = -1;
    int column = -1;
    // Before the first paint there is no camera to pick with.
    if (grid.hasData && isValid()) {
        const PickCamera camera = pickCamera();
        const double targetY = viewHeight - point.y();
        picker.pick(grid, camera, point.x(), targetY, row, column);
        if (!SamplePicker::targetNearSample(grid, camera, point.x(), targetY, row, column)) {
            row = -1;
            column = -1;
        }
    }
    emit sampleUnderCursor(row, column);
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
            selX2 = column + blockDetails.width;
            selY2 = row + blockDetails.height;
        } else {
            selX2 = -1;
            selY2 = -1;
        }
        diagnostics::reportf("mouse press done, top left corner is %i, %i\n", column, row);
    }
}

void GLGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = eventPoint(event);
    if (!mouseDown) {
        reportSampleUnderCursor(point);
        return;
    }
    const double dx = kDragFactor * (point.x() - lastX);
    const double dy = kDragFactor * (point.y() - lastY);
    lastX = point.x();
    lastY = point.y();

    if (pressButton == Qt::LeftButton) {
        // The scene follows the pointer.
        xTrans = static_cast<float>(xTrans + dx);
        yTrans = static_cast<float>(yTrans - dy);
        cameraFramesTerrain = false;
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
            selX2 = column + blockDetails.width;
            selY2 = row + blockDetails.height;
        }
    } else if (pressButton == Qt::RightButton) {
        // Dragging down brings the terrain closer.
        zTrans = static_cast<float>(zTrans + dy);
        cameraFramesTerrain = false;
    }
    update();
}

void GLGrid::leaveEvent(QEvent* event)
{
    emit sampleUnderCursor(-1, -1);
    QOpenGLWidget::leaveEvent(event);
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
        selX2 = column + blockDetails.width;
        selY2 = row + blockDetails.height;
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
