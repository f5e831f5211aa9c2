#include "support/Feedback.h"

#include <GL/gl.h>

#include <vector>

namespace {

constexpr int kViewportSize = 1000;
constexpr int kValuesPerVertex = 7; // GL_3D_COLOR in RGBA mode: x, y, z, r, g, b, a

} // namespace

bool captureFeedback(const FeedbackFrame& frame, const std::function<void()>& draw,
                     std::vector<FeedbackPrimitive>& primitives)
{
    primitives.clear();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, kViewportSize, kViewportSize);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(frame.left, frame.right, frame.bottom, frame.top, -frame.depth, frame.depth);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glEnable(GL_LIGHTING);
    for (int light = 0; light < 8; ++light)
        glDisable(GL_LIGHT0 + light);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_CULL_FACE);
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, white);

    std::vector<GLfloat> buffer(1u << 22);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    if (used < 0)
        return false;

    const auto readVertex = [&](GLint& at) {
        FeedbackVertex v;
        const double wx = buffer[at];
        const double wy = buffer[at + 1];
        const double wz = buffer[at + 2];
        v.x = frame.left + wx / kViewportSize * (frame.right - frame.left);
        v.y = frame.bottom + wy / kViewportSize * (frame.top - frame.bottom);
        // Window depth 0 is the near plane (z = +depth), 1 the far plane (z = -depth).
        v.z = frame.depth * (1.0 - 2.0 * wz);
        v.red = buffer[at + 3];
        v.green = buffer[at + 4];
        v.blue = buffer[at + 5];
        v.alpha = buffer[at + 6];
        at += kValuesPerVertex;
        return v;
    };

    GLint at = 0;
    while (at < used) {
        const GLint token = static_cast<GLint>(buffer[at++]);
        FeedbackPrimitive primitive;
        int vertexCount = 0;
        switch (token) {
        case GL_POLYGON_TOKEN:
            primitive.kind = FeedbackPrimitive::Polygon;
            vertexCount = static_cast<int>(buffer[at++]);
            break;
        case GL_LINE_TOKEN:
            primitive.kind = FeedbackPrimitive::Line;
            vertexCount = 2;
            break;
        case GL_LINE_RESET_TOKEN:
            primitive.kind = FeedbackPrimitive::LineReset;
            vertexCount = 2;
            break;
        case GL_POINT_TOKEN:
            primitive.kind = FeedbackPrimitive::Point;
            vertexCount = 1;
            break;
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN:
            primitive.kind = FeedbackPrimitive::Other;
            vertexCount = 1;
            break;
        case GL_PASS_THROUGH_TOKEN:
            ++at;
            continue;
        default:
            primitives.clear();
            return false;
        }
        for (int i = 0; i < vertexCount; ++i)
            primitive.vertices.push_back(readVertex(at));
        primitives.push_back(std::move(primitive));
    }
    return true;
}

std::size_t countKind(const std::vector<FeedbackPrimitive>& primitives, FeedbackPrimitive::Kind kind)
{
    std::size_t count = 0;
    for (const auto& primitive : primitives)
        if (primitive.kind == kind)
            ++count;
    return count;
}
