// GLGrid: OpenGL set-up, projection, camera, render modes and painting.

#include "views/GLGrid.h"
#include "diagnostics/Diagnostics.h"
#include "views/CameraFraming.h"
#include "views/GridDrawing.h"
#include "views/ViewLighting.h"

#include <QOpenGLContext>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>

namespace {

using camera_framing::kBaseTranslation;
using camera_framing::kFarPlane;
using camera_framing::kNearPlane;

// The message setRenderMethod(int) prints for each mode.
const char* selectionMessage(RenderMode mode)
{
    switch (mode) {
    case RenderMode::Plain:
        return "rendering plain\n";
    case RenderMode::Contours:
        return "rendering contours\n";
    case RenderMode::HeightColours:
        return "rendering height colors\n";
    case RenderMode::Curvature:
        return "rendering curvature\n";
    case RenderMode::Slope:
        return "rendering slope!\n";
    }
    return "";
}

} // namespace

GLGrid::GLGrid(QWidget* parent, const char* name) : QOpenGLWidget(parent)
{
    if (name != nullptr)
        setObjectName(QString::fromLatin1(name));
    connect(&surface, &ViewSurface::uploadStepDue, this, [this] {
        if (context() == nullptr) {
            update(); // the first paint takes the upload on
            return;
        }
        makeCurrent();
        surface.advanceUpload();
        doneCurrent();
    });
    connect(&surface, &ViewSurface::surfaceReady, this, qOverload<>(&QWidget::update));
    connect(&surface, &ViewSurface::fillDropped, this, qOverload<>(&QWidget::update));
    // Asked for from within a paint: the next one comes at a later turn of the event loop.
    connect(&surface, &ViewSurface::chunksDue, this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    // Moves without a button report the sample under the pointer.
    setMouseTracking(true);
}

GLGrid::~GLGrid()
{
    // The views of one window share their buffer names, so the buffers are given
    // back rather than left to the context.
    surface.settle();
    if (context() != nullptr) {
        // The widget's own destructor deletes the context after the surface is gone.
        disconnect(context(), nullptr, this, nullptr);
        makeCurrent();
        surface.releaseBuffers();
        doneCurrent();
    }
}

void GLGrid::initializeGL()
{
    // A context that goes (the widget moved to another window) takes the buffers with it.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        surface.releaseBuffers();
        doneCurrent();
    });

    glLoadIdentity();
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);

    applyViewLighting();
}

void GLGrid::resizeGL(int w, int h)
{
    // Qt reports the size in device-independent pixels; the framebuffer is in device pixels.
    const double pixelRatio = devicePixelRatioF();
    glViewport(0, 0, static_cast<GLsizei>(w * pixelRatio), static_cast<GLsizei>(h * pixelRatio));

    const double width = w > 0 ? w : 1;
    const double height = h > 0 ? h : 1;
    double left = -1.0;
    double right = 1.0;
    double bottom = -1.0;
    double top = 1.0;
    if (width > height) {
        left = -width / height;
        right = width / height;
    } else if (height > width) {
        bottom = -height / width;
        top = height / width;
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(left, right, bottom, top, kNearPlane, kFarPlane);
    viewHeight = h;
    glMatrixMode(GL_MODELVIEW);
    if (cameraFramesTerrain)
        fitTerrain();
}

void GLGrid::applyViewTransform()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glLoadIdentity();
    glTranslatef(xTrans + static_cast<float>(kBaseTranslation[0]), yTrans + static_cast<float>(kBaseTranslation[1]),
                 zTrans + static_cast<float>(kBaseTranslation[2]));
    glScalef(scale, scale, scale);
    glRotatef(xRot, 1.0f, 0.0f, 0.0f);
    glRotatef(yRot, 0.0f, 1.0f, 0.0f);
    glRotatef(zRot, 0.0f, 0.0f, 1.0f);
}

void GLGrid::paintGL()
{
    glMatrixMode(GL_MODELVIEW);
    applyViewTransform();

    if (listDirty)
        takeHeightsChange();
    // Slope is also the fallback when no mode is set.
    const RenderMode mode = renderMode.value_or(RenderMode::Slope);
    if (mode == RenderMode::Contours)
        paintCurves();
    else
        paintSurface(mode);

    paintOverlays();
}

void GLGrid::takeHeightsChange()
{
    surface.heightsChanged();
    picker.invalidate();
    listDirty = false;
}

void GLGrid::paintSurface(RenderMode surfaceMode)
{
    glEnable(GL_LIGHTING);
    surface.paintSurface(grid, surfaceMode);
}

void GLGrid::paintCurves()
{
    glDisable(GL_LIGHTING);
    glColor3f(0.0f, 0.0f, 0.0f);
    glLineWidth(1.0f);
    diagnostics::reportf("rendering contours (spacing=%i)\n", contourSpacing);
    surface.paintCurves(grid, renderUCurves, contourSpacing);
}

void GLGrid::paintOverlays()
{
    // The outlines may read the normals a worker is making; they are back with the fill.
    if (surface.makingNormals())
        return;
    const bool marksShown = matchesShown && marked;
    const bool selectionShown = selX1 >= 0 && selX2 >= 0;
    if (marksShown) {
        const std::size_t rectangleCount = marks.size() / 4;
        const float n = static_cast<float>(rectangleCount);
        for (std::size_t k = 0; k + 3 < marks.size(); k += 4) {
            const float index = static_cast<float>(k);
            drawBlockOutline(grid, marks[k], marks[k + 1], marks[k + 2], marks[k + 3], (index + 1.0f) / n, 0.2f,
                             1.0f - index + 0.25f / n);
        }
    }
    if (selectionShown) {
        const int x0 = std::min(selX1, selX2);
        const int x1 = std::max(selX1, selX2);
        const int y0 = std::min(selY1, selY2);
        const int y1 = std::max(selY1, selY2);
        drawBlockOutline(grid, x0, y0, x1 - x0, y1 - y0, 1.0f, 0.2f, 0.2f);
    }
}

void GLGrid::setXRotation(int degrees)
{
    xRot = static_cast<float>(degrees % 360);
    update();
}

void GLGrid::setYRotation(int degrees)
{
    yRot = static_cast<float>(degrees % 360);
    update();
}

void GLGrid::setZRotation(int degrees)
{
    zRot = static_cast<float>(degrees % 360);
    update();
}

void GLGrid::setScale(int val)
{
    scale = static_cast<float>(val * 0.1 + 1.0);
    cameraFramesTerrain = false; // a framing would undo the zoom
    update();
}

void GLGrid::setRenderMethod(int m)
{
    const bool wasContours = renderMode == RenderMode::Contours;
    diagnostics::reportf("rendering parameter is %i\n", m);
    renderMode = renderModeFromNumber(m);
    if (renderMode)
        diagnostics::report(selectionMessage(*renderMode));
    else
        diagnostics::reportf("Error - Unknown rendering parameter = %i\n", m);
    // Only the colours are rebuilt (at the next paint); the profile lines lie on
    // their own scale, so a framed camera frames them, or the surface, again.
    if (cameraFramesTerrain && wasContours != (renderMode == RenderMode::Contours))
        fitTerrain();
    update();
}

void GLGrid::setScreenError(double pixels)
{
    surface.setMaxScreenError(static_cast<float>(pixels));
    update();
}

void GLGrid::setContourSpacing(int s)
{
    contourSpacing = s;
    update();
}

void GLGrid::toggleRenderUCurves()
{
    renderUCurves = !renderUCurves;
    update();
}

void GLGrid::showMatches(bool on)
{
    matchesShown = on;
    update();
}
