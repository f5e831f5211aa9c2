#include "formats/GdalSession.h"

#include "diagnostics/Diagnostics.h"

#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

namespace {

void CPL_STDCALL forwardGdalMessage(CPLErr level, CPLErrorNum, const char* message)
{
    auto* capture = static_cast<GdalErrorCapture*>(CPLGetErrorHandlerUserData());
    if (capture && level >= CE_Warning)
        capture->record(level >= CE_Failure, message);
}

} // namespace

void registerGdalDrivers()
{
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
}

GdalErrorCapture::GdalErrorCapture()
{
    registerGdalDrivers();
    CPLErrorReset();
    CPLPushErrorHandlerEx(forwardGdalMessage, this);
}

GdalErrorCapture::~GdalErrorCapture()
{
    CPLPopErrorHandler();
}

QString GdalErrorCapture::lastFailure(const QString& fallback) const
{
    return lastMessage.isEmpty() ? fallback : lastMessage;
}

void GdalErrorCapture::record(bool isFailure, const char* message)
{
    const QString text = QString::fromUtf8(message ? message : "").trimmed();
    if (!isFailure) {
        diagnostics::reportf("GDAL: %s\n", text.toUtf8().constData());
        return;
    }
    ++failures;
    lastMessage = text;
}
