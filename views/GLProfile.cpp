#include "views/GLProfile.h"

#include "views/ProfileReduction.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <limits>

GLProfile::GLProfile(QWidget* parent, const char* name) : QOpenGLWidget(parent)
{
    if (name != nullptr)
        setObjectName(QString::fromLatin1(name));
}

void GLProfile::setCurve(std::vector<float> newCurve)
{
    curve = std::move(newCurve);

    // The scale comes from the finite values only: one NaN or infinity would
    // otherwise leave a scale with no height (or none at all).
    bool any = false;
    for (const float value : curve) {
        if (!std::isfinite(value))
            continue;
        if (!any) {
            maxValue = value;
            minValue = value;
            any = true;
        } else if (value > maxValue) {
            maxValue = value;
        } else if (value < minValue) {
            minValue = value;
        }
    }
    if (!any) {
        maxValue = 1.0f;
        minValue = 0.0f;
    }
    if (maxValue == minValue) {
        maxValue = minValue + 1.0f;
        // Far from zero a float cannot hold min + 1; keep the scale open anyway.
        if (!(maxValue > minValue))
            maxValue = std::nextafter(minValue, std::numeric_limits<float>::infinity());
    }
    update();
}

void GLProfile::initializeGL()
{
    glLoadIdentity();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glPointSize(5.0f);
}

void GLProfile::resizeGL(int w, int h)
{
    const double pixelRatio = devicePixelRatioF();
    glViewport(0, 0, static_cast<GLsizei>(w * pixelRatio), static_cast<GLsizei>(h * pixelRatio));
    // The box always fills the widget: the plot does not keep an aspect ratio.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-0.01, 1.01, -0.1, 1.0, -1.0, 99.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GLProfile::paintGL()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Values are laid out in x-z and turned so that z is the screen's vertical.
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -0.05f);

    const double range = static_cast<double>(maxValue) - static_cast<double>(minValue);
    const std::size_t count = curve.size();
    // A single value has no horizontal extent; it sits at the left edge.
    const auto vertex = [&](std::size_t i) {
        const double x = count > 1 ? static_cast<double>(i) / static_cast<double>(count - 1) : 0.0;
        const double z = (static_cast<double>(curve[i]) - static_cast<double>(minValue)) / range;
        glVertex3f(static_cast<float>(x), 0.0f, static_cast<float>(z));
    };

    // A curve of more values than twice the plot's columns draws only the values that change
    // the plot (a non-finite value, whose place no pixel says, draws them all).
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const bool reduced = !drawsEveryValue && viewport[2] > 0 && viewport[3] > 0
                      && count > 2 * static_cast<std::size_t>(viewport[2])
                      && std::all_of(curve.begin(), curve.end(), [](float value) { return std::isfinite(value); });
    const ProfileVertices kept = reduced ? profileVerticesDrawn(curve, minValue, maxValue, viewport[2], viewport[3])
                                         : ProfileVertices{};
    const auto draw = [&](GLenum primitive, const std::vector<std::size_t>& indices) {
        glBegin(primitive);
        if (reduced) {
            for (const std::size_t i : indices)
                vertex(i);
        } else {
            for (std::size_t i = 0; i < count; ++i)
                vertex(i);
        }
        glEnd();
    };

    glColor3f(1.0f, 0.0f, 0.0f);
    draw(GL_LINE_STRIP, kept.line);
    glColor3f(0.0f, 0.0f, 0.8f);
    draw(GL_POINTS, kept.points);

    const float zeroLevel = static_cast<float>(-static_cast<double>(minValue) / range);
    glColor3f(0.0f, 0.6f, 0.0f);
    glBegin(GL_LINES);
    glVertex3f(0.0f, 0.0f, zeroLevel);
    glVertex3f(1.0f, 0.0f, zeroLevel);
    glEnd();
}
