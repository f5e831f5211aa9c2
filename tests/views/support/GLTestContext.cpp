#include "support/GLTestContext.h"

#include <QSurfaceFormat>

bool GLTestContext::create()
{
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(QSurfaceFormat::defaultFormat());
    if (!context_->create()) {
        error_ = "QOpenGLContext::create failed";
        return false;
    }
    surface_ = std::make_unique<QOffscreenSurface>();
    surface_->setFormat(context_->format());
    surface_->create();
    if (!surface_->isValid()) {
        error_ = "no offscreen surface";
        return false;
    }
    if (!context_->makeCurrent(surface_.get())) {
        error_ = "makeCurrent failed";
        return false;
    }
    const QSurfaceFormat format = context_->format();
    const bool fixedFunction = format.profile() == QSurfaceFormat::CompatibilityProfile
        || format.majorVersion() < 3 || (format.majorVersion() == 3 && format.minorVersion() < 2);
    if (!fixedFunction) {
        error_ = "context has no fixed-function pipeline (core profile)";
        return false;
    }
    error_ = "";
    return true;
}
