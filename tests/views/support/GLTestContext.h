#pragma once

#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <memory>

// A compatibility-profile OpenGL context for tests that draw without a widget.
class GLTestContext {
public:
    // False (with the reason in error()) when no context could be made current.
    bool create();
    const char* error() const { return error_; }

private:
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLContext> context_;
    const char* error_ = "not created";
};
